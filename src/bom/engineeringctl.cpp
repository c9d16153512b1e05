#include "bom/engineeringctl.h"

#include "bom/bomdiff.h"
#include "bom/replacepart.h"
#include "bom/revisions.h"
#include "bom/whereused.h"
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/bills.h"
#include "db/changelog.h"
#include "db/database.h"

namespace {

// A cell of a printed row stays on its line and in its column.
QString cell(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    out.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    out.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return out;
}

int reviseCommand(CtlContext& ctx)
{
    const QString note = ctx.takeOption(QStringLiteral("--note"));
    if (ctx.args.size() != 2)
        return kCtlUsage;
    KeptRevision kept;
    QString error;
    if (!ReviseAssembly(ctx.args[1], note, &kept, &error)) {
        ctx.err << "bom revise: " << error << "\n";
        return kCtlFailed;
    }
    ctx.out << kept.assembly << ": revision " << kept.kept << " kept (" << kept.lines << " lines), now " << kept.next
            << "\n";
    return kCtlOk;
}

int historyCommand(CtlContext& ctx)
{
    if (ctx.args.size() != 2)
        return kCtlUsage;
    const QString assembly = UpperCaseAscii(ctx.args[1].trimmed());
    bool read = false;
    const std::vector<RevisionRecord> kept = LoadRevisions(assembly, false, &read);
    const std::vector<BillLine> now = LoadBillLines(assembly, &read);
    if (!read) {
        ctx.err << "bom history: " << LastErrorText() << "\n";
        return kCtlFailed;
    }
    if (kept.empty() && now.empty() && PartRecordCount(assembly) <= 0) {
        ctx.err << "bom history: " << assembly << " has no bill of materials\n";
        return kCtlFailed;
    }
    for (const RevisionRecord& r : kept)
        ctx.out << r.revision << '\t' << r.date << '\t' << cell(r.user) << '\t' << r.lineCount << '\t' << cell(r.note)
                << "\n";
    ctx.out << CurrentRevision(assembly) << "\t\t\t" << now.size() << "\tcurrent\n";
    return kCtlOk;
}

int diffCommand(CtlContext& ctx)
{
    if (ctx.args.size() != 3)
        return kCtlUsage;
    std::vector<BillLine> before;
    std::vector<BillLine> after;
    QString error;
    if (!LoadBomSide(ctx.args[1], before, nullptr, &error) || !LoadBomSide(ctx.args[2], after, nullptr, &error)) {
        ctx.err << "bom diff: " << error << "\n";
        return kCtlFailed;
    }
    const std::vector<BomChange> changes = DiffBills(before, after);
    for (const BomChange& change : changes)
        ctx.out << BomChangeLine(change) << "\n";
    if (changes.empty())
        ctx.err << "No differences\n";
    return kCtlOk;
}

int whereUsedCommand(CtlContext& ctx)
{
    if (ctx.args.size() != 1)
        return kCtlUsage;
    const QString part = UpperCaseAscii(ctx.args[0].trimmed());
    bool read = false;
    const std::vector<PartUse> uses = WhereUsed(part, &read);
    if (!read) {
        ctx.err << "where-used: " << LastErrorText() << "\n";
        return kCtlFailed;
    }
    if (uses.empty()) {
        if (PartRecordCount(part) <= 0) {
            ctx.err << "where-used: unknown part " << part << "\n";
            return kCtlFailed;
        }
        ctx.err << part << " is used in no bill\n";
        return kCtlOk;
    }
    for (const PartUse& use : uses)
        ctx.out << use.top << '\t' << UsePathText(use) << '\t' << PlainNumber(use.quantity) << "\n";
    return kCtlOk;
}

int replaceCommand(CtlContext& ctx)
{
    const QString only = ctx.takeOption(QStringLiteral("--assy"));
    const bool dryRun = ctx.takeFlag(QStringLiteral("--dry-run"));
    if (ctx.args.size() != 2)
        return kCtlUsage;
    const ReplacePlan plan = PlanReplace(ctx.args[0], ctx.args[1], only);
    if (!plan.refusal.isEmpty()) {
        ctx.err << "replace: " << plan.refusal << "\n";
        return kCtlFailed;
    }
    for (const ReplaceLine& line : plan.lines)
        ctx.out << ReplaceLineText(plan, line) << "\n";
    if (plan.lines.empty()) {
        ctx.err << "replace: no bill line uses " << plan.oldPart << "\n";
        return kCtlFailed;
    }
    if (dryRun)
        return kCtlOk;
    QString error;
    if (!ApplyReplace(plan, &error)) {
        ctx.err << "replace: " << error << "\n";
        return kCtlFailed;
    }
    if (plan.newPartUnknown)
        ctx.out << "Part added: " << plan.newPart << "\n";
    ctx.out << "Lines replaced: " << plan.lines.size() << "\n";
    for (const auto& [assembly, revision] : PartRevisions(plan.assemblies))
        ctx.out << "Revision: " << assembly << " " << revision << "\n";
    return kCtlOk;
}

int logCommand(CtlContext& ctx)
{
    ChangeFilter filter;
    filter.table = ctx.takeOption(QStringLiteral("--table"));
    filter.part = UpperCaseAscii(ctx.takeOption(QStringLiteral("--part")).trimmed());
    filter.since = ctx.takeOption(QStringLiteral("--since")).trimmed();
    if (!ctx.args.isEmpty())
        return kCtlUsage;
    bool read = false;
    const std::vector<LoggedChange> changes = LoadChanges(filter, &read);
    if (!read) {
        ctx.err << "log: " << LastErrorText() << "\n";
        return kCtlFailed;
    }
    for (const LoggedChange& c : changes)
        ctx.out << c.stamp << '\t' << cell(c.user) << '\t' << c.table << '\t' << cell(c.record) << '\t' << cell(c.part)
                << '\t' << cell(c.field) << '\t' << cell(c.oldValue) << '\t' << cell(c.newValue) << "\n";
    return kCtlOk;
}

} // namespace

int RunBomRevisionCommand(CtlContext& ctx)
{
    const QString kind = ctx.args.value(0);
    if (kind == QLatin1String("revise"))
        return reviseCommand(ctx);
    if (kind == QLatin1String("history"))
        return historyCommand(ctx);
    if (kind == QLatin1String("diff"))
        return diffCommand(ctx);
    return -1;
}

void RegisterEngineeringCommands()
{
    RegisterCtlCommand({QStringLiteral("where-used"), QStringLiteral("where-used PART"), whereUsedCommand});
    RegisterCtlCommand(
        {QStringLiteral("replace"), QStringLiteral("replace OLD NEW [--assy A] [--dry-run]"), replaceCommand});
    RegisterCtlCommand({QStringLiteral("log"), QStringLiteral("log [--table T] [--part P] [--since DATE]"), logCommand});
}
