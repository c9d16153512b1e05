#include "db/purchaseorders.h"

#include "core/itemlist.h"
#include "core/statuses.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/slices.h"
#include "db/statement.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

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
    const QueryResult row = QueryBound(QStringLiteral("Select ") + columns.join(QLatin1Char(','))
                                           + QStringLiteral(" from PurcList where PO_nBr = ? order by id limit 1"),
                                       {number});
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
    const QueryResult row = QueryBound(QStringLiteral("Select PO_nBr from PurcList where PO_nBr = ? limit 1"), {number});
    if (ok)
        *ok = LastResultCode() == 0;
    return row.rowCount > 0 && row.cell(0, 0) == number;
}

PurchaseOrderState ReadPurchaseOrderState(const QString& number, bool* ok)
{
    PurchaseOrderState state;
    const QueryResult row =
        QueryBound(QStringLiteral("Select Status,Item_List from PurcList where PO_nBr = ? order by id limit 1"), {number});
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
    SqlArgs args;
    for (const auto& [field, value] : fields) {
        if (!assignments.isEmpty())
            assignments += QLatin1Char(',');
        // The column names come from the dialog's fixed lists.
        assignments += field + QStringLiteral(" = ?");
        args.emplace_back(value);
    }
    args.emplace_back(number);
    if (!ExecuteBound(QStringLiteral("Update PurcList Set ") + assignments + QStringLiteral(" where PO_nBr = ?"), args))
        return false;
    for (const auto& [field, value] : fields)
        if (field == QLatin1String("Item_List"))
            return WritePurchaseLines({{number, value}});
    return true;
}

std::vector<RequirementPurchaseOrder> ReadRequirementPurchaseOrders(const QString& orderNumber, bool pendingOnly,
                                                                    bool* ok)
{
    SqlArgs args{orderNumber};
    if (pendingOnly)
        args.emplace_back(StoredWord(PurchaseOrderStatus::Pending));
    const QueryResult rows =
        QueryBound(QStringLiteral("Select PurcList.ID,PurcList.PO_nBr,PurcList.Vendor,PurcList.Date,PurcList.Need_Date,"
                                  "PurcList.Status,PurcList.Item_List from PurcList where PurcList.Order_nBr = ?")
                       + (pendingOnly ? QStringLiteral(" and PurcList.Status = ?") : QString())
                       + QStringLiteral(" order by id"),
                   args);
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
    // The lines go with their orders, in the caller's transaction.
    const QString pending = StoredWord(PurchaseOrderStatus::Pending);
    return ExecuteBound(QStringLiteral("Delete from PurcLine where PO_nBr in (Select PO_nBr from PurcList where "
                                       "Order_nBr=? AND Status = ?)"),
                        {orderNumber, pending})
           && ExecuteBound(QStringLiteral("Delete from PurcList where Order_nBr=? AND Status = ?"), {orderNumber, pending});
}

namespace {

SqlArg sqlNumber(double value)
{
    return std::isfinite(value) ? SqlArg(value) : SqlArg(0.0);
}

} // namespace

std::vector<PurchaseLine> PurchaseLinesOf(const QString& number, const QString& itemList)
{
    std::vector<PurchaseLine> lines;
    int position = 0;
    for (const ItemRow& row : ParseItemList(itemList)) {
        PurchaseLine line;
        line.number = number;
        line.line = ++position;
        line.item = row.value(kItemNumber);
        line.part = row.value(kItemPart);
        line.orderCode = row.value(kItemOrderCode);
        line.quantity = row.value(kItemQuantity);
        // Read as receiving reads them: the whole number each text begins with.
        line.ordered = ItemQuantity(line.quantity);
        line.received = ItemQuantity(row.value(kItemReceived));
        line.price = TextToDouble(row.value(kItemPrice));
        line.status = row.value(kItemStatus);
        lines.push_back(std::move(line));
    }
    return lines;
}

bool WritePurchaseLines(const std::vector<std::pair<QString, QString>>& itemListOfOrder)
{
    if (itemListOfOrder.empty())
        return true;
    QStringList numbers;
    std::vector<PurchaseLine> lines;
    for (const auto& [number, items] : itemListOfOrder) {
        numbers << number;
        for (PurchaseLine& line : PurchaseLinesOf(number, items))
            lines.push_back(std::move(line));
    }
    numbers.removeDuplicates();
    // Thousands of lines a statement, as many as the database takes values:
    // Process of a large product writes its orders' lines in a few
    // statements, not one per few hundred lines.
    constexpr int kSlice = 10000;
    const qsizetype numberSlice = RowsPerStatement(1, kSlice);
    bool done = true;
    for (qsizetype from = 0; from < numbers.size() && done; from += numberSlice) {
        const QStringList slice = numbers.mid(from, numberSlice);
        SqlArgs args;
        AppendArgs(args, slice);
        done = ExecuteBound(QStringLiteral("Delete from PurcLine where PO_nBr in (")
                                + Placeholders(static_cast<int>(slice.size())) + QLatin1Char(')'),
                            args);
    }
    const size_t lineSlice = static_cast<size_t>(RowsPerStatement(10, kSlice));
    for (size_t from = 0; from < lines.size() && done; from += lineSlice) {
        QString values;
        SqlArgs args;
        const size_t to = std::min(lines.size(), from + lineSlice);
        args.reserve((to - from) * 10);
        for (size_t r = from; r < to; ++r) {
            const PurchaseLine& line = lines[r];
            values += r == from ? QStringLiteral("(?,?,?,?,?,?,?,?,?,?)") : QStringLiteral(",(?,?,?,?,?,?,?,?,?,?)");
            args.insert(args.end(), {line.number, line.item, line.part, line.orderCode, line.quantity, line.status,
                                     line.line, sqlNumber(line.ordered), sqlNumber(line.received),
                                     sqlNumber(line.price)});
        }
        done = ExecuteBound(QStringLiteral("Insert into PurcLine (PO_nBr,Item,Part_nBr,Order_Code,Quan,Status,Line,"
                                           "Ordered,Received,Price) values ")
                                + values,
                            args);
    }
    return done;
}

namespace {

// The first record (by id) of each order read: its Item_List is the order's.
std::vector<std::pair<QString, QString>> firstItemLists(const QueryResult& rows)
{
    std::vector<std::pair<QString, QString>> lists;
    QHash<QString, bool> seen;
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString& number = rows.cell(r, 0);
        if (seen.contains(number))
            continue;
        seen.insert(number, true);
        lists.emplace_back(number, rows.cell(r, 1));
    }
    return lists;
}

std::vector<OpenPurchaseLine> readLines(const QString& condition, const SqlArgs& args, bool* ok)
{
    const QueryResult orders = Query(QStringLiteral("Select PO_nBr,Status from PurcList order by id"));
    bool read = LastResultCode() == 0;
    QHash<QString, QString> statusOf;
    for (int r = 0; r < orders.rowCount; ++r)
        if (!statusOf.contains(orders.cell(r, 0)))
            statusOf.insert(orders.cell(r, 0), orders.cell(r, 1));
    const QueryResult rows =
        QueryBound(QStringLiteral("Select PO_nBr,Line,Item,Part_nBr,Order_Code,Quan,Ordered,Received,Price,Status "
                                  "from PurcLine")
                       + condition + QStringLiteral(" order by PO_nBr,Line"),
                   args);
    read = read && LastResultCode() == 0;
    if (ok)
        *ok = read;
    std::vector<OpenPurchaseLine> lines;
    lines.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r) {
        const auto status = statusOf.constFind(rows.cell(r, 0));
        // Lines of an order no longer on file deliver nothing.
        if (status == statusOf.constEnd())
            continue;
        OpenPurchaseLine open;
        open.orderStatus = *status;
        PurchaseLine& line = open.line;
        line.number = rows.cell(r, 0);
        line.line = TextToInt(rows.cell(r, 1));
        line.item = rows.cell(r, 2);
        line.part = rows.cell(r, 3);
        line.orderCode = rows.cell(r, 4);
        line.quantity = rows.cell(r, 5);
        line.ordered = TextToDouble(rows.cell(r, 6));
        line.received = TextToDouble(rows.cell(r, 7));
        line.price = TextToDouble(rows.cell(r, 8));
        line.status = rows.cell(r, 9);
        lines.push_back(std::move(open));
    }
    return lines;
}

} // namespace

bool RefreshPurchaseLines(const QStringList& numbers)
{
    if (numbers.isEmpty())
        return true;
    // The orders asked for in slices of bound values; an order's rows all
    // come in the slice that names it, so its first row is still the first.
    std::vector<std::pair<QString, QString>> lists;
    QSet<QString> found;
    const bool read = ReadInSlices(
        QStringLiteral("Select PO_nBr,Item_List from PurcList where PO_nBr in ("), numbers,
        QStringLiteral(") order by id"),
        [&](const QueryResult& rows) {
            for (auto& list : firstItemLists(rows)) {
                found.insert(list.first);
                lists.push_back(std::move(list));
            }
        },
        10000);
    // An order asked for that is gone keeps no lines.
    for (const QString& number : numbers)
        if (!found.contains(number)) {
            found.insert(number);
            lists.emplace_back(number, QString());
        }
    return read && WritePurchaseLines(lists);
}

bool RebuildAllPurchaseLines()
{
    const QueryResult rows = Query(QStringLiteral("Select PO_nBr,Item_List from PurcList order by id"));
    if (LastResultCode() != 0 || !Execute(QStringLiteral("Delete from PurcLine")))
        return false;
    std::vector<std::pair<QString, QString>> lists = firstItemLists(rows);
    // An order without a number has no lines anyone could ask for by it.
    std::erase_if(lists, [](const auto& order) { return order.first.isEmpty(); });
    return WritePurchaseLines(lists);
}

std::vector<OpenPurchaseLine> ReadAllPurchaseLines(bool* ok)
{
    return readLines(QString(), {}, ok);
}

std::vector<OpenPurchaseLine> ReadPurchaseLinesOfPart(const QString& part, bool* ok)
{
    return readLines(QStringLiteral(" where Part_nBr = ?"), {part}, ok);
}
