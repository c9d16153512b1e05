#include "db/purchaseorders.h"

#include "core/format.h"
#include "db/database.h"

QMap<QString, QString> ReadPurchaseOrderFields(const QString& number, const QStringList& fields, bool* found, bool* ok)
{
    QStringList columns;
    for (const QString& field : fields)
        if (!columns.contains(field))
            columns << field;
    QMap<QString, QString> values;
    for (const QString& field : columns)
        values.insert(field, QString());
    if (columns.isEmpty()) {
        if (found)
            *found = PurchaseOrderOnFile(number, ok);
        return values;
    }
    // The record's first row answers, as the dialog has always shown it.
    const QueryResult row = Query(SqlFormat("Select %s from PurcList where PO_nBr = '%s' order by id limit 1",
                                            {columns.join(QLatin1Char(',')), number}));
    if (ok)
        *ok = LastResultCode() == 0;
    if (found)
        *found = row.rowCount > 0;
    for (int c = 0; c < columns.size() && row.rowCount > 0; ++c)
        values[columns[c]] = row.cell(0, c);
    return values;
}

QStringList ReadPendingPurchaseOrderNumbers(bool* ok)
{
    const QueryResult rows =
        Query(QStringLiteral("Select distinct PO_nBr from PurcList where Status = 'Pending' order by PO_nBr"));
    if (ok)
        *ok = LastResultCode() == 0;
    QStringList numbers;
    for (int r = 0; r < rows.rowCount; ++r)
        if (!rows.cell(r, 0).isEmpty())
            numbers << rows.cell(r, 0);
    return numbers;
}

bool PurchaseOrderOnFile(const QString& number, bool* ok)
{
    if (number.isEmpty()) {
        if (ok)
            *ok = true;
        return false;
    }
    const QueryResult row = Query(SqlFormat("Select PO_nBr from PurcList where PO_nBr = '%s' limit 1", {number}));
    if (ok)
        *ok = LastResultCode() == 0;
    return row.rowCount > 0 && row.cell(0, 0) == number;
}

PurchaseOrderState ReadPurchaseOrderState(const QString& number, bool* ok)
{
    PurchaseOrderState state;
    const QueryResult row =
        Query(SqlFormat("Select Status,Item_List from PurcList where PO_nBr = '%s' order by id limit 1", {number}));
    if (ok)
        *ok = LastResultCode() == 0;
    if (row.rowCount == 0)
        return state;
    state.found = true;
    state.status = row.cell(0, 0);
    state.items = row.cell(0, 1);
    return state;
}

bool WritePurchaseOrderFields(const QString& number, const std::vector<std::pair<QString, QString>>& fields)
{
    if (fields.empty())
        return true;
    QString assignments;
    for (const auto& [field, value] : fields) {
        if (!assignments.isEmpty())
            assignments += QLatin1Char(',');
        // The column names come from the dialog's fixed lists.
        assignments += SqlFormat("%s = '%s'", {field, value});
    }
    return Execute(QStringLiteral("Update PurcList Set ") + assignments
                   + SqlFormat(" where PO_nBr = '%s'", {number}));
}

std::vector<RequirementPurchaseOrder> ReadRequirementPurchaseOrders(const QString& orderNumber, bool pendingOnly,
                                                                    bool* ok)
{
    const QueryResult rows =
        Query(SqlFormat("Select PurcList.ID,PurcList.PO_nBr,PurcList.Vendor,PurcList.Date,PurcList.Need_Date,"
                        "PurcList.Status,PurcList.Item_List from PurcList where PurcList.Order_nBr = '%s'",
                        {orderNumber})
              + (pendingOnly ? QStringLiteral(" and PurcList.Status = 'Pending'") : QString())
              + QStringLiteral(" order by id"));
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<RequirementPurchaseOrder> orders;
    orders.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        orders.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4),
                          rows.cell(r, 5), rows.cell(r, 6)});
    return orders;
}

bool DeletePendingPurchaseOrders(const QString& orderNumber)
{
    return Execute(SqlFormat("Delete from PurcList where Order_nBr='%s' AND Status = 'Pending'", {orderNumber}));
}
