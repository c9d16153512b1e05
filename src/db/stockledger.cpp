#include "db/stockledger.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/itemlist.h"
#include "core/quantity.h"
#include "core/statuses.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/purchaseorders.h"
#include "db/slices.h"
#include "db/statement.h"

#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <functional>

bool RequirementFinished(const QString& status)
{
    return IsFinished(RequirementStatusOf(status));
}

bool PurchaseOrderClosed(const QString& status)
{
    return PurchaseOrderStatusOf(status) == PurchaseOrderStatus::Closed;
}

QHash<QString, double> OpenQuantities(const QString& status, const QString& itemList, QString* bad)
{
    return OpenLineQuantities(status, PurchaseLinesOf(QString(), itemList), bad);
}

QHash<QString, double> OpenLineQuantities(const QString& status, const std::vector<PurchaseLine>& lines, QString* bad)
{
    QHash<QString, double> open;
    if (PurchaseOrderClosed(status))
        return open;
    for (const PurchaseLine& line : lines) {
        QString error;
        if (!line.part.isEmpty() && !ParseStoredQuantity(line.quantity, nullptr, &error)) {
            if (bad && bad->isEmpty())
                *bad = line.part + QStringLiteral(": ") + error;
            continue;
        }
        const double quantity = OpenLineQuantity(line.ordered, line.received);
        // A line without a part delivers to no figure.
        if (quantity != 0 && !line.part.isEmpty())
            open[line.part] += quantity;
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

    // The orders' lines as the table keeps them, each with its order's status.
    bool linesRead = true;
    const std::vector<OpenPurchaseLine> lines = ReadAllPurchaseLines(&linesRead);
    read = read && linesRead;
    for (const OpenPurchaseLine& orderLine : lines) {
        QString badLine;
        const QHash<QString, double> quantities = OpenLineQuantities(orderLine.orderStatus, {orderLine.line}, &badLine);
        if (!badLine.isEmpty() && bad.isEmpty())
            bad = orderLine.line.number + QLatin1Char(' ') + badLine;
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
    bool moves = false;
    const QHash<QString, double> moved = StockFromMovements(&moves);
    read = read && moves;
    const QueryResult parts = Query(QStringLiteral("Select Part_nBr,Allocated,On_Order,Stock from PartList order by id"));
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
    // One write per figure, whatever the number of parts.
    QHash<QString, QHash<QString, QStringList>> byFigure;
    for (const StockDisagreement& d : disagreements)
        byFigure[d.figure].insert(d.part, {PlainNumber(d.ledger)});
    for (auto it = byFigure.constBegin(); it != byFigure.constEnd(); ++it)
        WritePartFigures({it.key()}, it.value());
    if (!transaction.commit())
        return -1;
    return static_cast<int>(disagreements.size());
}

QHash<QString, PartFigures> ReadPartFigures(const QStringList& parts, bool* ok)
{
    QHash<QString, PartFigures> figures;
    if (parts.isEmpty()) {
        if (ok)
            *ok = true;
        return figures;
    }
    const bool read = ReadInSlices(QStringLiteral("Select Part_nBr,Stock,Allocated,On_Order from PartList where "
                                                  "Part_nBr in ("),
                                   parts, QStringLiteral(") order by id"), [&](const QueryResult& rows) {
                                       for (int r = 0; r < rows.rowCount; ++r)
                                           if (!figures.contains(rows.cell(r, 0)))
                                               figures.insert(rows.cell(r, 0), {TextToDouble(rows.cell(r, 1)),
                                                                                TextToDouble(rows.cell(r, 2)),
                                                                                TextToDouble(rows.cell(r, 3))});
                                   });
    if (ok)
        *ok = read;
    return figures;
}

bool WritePartFigures(const QStringList& columns, const QHash<QString, QStringList>& values)
{
    if (values.isEmpty() || columns.isEmpty())
        return true;
    // One join of the records to a list of values: a bill of thousands of
    // parts is one round trip to a server, and the index on the part number
    // finds each record, where a CASE would be searched once per record.
    QString assignments;
    for (int c = 0; c < columns.size(); ++c) {
        if (c)
            assignments += QLatin1Char(',');
        assignments += columns[c] + QStringLiteral(" = v.column") + QString::number(c + 2);
    }
    // Plain numbers go in as numbers: a list of values is typed by what it
    // holds, and a server stores a number into a text or a number column
    // alike, where text would not go into a number column. Anything else is
    // text. A decimal goes to the server as the exact number it spells
    // ("2.50" stays 2.50 in a text column), as the same figure written into
    // the statement did; SQLite takes it as the real it reads as.
    static const QRegularExpression plainNumber(QStringLiteral("^-?[0-9]{1,15}(\\.[0-9]{1,6})?$"));
    const bool server = DatabaseOnServer();
    const int perRow = 1 + static_cast<int>(columns.size());
    const int slice = RowsPerStatement(perRow, static_cast<int>(values.size()));
    QString rows;
    SqlArgs args;
    int pending = 0;
    bool done = true;
    const auto flush = [&] {
        done = ExecuteBound(QStringLiteral("Update PartList Set ") + assignments + QStringLiteral(" from (values ") + rows
                                + QStringLiteral(") as v where PartList.Part_nBr = v.column1"),
                            args)
               && done;
        rows.clear();
        args.clear();
        pending = 0;
    };
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        rows += rows.isEmpty() ? QStringLiteral("(?") : QStringLiteral(",(?");
        args.emplace_back(it.key());
        for (int c = 0; c < columns.size(); ++c) {
            const QString value = it.value().value(c);
            if (!plainNumber.match(value).hasMatch()) {
                rows += QStringLiteral(",?");
                args.emplace_back(value);
            } else if (server && value.contains(QLatin1Char('.'))) {
                rows += QStringLiteral(",cast(? as numeric)");
                args.emplace_back(value);
            } else {
                rows += QStringLiteral(",?");
                args.push_back(SqlArg::number(value));
            }
        }
        rows += QLatin1Char(')');
        if (++pending >= slice)
            flush();
    }
    if (pending > 0)
        flush();
    return done;
}

bool AddToPartFigure(const QString& column, const QHash<QString, double>& deltas, bool floorAtZero)
{
    QStringList parts;
    for (auto it = deltas.constBegin(); it != deltas.constEnd(); ++it)
        if (it.value() != 0)
            parts << it.key();
    if (parts.isEmpty())
        return true;
    // The figure names come from this unit's callers, never from user text.
    QHash<QString, double> stored;
    QString unreadable;
    bool done = ReadInSlices(QStringLiteral("Select Part_nBr,") + column
                                 + QStringLiteral(" from PartList where Part_nBr in ("),
                             parts, QStringLiteral(") order by id"), [&](const QueryResult& rows) {
                                 for (int r = 0; r < rows.rowCount && unreadable.isEmpty(); ++r) {
                                     if (stored.contains(rows.cell(r, 0)))
                                         continue;
                                     double value = 0;
                                     QString error;
                                     // A figure that is no plain number is an error, never a number.
                                     if (!readStoredFigure(rows.cell(r, 1), &value, &error))
                                         unreadable = rows.cell(r, 0) + QLatin1Char(' ') + column
                                                      + QStringLiteral(": ") + error;
                                     else
                                         stored.insert(rows.cell(r, 0), value);
                                 }
                             });
    if (!unreadable.isEmpty()) {
        FailTransaction(unreadable);
        return false;
    }
    QHash<QString, QStringList> values;
    for (const QString& part : parts) {
        double value = stored.value(part) + deltas.value(part);
        if (floorAtZero && value < 0)
            value = 0;
        values.insert(part, {PlainNumber(value)});
    }
    return WritePartFigures({column}, values) && done;
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
            names << m.part;
        moved[m.part] += m.quantity;
    }
    if (moved.isEmpty())
        return true;
    // A part's first movement opens its ledger with the stock it had before,
    // so that from then on its movements sum to its Stock figure.
    QSet<QString> opened;
    if (!ReadInSlices(QStringLiteral("Select distinct Part_nBr from MoveList where Part_nBr in ("), names,
                      QStringLiteral(")"), [&](const QueryResult& known) {
                          for (int r = 0; r < known.rowCount; ++r)
                              opened.insert(known.cell(r, 0));
                      }))
        return false;
    const bool read = ReadInSlices(
        QStringLiteral("Select Part_nBr,Stock from PartList where Part_nBr in ("), names, QStringLiteral(")"),
        [&](const QueryResult& stocks) {
            for (int r = 0; r < stocks.rowCount; ++r) {
                const QString part = stocks.cell(r, 0);
                const double before = TextToDouble(stocks.cell(r, 1)) - moved.value(part);
                if (!opened.contains(part) && std::fabs(before) > 1e-9) {
                    rows.push_back(
                        {part, PlainNumber(before), QStringLiteral("Opening"), QString(), QString(), date, user, stamp});
                    opened.insert(part);
                }
            }
        });
    if (!read)
        return false;
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
