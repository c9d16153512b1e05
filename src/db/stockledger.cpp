#include "db/stockledger.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/itemlist.h"
#include "core/quantity.h"
#include "core/userinterface.h"
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

QHash<QString, double> OpenQuantities(const QString& status, const QString& itemList, QString* bad)
{
    QHash<QString, double> open;
    if (PurchaseOrderClosed(status))
        return open;
    for (const ItemRow& row : ParseItemList(itemList)) {
        QString error;
        if (!row[kItemPart].isEmpty() && !ParseStoredQuantity(row[kItemQuantity], nullptr, &error)) {
            if (bad && bad->isEmpty())
                *bad = row[kItemPart] + QStringLiteral(": ") + error;
            continue;
        }
        const double quantity = ItemQuantity(row[kItemQuantity]);
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
    // A quantity that is not a plain number makes no figure: the check says
    // so instead of summing whatever a lenient reading makes of it.
    QString bad;
    for (int r = 0; r < allocations.rowCount; ++r) {
        if (!open.value(allocations.cell(r, 0), false))
            continue;
        double quantity = 0;
        QString error;
        if (!ParseStoredQuantity(allocations.cell(r, 2), &quantity, &error) && bad.isEmpty())
            bad = allocations.cell(r, 0) + QLatin1Char(' ') + allocations.cell(r, 1) + QStringLiteral(": ") + error;
        ledger[allocations.cell(r, 1)].allocated += quantity;
    }

    const QueryResult orders = Query(QStringLiteral("Select Status,Item_List,PO_nBr from PurcList"));
    read = read && LastResultCode() == 0;
    for (int r = 0; r < orders.rowCount; ++r) {
        QString badLine;
        const QHash<QString, double> quantities = OpenQuantities(orders.cell(r, 0), orders.cell(r, 1), &badLine);
        if (!badLine.isEmpty() && bad.isEmpty())
            bad = orders.cell(r, 2) + QLatin1Char(' ') + badLine;
        for (auto it = quantities.constBegin(); it != quantities.constEnd(); ++it)
            ledger[it.key()].onOrder += it.value();
    }
    if (!bad.isEmpty()) {
        read = false;
        ShowMessage(TranslateLabel(QStringLiteral("A stored quantity is not a plain number:")) + QLatin1Char(' ') + bad,
                    QStringLiteral("Database Status"));
    }
    if (ok)
        *ok = read;
    return ledger;
}

namespace {

// A figure taken below 0 by arithmetic on a figure edited by hand is a
// disagreement the repair mends, not an unreadable text.
bool readStoredFigure(const QString& text, double* value, QString* error)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() > 1 && trimmed.startsWith(QLatin1Char('-')) && ParseStoredQuantity(trimmed.mid(1), value, nullptr)) {
        *value = -*value;
        return true;
    }
    return ParseStoredQuantity(text, value, error);
}

} // namespace

bool FiguresAgree(double stored, double ledger)
{
    return std::fabs(stored - ledger) < 0.001;
}

std::vector<StockDisagreement> CheckStockFigures(bool* ok)
{
    std::vector<StockDisagreement> disagreements;
    bool read = false;
    const QHash<QString, LedgerFigures> ledger = ComputeStockLedger(&read);
    const QueryResult parts = Query(QStringLiteral("Select Part_nBr,Allocated,On_Order from PartList order by id"));
    read = read && LastResultCode() == 0;
    for (int r = 0; r < parts.rowCount && read; ++r) {
        const QString part = parts.cell(r, 0);
        const LedgerFigures figures = ledger.value(part);
        // A figure typed over by hand is what the check is for: read as the
        // grid shows it, and repaired to the ledger's.
        const double allocated = TextToDouble(parts.cell(r, 1));
        const double onOrder = TextToDouble(parts.cell(r, 2));
        if (!FiguresAgree(allocated, figures.allocated))
            disagreements.push_back({part, QStringLiteral("Allocated"), allocated, figures.allocated});
        if (!FiguresAgree(onOrder, figures.onOrder))
            disagreements.push_back({part, QStringLiteral("On_Order"), onOrder, figures.onOrder});
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
        double value = 0;
        QString error;
        if (!readStoredFigure(stored, &value, &error)) {
            FailTransaction(it.key() + QLatin1Char(' ') + column + QStringLiteral(": ") + error);
            return false;
        }
        value += it.value();
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
    rows.reserve(movements.size());
    const QString stamp = TimestampText();
    const QString date = stamp.left(10);
    const QString user = CurrentUserName();
    for (const StockMovement& m : movements) {
        if (m.quantity == 0)
            continue;
        rows.push_back({m.part, PlainNumber(m.quantity), m.kind, m.document, m.reason, date, user, stamp});
    }
    if (rows.empty())
        return true;
    InsertRows(rows, MoveList);
    return LastResultCode() == 0;
}
