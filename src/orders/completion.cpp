#include "orders/completion.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"

#include <algorithm>

namespace {

bool reportRefusal(Transaction& transaction)
{
    const QString error = LastErrorText();
    if (transaction.commit())
        return true;
    ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
                    + error,
                QStringLiteral("Database Status"));
    return false;
}

double readPartValue(const char* format, const QString& part)
{
    return TextToDouble(QueryText(SqlFormat(format, {part}), false));
}

} // namespace

bool CompleteOrder(const QString& orderNumber)
{
    if (ShowMessage(QStringLiteral("Complete Order. Are you Sure?"), QStringLiteral("Complete Order"), kButtonsYesNo)
        != kAnswerYes)
        return false;
    Transaction transaction;
    Execute(SqlFormat("UPDATE ReqmList SET Status='Complete' where Order_nBr='%s'", {orderNumber}));
    const QueryResult rows =
        Query(SqlFormat("Select Part_nBr,Quan from AlloList where Requirement = '%s'", {orderNumber}));
    WaitScope progress(QStringLiteral("Database Access..."), 0, rows.rowCount);
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString part = rows.cell(r, 0);
        const double quantity = TextToDouble(rows.cell(r, 1));
        const double allocated =
            std::max(0.0, readPartValue("Select Allocated from PartList where Part_nBr = '%s'", part) - quantity);
        const double stock =
            std::max(0.0, readPartValue("Select Stock from PartList where Part_nBr = '%s'", part) - quantity);
        Execute(SqlFormat("Update PartList Set Allocated = %0.1f where Part_nBr = '%s'", {allocated, part}));
        Execute(SqlFormat("Update PartList Set Stock = %0.1f where Part_nBr = '%s'", {stock, part}));
        progress.setPosition(r + 1);
    }
    if (!reportRefusal(transaction))
        return false;
    ShowMessage(QStringLiteral("Order Complete. Allocations and Stock Removed."));
    return true;
}

bool CancelOrder(const QString& orderNumber)
{
    if (ShowMessage(QStringLiteral("Canceling Order will delete related pending PO's\n\r Are you Sure?"),
                    QStringLiteral("Cancel Order"), kButtonsYesNo)
        != kAnswerYes)
        return false;
    Transaction transaction;
    Execute(SqlFormat("Delete from PurcList where Order_nBr='%s' AND Status = 'Pending'", {orderNumber}));
    Execute(SqlFormat("UPDATE ReqmList SET Status='Canceled' where Order_nBr='%s'", {orderNumber}));
    const QueryResult rows =
        Query(SqlFormat("Select Part_nBr,Quan from AlloList where Requirement = '%s'", {orderNumber}));
    WaitScope progress(QStringLiteral("Database Access..."), 0, rows.rowCount);
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString part = rows.cell(r, 0);
        const double allocated = std::max(
            0.0, readPartValue("Select Allocated from PartList where Part_nBr = '%s'", part) - TextToDouble(rows.cell(r, 1)));
        Execute(SqlFormat("Update PartList Set Allocated = %0.1f where Part_nBr = '%s'", {allocated, part}));
        progress.setPosition(r + 1);
    }
    Execute(SqlFormat("Delete from AlloList where Requirement='%s'", {orderNumber}));
    if (!reportRefusal(transaction))
        return false;
    ShowMessage(QStringLiteral("Order Canceled. Allocations Removed. Pending POs have been Deleted"));
    return true;
}
