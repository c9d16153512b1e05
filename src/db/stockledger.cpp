#include "db/stockledger.h"

#include "core/format.h"
#include "core/itemlist.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/database.h"

#include <QSet>
#include <cmath>

bool RequirementFinished(const QString& status)
{
    return status.contains(QLatin1String("Close")) || status.contains(QLatin1String("Complete"))
           || status.contains(QLatin1String("Can"));
}

bool PurchaseOrderClosed(const QString& status)
{
    return status.contains(QLatin1String("Closed"));
}

QHash<QString, double> OpenQuantities(const QString& status, const QString& itemList)
{
    QHash<QString, double> open;
    if (PurchaseOrderClosed(status))
        return open;
    for (const ItemRow& row : ParseItemList(itemList)) {
        const double quantity = ItemOpenQuantity(row);
        // A line without a part delivers to no figure.
        if (quantity != 0 && !row[kItemPart].isEmpty())
            open[row[kItemPart]] += quantity;
    }
    return open;
}

QHash<QString, LedgerFigures> ComputeStockLedger(bool* ok)
{
    QHash<QString, LedgerFigures> ledger;
    bool read = true;

    // A requirement number given twice counts as open when any of its rows is.
    QHash<QString, bool> open;
    const QueryResult requirements = Query(QStringLiteral("Select Order_nBr,Status from ReqmList"));
    read = read && LastResultCode() == 0;
    for (int r = 0; r < requirements.rowCount; ++r)
        open[requirements.cell(r, 0)] |= !RequirementFinished(requirements.cell(r, 1));

    // Rows of a requirement that no longer exists hold nothing either.
    const QueryResult allocations = Query(QStringLiteral("Select Requirement,Part_nBr,Quan from AlloList"));
    read = read && LastResultCode() == 0;
    for (int r = 0; r < allocations.rowCount; ++r)
        if (open.value(allocations.cell(r, 0), false))
            ledger[allocations.cell(r, 1)].allocated += TextToDouble(allocations.cell(r, 2));

    const QueryResult orders = Query(QStringLiteral("Select Status,Item_List from PurcList"));
    read = read && LastResultCode() == 0;
    for (int r = 0; r < orders.rowCount; ++r) {
        const QHash<QString, double> quantities = OpenQuantities(orders.cell(r, 0), orders.cell(r, 1));
        for (auto it = quantities.constBegin(); it != quantities.constEnd(); ++it)
            ledger[it.key()].onOrder += it.value();
    }
    if (ok)
        *ok = read;
    return ledger;
}

bool FiguresAgree(double stored, double ledger)
{
    return std::fabs(stored - ledger) < 0.001;
}

std::vector<StockDisagreement> CheckStockFigures(bool* ok)
{
    std::vector<StockDisagreement> disagreements;
    bool read = false;
    const QHash<QString, LedgerFigures> ledger = ComputeStockLedger(&read);
    bool moves = false;
    const QHash<QString, double> moved = StockFromMovements(&moves);
    read = read && moves;
    const QueryResult parts = Query(QStringLiteral("Select Part_nBr,Allocated,On_Order,Stock from PartList order by id"));
    read = read && LastResultCode() == 0;
    for (int r = 0; r < parts.rowCount && read; ++r) {
        const QString part = parts.cell(r, 0);
        const LedgerFigures figures = ledger.value(part);
        const double allocated = TextToDouble(parts.cell(r, 1));
        const double onOrder = TextToDouble(parts.cell(r, 2));
        if (!FiguresAgree(allocated, figures.allocated))
            disagreements.push_back({part, QStringLiteral("Allocated"), allocated, figures.allocated});
        if (!FiguresAgree(onOrder, figures.onOrder))
            disagreements.push_back({part, QStringLiteral("On_Order"), onOrder, figures.onOrder});
        // Stock is checked from a part's first recorded movement on; a part
        // that never moved under the ledger has nothing to sum.
        const auto movedStock = moved.constFind(part);
        const double stock = TextToDouble(parts.cell(r, 3));
        if (movedStock != moved.constEnd() && !FiguresAgree(stock, *movedStock))
            disagreements.push_back({part, QStringLiteral("Stock"), stock, *movedStock});
    }
    if (ok)
        *ok = read;
    if (!read)
        disagreements.clear();
    return disagreements;
}

int RepairStockFigures()
{
    Transaction transaction;
    bool read = false;
    const std::vector<StockDisagreement> disagreements = CheckStockFigures(&read);
    if (!read)
        transaction.fail();
    for (const StockDisagreement& d : disagreements) {
        // The figure names come from the fixed pair above, never from user text.
        Execute(SqlFormat("Update PartList Set %s = '%s' where Part_nBr = '%s'",
                          {d.figure, PlainNumber(d.ledger), d.part}));
    }
    if (!transaction.commit())
        return -1;
    return static_cast<int>(disagreements.size());
}

bool AddToPartFigure(const QString& column, const QHash<QString, double>& deltas, bool floorAtZero)
{
    bool done = true;
    for (auto it = deltas.constBegin(); it != deltas.constEnd(); ++it) {
        if (it.value() == 0)
            continue;
        const QString stored =
            QueryText(SqlFormat("Select %s from PartList where Part_nBr = '%s'", {column, it.key()}), false);
        done = done && LastResultCode() == 0;
        double value = TextToDouble(stored) + it.value();
        if (floorAtZero && value < 0)
            value = 0;
        done = Execute(SqlFormat("Update PartList Set %s = '%s' where Part_nBr = '%s'",
                                 {column, PlainNumber(value), it.key()}))
               && done;
    }
    return done;
}

bool RecordStockMovements(const std::vector<StockMovement>& movements)
{
    std::vector<QStringList> rows;
    rows.reserve(movements.size() + 1);
    const QString stamp = TimestampText();
    const QString date = stamp.left(10);
    const QString user = CurrentUserName();
    QHash<QString, double> moved;
    QStringList names;
    for (const StockMovement& m : movements) {
        if (m.quantity == 0)
            continue;
        if (!moved.contains(m.part))
            names << QLatin1Char('\'') + SqlEscape(m.part) + QLatin1Char('\'');
        moved[m.part] += m.quantity;
    }
    if (moved.isEmpty())
        return true;
    // A part's first movement opens its ledger with the stock it had before,
    // so that from then on its movements sum to its Stock figure.
    const QueryResult known = Query(QStringLiteral("Select distinct Part_nBr from MoveList where Part_nBr in (")
                                    + names.join(QLatin1Char(',')) + QLatin1Char(')'));
    if (LastResultCode() != 0)
        return false;
    QSet<QString> opened;
    for (int r = 0; r < known.rowCount; ++r)
        opened.insert(known.cell(r, 0));
    const QueryResult stocks = Query(QStringLiteral("Select Part_nBr,Stock from PartList where Part_nBr in (")
                                     + names.join(QLatin1Char(',')) + QLatin1Char(')'));
    if (LastResultCode() != 0)
        return false;
    for (int r = 0; r < stocks.rowCount; ++r) {
        const QString part = stocks.cell(r, 0);
        const double before = TextToDouble(stocks.cell(r, 1)) - moved.value(part);
        if (!opened.contains(part) && std::fabs(before) > 1e-9) {
            rows.push_back({part, PlainNumber(before), QStringLiteral("Opening"), QString(), QString(), date, user, stamp});
            opened.insert(part);
        }
    }
    for (const StockMovement& m : movements) {
        if (m.quantity == 0)
            continue;
        rows.push_back({m.part, PlainNumber(m.quantity), m.kind, m.document, m.reason, date, user, stamp});
    }
    InsertRows(rows, MoveList);
    return LastResultCode() == 0;
}

QHash<QString, double> StockFromMovements(bool* ok)
{
    QHash<QString, double> stock;
    const QueryResult rows = Query(QStringLiteral("Select Part_nBr,Quantity from MoveList"));
    if (ok)
        *ok = LastResultCode() == 0;
    for (int r = 0; r < rows.rowCount; ++r)
        stock[rows.cell(r, 0)] += TextToDouble(rows.cell(r, 1));
    return stock;
}
