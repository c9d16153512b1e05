// Alternates in Process: a short part's alternates are named with their
// free stock, and when asked their stock is allocated in its place before
// anything is ordered.
#include "orders/requirement.h"

#include "bom/alternates.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/tabledefs.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/stockledger.h"

#include <QHash>
#include <algorithm>

void PlanAlternates(const QString& assembly, const FlatList& list, int lastPurchaseOrder, bool use,
                    PurchasingPlan& plan, const PurchasingFacts& facts)
{
    QStringList shortParts;
    for (const PlannedPart& part : plan.parts)
        if (part.order > 0)
            shortParts << part.part;
    if (shortParts.isEmpty())
        return;
    const QHash<QString, std::vector<AlternateStock>> alternates = LoadAlternates(assembly, shortParts);
    if (alternates.isEmpty())
        return;
    // An alternate the bill needs itself keeps its stock for that need, and
    // stock one short part took is not offered to the next.
    QHash<QString, double> taken;
    for (const FlatItem& item : list)
        taken[item.part] += item.quantity;
    FlatList covered = list;
    std::vector<AlternateUse> uses;
    QHash<QString, QString> texts;
    for (size_t i = 0; i < list.size() && i < plan.parts.size(); ++i) {
        const PlannedPart& part = plan.parts[i];
        const auto found = alternates.constFind(part.part);
        if (part.order <= 0 || found == alternates.constEnd())
            continue;
        double shortfall = part.order;
        QStringList text;
        for (const AlternateStock& alternate : *found) {
            const double free = std::max(0.0, alternate.free - taken.value(alternate.part));
            text << alternate.part + QLatin1Char(' ') + PlainNumber(free);
            // A line's substitute covers no more than that line's part of the need.
            const double room = alternate.share >= 1 ? shortfall : std::min(shortfall, alternate.share * list[i].quantity);
            if (!use || free <= 0 || room <= 0)
                continue;
            const double take = std::min(room, free);
            shortfall -= take;
            taken[alternate.part] += take;
            uses.push_back({part.part, alternate.part, take});
            covered[i].stock += take;
        }
        texts.insert(part.part, text.join(QStringLiteral(", ")));
    }
    if (!uses.empty()) {
        const QStringList warnings = plan.warnings;
        plan = PlanPurchasing(covered, lastPurchaseOrder, facts);
        plan.warnings = warnings;
        QHash<QString, size_t> at;
        for (size_t i = 0; i < plan.parts.size(); ++i) {
            // The part's own figures as they are: what an alternate covers is
            // allocated to the alternate, not taken from the part's stock.
            PlannedPart& part = plan.parts[i];
            part.stock = list[i].stock;
            part.available = list[i].stock - list[i].allocated;
            at.insert(part.part, i);
        }
        for (const AlternateUse& u : uses) {
            plan.parts[at.value(u.part)].fromStock -= u.quantity;
            plan.notes << Format(qPrintable(Translate(QStringLiteral("%s: %s taken from alternate %s"))),
                                 {u.part, PlainNumber(u.quantity), u.alternate});
        }
        plan.alternateUses = uses;
    }
    for (PlannedPart& part : plan.parts) {
        part.alternates = texts.value(part.part);
        if (!use && !part.alternates.isEmpty())
            plan.notes << Format(qPrintable(Translate(QStringLiteral("%s is short; free stock of its alternates: %s"))),
                                 {part.part, part.alternates});
    }
}

bool AllocateAlternates(const PurchasingPlan& plan, const QString& orderNumber)
{
    if (plan.alternateUses.empty())
        return true;
    QHash<QString, double> deltas;
    std::vector<QStringList> rows;
    const QString user = App().CurrentUser;
    const QString stamp = TimestampText();
    for (const AlternateUse& use : plan.alternateUses) {
        deltas[use.alternate] += use.quantity;
        // An allocation from stock: no purchase-order number, as Process
        // writes for a part it covers from its own stock.
        rows.push_back({orderNumber, QString(), use.alternate, PlainNumber(use.quantity), user, stamp});
    }
    InsertRows(rows, AlloList);
    const bool inserted = LastResultCode() == 0;
    return AddToPartFigure(QStringLiteral("Allocated"), deltas) && inserted;
}
