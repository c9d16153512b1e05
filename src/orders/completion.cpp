#include "orders/completion.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/statuses.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "bom/explosion.h"
#include "db/database.h"
#include "db/production.h"
#include "db/purchaseorders.h"
#include "db/requirements.h"
#include "db/stockledger.h"
#include "orders/requirement.h"
#include "schedule/taskbuilder.h"

#include <QHash>
#include <algorithm>

namespace {

bool reportRefusal(Transaction& transaction)
{
    if (transaction.commit())
        return true;
    ShowMessage(WriteRefusedText(LastErrorText()), QStringLiteral("Database Status"));
    return false;
}

double allocationQuantity(const QString& part, const QString& text, QString& bad)
{
    double value = 0;
    QString error;
    if (!ParseStoredQuantity(text, &value, &error) && bad.isEmpty())
        bad = part + QStringLiteral(": ") + error;
    return value;
}

bool refuseBadQuantity(Transaction& transaction, const QString& bad)
{
    if (bad.isEmpty())
        return false;
    transaction.fail();
    transaction.commit();
    ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; a stored quantity is not a plain number:"))
                    + QLatin1Char('\n') + bad,
                QStringLiteral("Database Status"));
    return true;
}

QString requirementStatus(const QString& orderNumber)
{
    return ReadRequirementFields(orderNumber).status;
}

// A finished requirement has given back or used up its stock already; a
// second completion would take it out of stock again.
bool refuseFinished(const QString& orderNumber, const QString& status)
{
    if (!RequirementFinished(status))
        return false;
    ShowMessage(Format("%s: %s %s", {orderNumber, Translate(QStringLiteral("nothing was changed; the order is")), status}));
    return true;
}

// Deleted on another desk while the question was open or this desk waited
// for the lock: nothing of it may be written again.
bool refuseGone(Transaction& transaction, const QString& orderNumber)
{
    bool read = true;
    const bool found = RequirementOnFile(orderNumber, &read);
    if (!read || found)
        return false; // a failed read fails the transaction, which reports it
    transaction.fail();
    transaction.commit();
    ShowMessage(TranslateLabel(QStringLiteral("No such requirement:")) + QLatin1Char(' ') + orderNumber);
    return true;
}

// The purchase orders of the requirement that have not been received yet.
QStringList openPurchaseOrders(const QString& orderNumber)
{
    QStringList numbers;
    for (const RequirementPurchaseOrder& order : ReadRequirementPurchaseOrders(orderNumber))
        if (!PurchaseOrderClosed(order.status))
            numbers << order.number;
    numbers.sort();
    return numbers;
}

constexpr double kQuantityTolerance = 0.0005;

struct ConsumptionOutcome
{
    QStringList shortParts;
    QHash<QString, double> shortfall;
};

// Takes the share of the requirement's allocations that the completed units
// used out of Allocated and Stock, held at 0 (a shortfall is named). The
// allocation rows keep what the open rest still needs, so the ledger's
// Allocated stays the sum of the rows; the last completion uses them up.
ConsumptionOutcome consumeComponents(const QString& orderNumber, double share, bool finishes, bool& ok)
{
    ConsumptionOutcome outcome;
    bool read = true;
    std::vector<HeldAllocation> rows = ReadAllocations(orderNumber, &read);
    ok = ok && read;
    QHash<QString, double> used;
    QStringList parts;
    for (HeldAllocation& row : rows) {
        const double take = finishes ? row.quantity : row.quantity * share;
        if (!used.contains(row.part))
            parts << row.part;
        used[row.part] += take;
        row.quantity -= take;
    }
    if (parts.isEmpty())
        return outcome;
    const QHash<QString, double> stock = ReadPartFigure(QStringLiteral("Stock"), parts, &read);
    ok = ok && read;
    QHash<QString, double> allocatedDelta;
    QHash<QString, double> stockDelta;
    std::vector<StockMovement> movements;
    WaitScope progress(QStringLiteral("Database Access..."), 0, static_cast<int>(parts.size()));
    for (const QString& part : parts) {
        const double quantity = used.value(part);
        const double onHand = stock.value(part);
        if (onHand - quantity < -kQuantityTolerance) {
            outcome.shortParts << part;
            outcome.shortfall[part] += quantity - std::max(onHand, 0.0);
        }
        allocatedDelta[part] = -quantity;
        // What actually left the shelf: stock is held at 0.
        const double taken = std::max(0.0, std::min(quantity, onHand));
        stockDelta[part] = -quantity;
        if (stock.contains(part))
            movements.push_back({part, -taken, QStringLiteral("Consumption"), orderNumber, QString()});
    }
    ok = AddToPartFigure(QStringLiteral("Allocated"), allocatedDelta, true) && ok;
    ok = AddToPartFigure(QStringLiteral("Stock"), stockDelta, true) && ok;
    ok = RecordStockMovements(movements) && ok;
    if (!finishes)
        ok = ReplaceAllocations(orderNumber, rows) && ok;
    progress.setPosition(static_cast<int>(parts.size()));
    return outcome;
}

// The built units go into stock; every made sub-assembly the build used goes
// in as it was built and out as it was used, so the movements tell both.
bool addBuiltAssemblies(const QString& orderNumber, const QString& assembly, double units, bool ok)
{
    const QueryResult bill = LoadBomRows(assembly);
    ok = ok && LastResultCode() == 0;
    std::vector<AssemblyEntry> entries;
    if (FindAssemblyCycle(bill, assembly).isEmpty())
        CollectAssemblies(bill, units, 0, assembly, entries);
    else
        entries.push_back({assembly, units, 0});
    QStringList names;
    for (const AssemblyEntry& entry : entries)
        names << entry.assembly;
    bool read = true;
    const QStringList onFile = PartsOnFile(names, &read);
    ok = ok && read;
    std::vector<StockMovement> movements;
    QHash<QString, double> added;
    for (const AssemblyEntry& entry : entries) {
        if (!onFile.contains(entry.assembly) || entry.quantity == 0)
            continue;
        movements.push_back({entry.assembly, entry.quantity, QStringLiteral("Build"), orderNumber, QString()});
        if (entry.level == 0)
            added[entry.assembly] += entry.quantity;
        else
            movements.push_back({entry.assembly, -entry.quantity, QStringLiteral("Consumption"), orderNumber,
                                 QString()});
    }
    ok = AddToPartFigure(QStringLiteral("Stock"), added) && ok;
    return RecordStockMovements(movements) && ok;
}

} // namespace

bool CompleteOrder(const QString& orderNumber, double quantity)
{
    if (refuseFinished(orderNumber, requirementStatus(orderNumber)))
        return false;
    const RequirementBuild before = ReadRequirementBuild(orderNumber);
    const double open = std::max(0.0, before.quantity - before.built);
    if (quantity > 0 && !(quantity <= open + kQuantityTolerance)) {
        ShowMessage(TranslateLabel(QStringLiteral("The quantity to complete must be greater than 0 and not above"))
                    + QLatin1Char(' ') + PlainNumber(open) + QStringLiteral(": ") + PlainNumber(quantity));
        return false;
    }
    const bool partial = quantity > 0 && quantity < open - kQuantityTolerance;
    // Completing before the parts arrive holds stock at 0 now and lets the
    // later receipts overstate it: the user decides knowing which orders.
    const QStringList openOrders = openPurchaseOrders(orderNumber);
    QString question =
        openOrders.isEmpty() ? QStringLiteral("Complete Order. Are you Sure?")
                             : TranslateLabel(QStringLiteral("Purchase orders not yet received:")) + QLatin1Char(' ')
                                   + openOrders.join(QStringLiteral(", ")) + QLatin1Char('\n')
                                   + Translate(QStringLiteral("Complete Order anyway?"));
    if (partial)
        question = Format("%s %s / %s\n", {Translate(QStringLiteral("Complete")), PlainNumber(quantity), PlainNumber(open)})
                   + Translate(question);
    if (ShowMessage(question, QStringLiteral("Complete Order"), kButtonsYesNo) != kAnswerYes)
        return false;

    Transaction transaction;
    if (refuseGone(transaction, orderNumber))
        return false;
    // Another program may have finished it, or completed part of it, while
    // the question was open: the figures are read again under the lock.
    if (RequirementFinished(requirementStatus(orderNumber))) {
        transaction.fail();
        refuseFinished(orderNumber, requirementStatus(orderNumber));
        return false;
    }
    // An allocation whose quantity is not a plain number must not move stock
    // by whatever a lenient reading makes of it.
    {
        bool read = false;
        QString bad;
        for (const HeldAllocation& row : ReadAllocations(orderNumber, &read))
            allocationQuantity(row.part, row.quantityText, bad);
        if (refuseBadQuantity(transaction, bad))
            return false;
    }
    const RequirementBuild build = ReadRequirementBuild(orderNumber);
    const double remaining = std::max(0.0, build.quantity - build.built);
    double units = quantity > 0 ? std::min(quantity, remaining) : remaining;
    const bool finishes = !(units < remaining - kQuantityTolerance);
    if (finishes)
        units = remaining;
    bool ok = true;
    const ConsumptionOutcome consumed = consumeComponents(orderNumber, remaining > 0 ? units / remaining : 1.0,
                                                          finishes, ok);
    // A requirement never processed built nothing through this workflow.
    if (OrderStage(build.status) >= 1 && units > 0)
        ok = addBuiltAssemblies(orderNumber, build.assembly, units, ok);
    if (finishes) {
        ok = SetRequirementStatus(orderNumber, kStatusComplete) && ok;
        ok = SetRequirementTasksStatus(orderNumber, StoredWord(TaskStatus::Done)) && ok;
    }
    ok = SetRequirementBuilt(orderNumber, build.built + units) && ok;
    if (!ok)
        transaction.fail();
    if (!reportRefusal(transaction))
        return false;
    QString message = finishes ? Translate(QStringLiteral("Order Complete. Allocations and Stock Removed."))
                               : Format("%s %s / %s. %s %s", {Translate(QStringLiteral("Completed")), PlainNumber(units),
                                                              PlainNumber(build.quantity),
                                                              TranslateLabel(QStringLiteral("Still open:")),
                                                              PlainNumber(remaining - units)});
    if (!consumed.shortParts.isEmpty()) {
        QStringList named;
        for (const QString& part : consumed.shortParts)
            named << Format("%s (%s)", {part, PlainNumber(consumed.shortfall.value(part))});
        message += QLatin1Char('\n') + TranslateLabel(QStringLiteral("Stock fell short and was held at 0 for:"))
                   + QLatin1Char(' ') + named.join(QStringLiteral(", "));
    }
    if (OrderStage(build.status) >= 1 && units > 0)
        message += QLatin1Char('\n') + TranslateLabel(QStringLiteral("Built into stock:")) + QLatin1Char(' ')
                   + Format("%s %s", {PlainNumber(units), build.assembly});
    ShowMessage(message);
    return true;
}

bool CancelOrder(const QString& orderNumber)
{
    if (refuseFinished(orderNumber, requirementStatus(orderNumber)))
        return false;
    if (ShowMessage(QStringLiteral("Canceling Order will delete related pending PO's\n\r Are you Sure?"),
                    QStringLiteral("Cancel Order"), kButtonsYesNo)
        != kAnswerYes)
        return false;
    Transaction transaction;
    if (refuseGone(transaction, orderNumber))
        return false;
    if (RequirementFinished(requirementStatus(orderNumber))) {
        transaction.fail();
        refuseFinished(orderNumber, requirementStatus(orderNumber));
        return false;
    }
    // What the deleted orders would have delivered is no longer on order;
    // orders placed with the vendor stay, and so do their quantities.
    bool ok = true;
    const std::vector<RequirementPurchaseOrder> pending = ReadRequirementPurchaseOrders(orderNumber, true, &ok);
    QHash<QString, double> released;
    for (const RequirementPurchaseOrder& order : pending) {
        const QHash<QString, double> open = OpenQuantities(order.status, order.items);
        for (auto it = open.constBegin(); it != open.constEnd(); ++it)
            released[it.key()] -= it.value();
    }
    ok = AddToPartFigure(QStringLiteral("On_Order"), released) && ok;
    ok = DeletePendingPurchaseOrders(orderNumber) && ok;
    ok = SetRequirementStatus(orderNumber, StoredWord(RequirementStatus::Canceled)) && ok;
    // The allocations come off Allocated as one set, held at 0; a stored
    // figure that is no plain number fails the whole cancellation.
    bool read = true;
    const std::vector<HeldAllocation> rows = ReadAllocations(orderNumber, &read);
    ok = ok && read;
    WaitScope progress(QStringLiteral("Database Access..."), 0, 1);
    QString bad;
    QHash<QString, double> releasedAllocations;
    for (const HeldAllocation& row : rows)
        releasedAllocations[row.part] -= allocationQuantity(row.part, row.quantityText, bad);
    if (refuseBadQuantity(transaction, bad))
        return false;
    ok = AddToPartFigure(QStringLiteral("Allocated"), releasedAllocations, true) && ok;
    ok = DeleteAllocations(orderNumber) && ok;
    progress.setPosition(1);
    if (!ok)
        transaction.fail();
    if (!reportRefusal(transaction))
        return false;
    ShowMessage(QStringLiteral("Order Canceled. Allocations Removed. Pending POs have been Deleted"));
    return true;
}
