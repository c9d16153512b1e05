#include "db/parts.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/slices.h"
#include "db/statement.h"

#include <algorithm>

namespace {

// Names per statement: large enough that even the whole bill of a large
// product is a statement or two (each is a round trip to a server), well
// within what either database takes in one statement.
constexpr int kSlice = 10000;

const char* const kRecordColumns =
    "Part_nBr,Description,Category,Picture,Currency,Price,Labor,Manufacturer,Distributor";

PartRecordFields recordOfRow(const QueryResult& rows, int r)
{
    PartRecordFields f;
    f.found = true;
    f.description = rows.cell(r, 1);
    f.category = rows.cell(r, 2);
    f.picture = rows.cell(r, 3);
    f.currency = rows.cell(r, 4);
    f.price = rows.cell(r, 5);
    f.labor = rows.cell(r, 6);
    f.manufacturer = rows.cell(r, 7);
    f.distributor = rows.cell(r, 8);
    return f;
}

} // namespace

PartRecordFields ReadPartRecord(const QString& part, bool* ok)
{
    const QueryResult row =
        QueryBound(QStringLiteral("Select %1 from PartList where Part_nBr = ? order by id limit 1")
                       .arg(QString::fromLatin1(kRecordColumns)),
                   {part});
    if (ok)
        *ok = LastResultCode() == 0;
    return row.rowCount > 0 ? recordOfRow(row, 0) : PartRecordFields();
}

QHash<QString, PartRecordFields> ReadPartRecords(const QStringList& parts, bool* ok)
{
    QHash<QString, PartRecordFields> records;
    const bool read = ReadInSlices(
        QStringLiteral("Select %1 from PartList where Part_nBr in (").arg(QString::fromLatin1(kRecordColumns)), parts,
        QStringLiteral(") order by id"),
        [&](const QueryResult& rows) {
            for (int r = 0; r < rows.rowCount; ++r)
                if (!records.contains(rows.cell(r, 0)))
                    records.insert(rows.cell(r, 0), recordOfRow(rows, r));
        },
        kSlice);
    if (ok)
        *ok = read;
    return records;
}

bool PartOnFile(const QString& part, bool* ok)
{
    const QueryResult row = QueryBound(QStringLiteral("Select Part_nBr from PartList where Part_nBr = ? limit 1"), {part});
    if (ok)
        *ok = LastResultCode() == 0;
    return row.rowCount > 0;
}

QStringList ReadPartNumbers(bool* ok)
{
    const QueryResult rows = Query(QStringLiteral("Select Part_nBr from PartList order by id"));
    if (ok)
        *ok = LastResultCode() == 0;
    QStringList numbers;
    numbers.reserve(rows.rowCount);
    for (int r = 0; r < rows.rowCount; ++r)
        numbers << rows.cell(r, 0);
    return numbers;
}

QStringList PartNumbersAmong(const QStringList& parts, bool* ok)
{
    QStringList found;
    const bool read = ReadInSlices(
        QStringLiteral("Select Part_nBr from PartList where Part_nBr in ("), parts, QStringLiteral(") order by id"),
        [&](const QueryResult& rows) {
            for (int r = 0; r < rows.rowCount; ++r)
                found << rows.cell(r, 0);
        },
        kSlice);
    if (ok)
        *ok = read;
    return found;
}

QString PartNumberOfRecord(int id, bool* found, bool* ok)
{
    const QueryResult row = QueryBound(QStringLiteral("Select Part_nBr from PartList where id=?"), {id});
    if (ok)
        *ok = LastResultCode() == 0;
    if (found)
        *found = row.rowCount == 1;
    return row.rowCount == 1 ? row.cell(0, 0) : QString();
}

bool WritePartRecordFields(int id, const std::vector<std::pair<QString, QString>>& fields)
{
    if (fields.empty())
        return true;
    // The field names come from the table's definition; the values are bound.
    QString assignments;
    SqlArgs args;
    for (const auto& [field, value] : fields) {
        if (!assignments.isEmpty())
            assignments += QLatin1Char(',');
        assignments += field + QStringLiteral(" = ?");
        args.emplace_back(value);
    }
    args.emplace_back(id);
    return ExecuteBound(QStringLiteral("Update PartList Set ") + assignments + QStringLiteral(" where id=?"), args);
}

bool EnsurePartRecord(const QString& part, bool made, const QString& user, const QString& stamp, bool* added)
{
    if (added)
        *added = false;
    bool ok = true;
    if (PartOnFile(part, &ok))
        return true;
    if (!ok)
        return false;
    if (!ExecuteBound(QStringLiteral("Insert into PartList (Part_nBr,Description,User,Revision,Time_Stamp,Currency,"
                                     "Make) values (?,?,?,?,?,?,?)"),
                      {part, part + QLatin1Char(' ') + Translate(QStringLiteral("Description")), user,
                       QStringLiteral("A"), stamp, App().CurrentCurrency,
                       made ? QStringLiteral("Make") : QStringLiteral("Buy")}))
        return false;
    if (added)
        *added = true;
    return true;
}

bool WritePartCosts(const std::vector<PartCost>& costs)
{
    // The figures stay text as the roll-up always stored them ("12.30"): a
    // list of quoted values, joined to the records through the index on the
    // part number, one statement per slice.
    // A part named twice takes its last cost, as writing them in turn did.
    QHash<QString, size_t> last;
    for (size_t i = 0; i < costs.size(); ++i)
        last.insert(costs[i].part, i);
    std::vector<const PartCost*> unique;
    for (size_t i = 0; i < costs.size(); ++i)
        if (last.value(costs[i].part) == i)
            unique.push_back(&costs[i]);
    const bool server = DatabaseOnServer();
    const size_t slice = static_cast<size_t>(RowsPerStatement(3, kSlice));
    bool done = true;
    for (size_t from = 0; from < unique.size(); from += slice) {
        QString rows;
        SqlArgs args;
        for (size_t i = from; i < std::min(unique.size(), from + slice); ++i) {
            const PartCost& cost = *unique[i];
            if (!rows.isEmpty())
                rows += QLatin1Char(',');
            rows += QStringLiteral("(?,?,?)");
            // A server types the list by what it holds: a number goes into a
            // text or a number column alike; on a file the text keeps the two
            // decimals.
            args.emplace_back(cost.part);
            if (server) {
                args.emplace_back(Format("%0.2f", {cost.price}).toDouble());
                args.emplace_back(Format("%0.2f", {cost.labor}).toDouble());
            } else {
                args.emplace_back(Format("%0.2f", {cost.price}));
                args.emplace_back(Format("%0.2f", {cost.labor}));
            }
        }
        done = ExecuteBound(QStringLiteral("Update PartList Set Price = v.column2, Labor = v.column3 from (values ")
                                + rows + QStringLiteral(") as v where PartList.Part_nBr = v.column1"),
                            args)
               && done;
    }
    return done;
}

bool SetMadePartsManufacturer(const QString& company)
{
    return ExecuteBound(QStringLiteral("Update PartList Set Manufacturer = ? where Make='Make'"), {company});
}

std::vector<std::pair<QString, QString>> ReadPartAlternates(const QStringList& parts)
{
    std::vector<std::pair<QString, QString>> found;
    ReadInSlices(QStringLiteral("Select Part_nBr,Alternates from PartList where Part_nBr in ("), parts,
                 QStringLiteral(") and Alternates <> ''"),
                 [&](const QueryResult& rows) {
                     for (int r = 0; r < rows.rowCount; ++r)
                         found.emplace_back(rows.cell(r, 0), rows.cell(r, 1));
                 },
                 kSlice);
    return found;
}

std::vector<PartStockRecord> ReadPartStockRecords(const QStringList& parts, bool withMakerNumber)
{
    std::vector<PartStockRecord> records;
    ReadInSlices(QStringLiteral("Select Part_nBr,Stock,Allocated,Manufacturer")
                     + (withMakerNumber ? QStringLiteral(",Mfr_Part_nBr") : QString())
                     + QStringLiteral(" from PartList where Part_nBr in ("),
                 parts, QStringLiteral(")"),
                 [&](const QueryResult& rows) {
                     for (int r = 0; r < rows.rowCount; ++r)
                         records.push_back({rows.cell(r, 0), TextToDouble(rows.cell(r, 1)),
                                            TextToDouble(rows.cell(r, 2)), rows.cell(r, 3), rows.cell(r, 4)});
                 },
                 kSlice);
    return records;
}

QueryResult SearchPartRecords(const QString& text)
{
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    return QueryBound(QStringLiteral("Select Part_nBr,Internal_nBr,Description,Manufacturer,Distributor from PartList "
                                     "where Part_nBr like ? OR Internal_nBr like ? OR Description like ? OR "
                                     "Manufacturer like ? OR Distributor like ?"),
                      {pattern, pattern, pattern, pattern, pattern});
}
