#include "bom/replacepart.h"

#include "bom/explosion.h"
#include "bom/revisions.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/bills.h"
#include "db/changelog.h"
#include "db/database.h"

#include <QSet>

namespace {

// The path by which newPart's bill reaches one of the assemblies, newPart
// first; empty when it reaches none.
QStringList pathInto(const QString& newPart, const QStringList& assemblies)
{
    const QSet<QString> targets(assemblies.begin(), assemblies.end());
    if (targets.contains(newPart))
        return {newPart};
    const QueryResult bom = LoadBomRows(newPart);
    if (bom.rowCount == 0)
        return {};
    const int assy = FindColumn(bom, QStringLiteral("Assy"));
    const int part = FindColumn(bom, QStringLiteral("Part"));
    if (assy < 0 || part < 0)
        return {};
    // Breadth first from newPart, remembering how each assembly was reached.
    const BomIndex index(bom);
    QHash<QString, QString> cameFrom;
    QStringList queue{newPart};
    QSet<QString> seen{newPart};
    while (!queue.isEmpty()) {
        const QString at = queue.takeFirst();
        for (const int row : index.rows(at)) {
            const QString child = bom.cell(row, part);
            if (seen.contains(child))
                continue;
            seen.insert(child);
            cameFrom.insert(child, at);
            if (targets.contains(child)) {
                QStringList path{child};
                for (QString step = at; !step.isEmpty(); step = cameFrom.value(step))
                    path.prepend(step);
                return path;
            }
            if (index.isAssembly(child))
                queue << child;
        }
    }
    return {};
}

} // namespace

ReplacePlan PlanReplace(const QString& oldName, const QString& newName, const QString& assemblyName)
{
    ReplacePlan plan;
    plan.oldPart = UpperCaseAscii(oldName.trimmed());
    plan.newPart = UpperCaseAscii(newName.trimmed());
    const QString assembly = UpperCaseAscii(assemblyName.trimmed());
    if (plan.oldPart.isEmpty() || plan.newPart.isEmpty()) {
        plan.refusal = Translate(QStringLiteral("Enter the old and the new part"));
        return plan;
    }
    if (plan.oldPart == plan.newPart) {
        plan.refusal = Translate(QStringLiteral("The new part is the old part"));
        return plan;
    }
    plan.newPartUnknown = PartRecordCount(plan.newPart) == 0;
    bool read = false;
    for (const BillUse& use : LoadUsesOfParts({plan.oldPart}, assembly, &read)) {
        plan.lines.push_back({use.id, use.assembly, use.item, use.quantity});
        if (!plan.assemblies.contains(use.assembly))
            plan.assemblies << use.assembly;
    }
    plan.assemblies.sort();
    if (!read) {
        plan.refusal = LastErrorText();
        return plan;
    }
    const QStringList path = pathInto(plan.newPart, plan.assemblies);
    if (!path.isEmpty()) {
        QStringList cycle{path.last()};
        cycle << path;
        plan.refusal = CycleMessage(cycle);
    }
    return plan;
}

bool ApplyReplace(const ReplacePlan& plan, QString* error)
{
    if (!plan.refusal.isEmpty()) {
        if (error)
            *error = plan.refusal;
        return false;
    }
    if (plan.lines.empty()) {
        if (error)
            *error = Format(qPrintable(Translate(QStringLiteral("No bill line uses %s"))), {plan.oldPart});
        return false;
    }
    Transaction transaction;
    const QString note = Format(qPrintable(Translate(QStringLiteral("%s replaced by %s"))), {plan.oldPart, plan.newPart});
    QStringList ids;
    std::vector<ChangeEntry> changes;
    for (const ReplaceLine& line : plan.lines) {
        ids << line.id;
        changes.push_back({AssyList, line.id, plan.newPart, QStringLiteral("Part #"), plan.oldPart, plan.newPart});
    }
    const QString user = App().CurrentUser.isEmpty() ? CurrentUserName() : App().CurrentUser;
    if (plan.newPartUnknown)
        changes.push_back({PartList, plan.newPart, plan.newPart, QStringLiteral("Part #"), QString(), plan.newPart});
    bool ok = transaction.active()
              && (!plan.newPartUnknown
                  || AddPartRecord(plan.newPart,
                                   plan.newPart + QLatin1Char(' ') + Translate(QStringLiteral("Description"))))
              && KeepRevisions(plan.assemblies, note)
              && SetLinesPart(ids, plan.oldPart, plan.newPart, user, TimestampText());
    // The lines were read before the write lock was taken: another desk may
    // have changed them since, and then the plan no longer says what is done.
    const bool stale = ok && LastChangedRows() != static_cast<long long>(ids.size());
    ok = ok && !stale && RecordChanges(changes);
    if (!ok)
        transaction.fail();
    const bool done = transaction.commit() && ok;
    if (!done && error)
        *error = stale ? Translate(QStringLiteral("The bills changed meanwhile; nothing was replaced"))
                       : LastErrorText();
    if (done)
        App().TreeRebuildFlag = true;
    return done;
}

QString ReplaceLineText(const ReplacePlan& plan, const ReplaceLine& line)
{
    return line.assembly + QLatin1Char('\t') + line.item + QLatin1Char('\t') + plan.oldPart + QLatin1Char('\t')
           + plan.newPart + QLatin1Char('\t') + line.quantity;
}
