#include "orders/completion.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/stockledger.h"

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

// A figure that is not a plain number is an error, never read as one: "-1"
// allocated would raise stock on completion, "0x10" would read as 0.
double readPartValue(const char* format, const QString& part, bool& ok, QString& bad)
{
    const QString text = QueryText(SqlFormat(format, {part}), false);
    ok = ok && LastResultCode() == 0;
    double value = 0;
    QString error;
    if (!ParseStoredQuantity(text, &value, &error) && bad.isEmpty())
        bad = part + QStringLiteral(": ") + error;
    return value;
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
    return QueryText(SqlFormat("Select Status from ReqmList where Order_nBr = '%s'", {orderNumber}), false);
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
    const QString found =
        QueryText(SqlFormat("Select Order_nBr from ReqmList where Order_nBr = '%s'", {orderNumber}), false);
    if (LastResultCode() != 0 || found == orderNumber)
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
    const QueryResult orders =
        Query(SqlFormat("Select PO_nBr,Status from PurcList where Order_nBr = '%s' order by PO_nBr", {orderNumber}));
    for (int r = 0; r < orders.rowCount; ++r)
        if (!PurchaseOrderClosed(orders.cell(r, 1)))
            numbers << orders.cell(r, 0);
    return numbers;
}

} // namespace

bool CompleteOrder(const QString& orderNumber)
{
    if (refuseFinished(orderNumber, requirementStatus(orderNumber)))
        return false;
    // Completing before the parts arrive holds stock at 0 now and lets the
    // later receipts overstate it: the user decides knowing which orders.
    const QStringList open = openPurchaseOrders(orderNumber);
    const QString question =
        open.isEmpty() ? QStringLiteral("Complete Order. Are you Sure?")
                       : TranslateLabel(QStringLiteral("Purchase orders not yet received:")) + QLatin1Char(' ')
                             + open.join(QStringLiteral(", ")) + QLatin1Char('\n')
                             + Translate(QStringLiteral("Complete Order anyway?"));
    if (ShowMessage(question, QStringLiteral("Complete Order"), kButtonsYesNo) != kAnswerYes)
        return false;

    Transaction transaction;
    if (refuseGone(transaction, orderNumber))
        return false;
    // Another program may have finished it while the question was open.
    if (RequirementFinished(requirementStatus(orderNumber))) {
        transaction.fail();
        refuseFinished(orderNumber, requirementStatus(orderNumber));
        return false;
    }
    Execute(SqlFormat("UPDATE ReqmList SET Status='Complete' where Order_nBr='%s'", {orderNumber}));
    const QueryResult rows =
        Query(SqlFormat("Select Part_nBr,Quan from AlloList where Requirement = '%s' order by id", {orderNumber}));
    WaitScope progress(QStringLiteral("Database Access..."), 0, rows.rowCount);
    QStringList shortParts;
    QHash<QString, double> shortfall;
    bool ok = true;
    QString bad;
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString part = rows.cell(r, 0);
        const double quantity = allocationQuantity(part, rows.cell(r, 1), bad);
        const double allocated = readPartValue("Select Allocated from PartList where Part_nBr = '%s'", part, ok, bad);
        const double stock = readPartValue("Select Stock from PartList where Part_nBr = '%s'", part, ok, bad);
        if (stock - quantity < -0.0005) {
            if (!shortfall.contains(part))
                shortParts << part;
            shortfall[part] += quantity - std::max(stock, 0.0);
        }
        Execute(SqlFormat("Update PartList Set Allocated = '%s' where Part_nBr = '%s'",
                          {PlainNumber(std::max(0.0, allocated - quantity)), part}));
        Execute(SqlFormat("Update PartList Set Stock = '%s' where Part_nBr = '%s'",
                          {PlainNumber(std::max(0.0, stock - quantity)), part}));
        progress.setPosition(r + 1);
    }
    if (refuseBadQuantity(transaction, bad))
        return false;
    if (!ok)
        transaction.fail();
    if (!reportRefusal(transaction))
        return false;
    QString message = QStringLiteral("Order Complete. Allocations and Stock Removed.");
    if (!shortParts.isEmpty()) {
        QStringList named;
        for (const QString& part : shortParts)
            named << Format("%s (%s)", {part, PlainNumber(shortfall.value(part))});
        message = Translate(message) + QLatin1Char('\n')
                  + TranslateLabel(QStringLiteral("Stock fell short and was held at 0 for:")) + QLatin1Char(' ')
                  + named.join(QStringLiteral(", "));
    }
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
    const QueryResult pending = Query(
        SqlFormat("Select Status,Item_List from PurcList where Order_nBr='%s' AND Status = 'Pending' order by id",
                  {orderNumber}));
    bool ok = LastResultCode() == 0;
    QHash<QString, double> released;
    for (int r = 0; r < pending.rowCount; ++r) {
        const QHash<QString, double> open = OpenQuantities(pending.cell(r, 0), pending.cell(r, 1));
        for (auto it = open.constBegin(); it != open.constEnd(); ++it)
            released[it.key()] -= it.value();
    }
    ok = AddToPartFigure(QStringLiteral("On_Order"), released) && ok;
    Execute(SqlFormat("Delete from PurcList where Order_nBr='%s' AND Status = 'Pending'", {orderNumber}));
    Execute(SqlFormat("UPDATE ReqmList SET Status='Canceled' where Order_nBr='%s'", {orderNumber}));
    const QueryResult rows =
        Query(SqlFormat("Select Part_nBr,Quan from AlloList where Requirement = '%s' order by id", {orderNumber}));
    WaitScope progress(QStringLiteral("Database Access..."), 0, rows.rowCount);
    QString bad;
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString part = rows.cell(r, 0);
        const double quantity = allocationQuantity(part, rows.cell(r, 1), bad);
        const double allocated = readPartValue("Select Allocated from PartList where Part_nBr = '%s'", part, ok, bad);
        Execute(SqlFormat("Update PartList Set Allocated = '%s' where Part_nBr = '%s'",
                          {PlainNumber(std::max(0.0, allocated - quantity)), part}));
        progress.setPosition(r + 1);
    }
    Execute(SqlFormat("Delete from AlloList where Requirement='%s'", {orderNumber}));
    if (refuseBadQuantity(transaction, bad))
        return false;
    if (!ok)
        transaction.fail();
    if (!reportRefusal(transaction))
        return false;
    ShowMessage(QStringLiteral("Order Canceled. Allocations Removed. Pending POs have been Deleted"));
    return true;
}
