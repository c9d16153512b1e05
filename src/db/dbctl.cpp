// koltctl commands of the database layer: init, param, query.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/copy.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/statement.h"
#include "db/numbering.h"
#include "db/parameters.h"

namespace {

// The parameter's row, read so that a failed read and a missing row are told
// apart from an empty value: a script must never take either for "".
bool readParamRow(CtlContext& ctx, int n, QString& value)
{
    const QueryResult row = QueryBound(QStringLiteral("SELECT Param from GlobalParamList where ParamName = ?"),
                                        {Format("Param%i", {n})});
    if (LastResultCode() != 0) {
        ctx.err << "param: Param" << n << " could not be read: " << LastErrorText() << "\n";
        return false;
    }
    if (row.rowCount == 0) {
        ctx.err << "param: Param" << n << " is missing from GlobalParamList\n";
        return false;
    }
    value = row.cell(0, 0);
    return true;
}

// A counter set below a number in use would hand that number out again were
// numbering to trust it; it does not, but whoever sets it back likely
// expects it to: asked first. False when declined or unreadable.
bool counterMayBeSet(int n, const QString& text)
{
    if (n != ParamLastRequirement && n != ParamLastPurchaseOrder)
        return true;
    const long long highest = HighestNumberInUse(n);
    if (highest < 0) {
        ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
        return false;
    }
    bool numeric = false;
    const long long wanted = text.trimmed().toLongLong(&numeric);
    if ((numeric ? wanted : 0) >= highest)
        return true;
    const QString question =
        Format("%s %s. %s", {TranslateLabel(QStringLiteral("Numbers up to this one are in use:")),
                             Format(n == ParamLastPurchaseOrder ? "P%0.4i" : "REQ%0.4i", {static_cast<int>(std::min(highest, kLargestRecordNumber))}),
                             Translate(QStringLiteral("New numbers will still follow the highest in use. Set the counter anyway?"))});
    return ShowMessage(question, Format("Param%i", {n}), kButtonsYesNo) == kAnswerYes;
}

int runParam(CtlContext& ctx)
{
    const QString verb = ctx.args.value(0);
    bool numeric = false;
    const int n = ctx.args.value(1).toInt(&numeric);
    if (!numeric || n < 0 || n >= kParamCount) {
        ctx.err << "param: the number must be 0 to " << kParamCount - 1 << "\n";
        return kCtlUsage;
    }
    QString value;
    if (verb == QLatin1String("get") && ctx.args.size() == 2) {
        if (!readParamRow(ctx, n, value))
            return kCtlFailed;
        ctx.out << value << "\n";
        return kCtlOk;
    }
    if (verb == QLatin1String("set") && ctx.args.size() == 3) {
        // An update of a missing row changes nothing and fails nowhere.
        if (!readParamRow(ctx, n, value))
            return kCtlFailed;
        if (!counterMayBeSet(n, ctx.args[2]))
            return kCtlFailed;
        SetParam(n, ctx.args[2]);
        // The company data names who changed it, for a Setup open elsewhere.
        if (LastResultCode() == 0 && n != ParamLastRequirement && n != ParamLastPurchaseOrder)
            StampSettings();
        // The database's own reason (a read-only desk, a lock) is the one to tell.
        const QString refusal = LastResultCode() != 0 ? LastErrorText() : QString();
        if (!refusal.isEmpty() || !readParamRow(ctx, n, value) || value != ctx.args[2]) {
            ctx.err << "param: Param" << n << " could not be written"
                    << (refusal.isEmpty() ? QString() : QStringLiteral(": ") + refusal) << "\n";
            return kCtlFailed;
        }
        return kCtlOk;
    }
    return kCtlUsage;
}

int runQuery(CtlContext& ctx)
{
    if (ctx.args.size() != 1)
        return kCtlUsage;
    const QueryResult result = Query(ctx.args[0]);
    if (LastResultCode() != 0)
        return kCtlFailed;
    QStringList headings;
    for (int c = 0; c < result.columnCount; ++c)
        headings << EscapedLineCell(result.headings[c]);
    if (result.rowCount > 0)
        ctx.out << headings.join(QLatin1Char('\t')) << "\n";
    for (int r = 0; r < result.rowCount; ++r) {
        QStringList row;
        for (int c = 0; c < result.columnCount; ++c)
            row << EscapedLineCell(result.cell(r, c));
        ctx.out << row.join(QLatin1Char('\t')) << "\n";
    }
    return kCtlOk;
}

} // namespace

void RegisterServerCommands(); // serverctl.cpp

void RegisterDbCommands()
{
    RegisterServerCommands();
    RegisterCtlCommand({QStringLiteral("copy"), QStringLiteral("copy FROM TO"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 2)
                                return kCtlUsage;
                            const CopyOutcome outcome = CopyData(ctx.args[0], ctx.args[1]);
                            for (const QString& line : outcome.tables)
                                ctx.out << line << "\n";
                            return outcome.done ? kCtlOk : kCtlFailed;
                        },
                        false});
    RegisterCtlCommand({QStringLiteral("init"), QStringLiteral("init"), [](CtlContext& ctx) {
                            // The folder was initialised on the way in; say where it is.
                            ctx.out << App().DataFolder << "\n";
                            return kCtlOk;
                        },
                        true, true});
    RegisterCtlCommand({QStringLiteral("param"), QStringLiteral("param get N | param set N TEXT"), runParam});
    RegisterCtlCommand({QStringLiteral("query"), QStringLiteral("query SQL"), runQuery});
}
