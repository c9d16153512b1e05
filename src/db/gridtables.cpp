#include "db/gridtables.h"

#include "core/statuses.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/sortorder.h"
#include "db/slices.h"
#include "db/statement.h"
#include "db/tablerecords.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>

namespace {

const char* const kLoadStatements[kTableCount] = {
    "Select * from AssyList where Assy='%s'",
    "Select * from PartList",
    "Select * from VendList",
    "Select * from RescList where Assy='%s'",
    "Select * from PurcList",
    "Select * from ReqmList",
    "",
    "Select * from LabrList",
    "Select * from AlloList",
    "Select * from MoveList",
    "Select * from HoliList order by Date",
    "Select * from RevsList",
    "Select * from ChngList",
    "Select * from SrcList",
    "Select * from BrkList",
    "Select * from RateList",
    "Select * from PurcLine",
};

// The code points QString::trimmed takes away: a Make of nothing but these
// begins with one of them (or is empty).
const char* const kBlanks = "0,9,10,11,12,13,32,133,160,5760,8192,8193,8194,8195,8196,8197,8198,8199,8200,8201,"
                            "8202,8232,8233,8239,8287,12288";

QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// The text as a LIKE pattern that matches it anywhere, its wildcards taken literally.
QString containsPattern(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 4);
    escaped += QLatin1Char('%');
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\\') || ch == QLatin1Char('%') || ch == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += ch;
    }
    return escaped + QLatin1Char('%');
}

// A value in a condition: bound when the caller runs the statement (args
// given), quoted when the condition leaves as text for the grid's reader.
QString conditionValue(const QString& value, SqlArgs* args)
{
    if (!args)
        return QLatin1Char('\'') + SqlEscape(value) + QLatin1Char('\'');
    args->emplace_back(value);
    return QStringLiteral("?");
}

// A value for a column of the definition type, bound as the quoted text
// the grid always wrote; on the server an empty value of a number column is
// no number at all, NULL.
SqlArg typedValue(const QString& text, const QString& definitionType)
{
    if (DatabaseOnServer() && definitionType.trimmed().compare(QLatin1String("text"), Qt::CaseInsensitive) != 0
        && text.trimmed().isEmpty())
        return SqlArg();
    return SqlArg(text);
}

QString whereClause(const QString& condition)
{
    return condition.isEmpty() ? QString() : QStringLiteral(" where ") + condition;
}

// Hands run the placeholders and the ids of each slice, as many ids a
// statement as the database takes values; false when a slice failed. No
// ids: one run with a list that matches nothing, as before.
bool forIdSlices(const std::vector<long long>& ids, const std::function<bool(const QString&, const SqlArgs&)>& run)
{
    const size_t slice = static_cast<size_t>(MaxBoundValues());
    size_t from = 0;
    do {
        const size_t to = std::min(ids.size(), from + slice);
        SqlArgs args(ids.begin() + static_cast<std::ptrdiff_t>(from), ids.begin() + static_cast<std::ptrdiff_t>(to));
        if (!run(Placeholders(static_cast<int>(to - from)), args))
            return false;
        from = to;
    } while (from < ids.size());
    return true;
}

QString filterCondition(const GridScope& scope, SqlArgs* args)
{
    if (scope.filter.isEmpty())
        return QString();
    const QString pattern = containsPattern(scope.filter);
    QStringList tests;
    for (const QString& column : scope.filterColumns)
        // As text, so that number columns are searched as they are shown.
        tests << QStringLiteral("cast(") + quoted(column) + QStringLiteral(" as text) like ")
                     + conditionValue(pattern, args) + QStringLiteral(" escape '\\'");
    // Nothing to search in: no row holds the text.
    return tests.isEmpty() ? QStringLiteral("1 = 0") : QLatin1Char('(') + tests.join(QStringLiteral(" or ")) + QLatin1Char(')');
}

QString baseCondition(const GridScope& scope, SqlArgs* args)
{
    return scope.perAssembly ? QStringLiteral("Assy=") + conditionValue(scope.assembly, args) : QString();
}

QString condition(const GridScope& scope, SqlArgs* args)
{
    const QString base = baseCondition(scope, args);
    const QString filter = filterCondition(scope, args);
    if (filter.isEmpty())
        return base;
    return base.isEmpty() ? filter : base + QStringLiteral(" and ") + filter;
}

} // namespace

QString GridLoadTemplate(int table)
{
    return table >= 0 && table < kTableCount ? QString::fromLatin1(kLoadStatements[table]) : QString();
}

QString GridLoadStatement(int table, const QString& assembly, const QString& sortColumn, bool descending)
{
    QString statement = (table == AssyList || table == RescList) ? SqlFormat(kLoadStatements[table], {assembly})
                                                                 : GridLoadTemplate(table);
    if (statement.isEmpty() || sortColumn.isEmpty())
        return statement;
    return statement + QStringLiteral(" order by ") + sortColumn + (descending ? QStringLiteral(" desc") : QString());
}

QueryResult ReadGridLoad(int table, const QString& assembly, const QString& sortColumn, bool descending)
{
    QString statement = GridLoadTemplate(table);
    SqlArgs args;
    if (table == AssyList || table == RescList) {
        statement.replace(QLatin1String("'%s'"), QLatin1String("?"));
        args.emplace_back(assembly);
    }
    if (!statement.isEmpty() && !sortColumn.isEmpty())
        statement += QStringLiteral(" order by ") + sortColumn + (descending ? QStringLiteral(" desc") : QString());
    return QueryBound(statement, args);
}

QString GridBaseCondition(const GridScope& scope)
{
    return baseCondition(scope, nullptr);
}

QString GridBaseCondition(const GridScope& scope, SqlArgs& args)
{
    return baseCondition(scope, &args);
}

QString GridCondition(const GridScope& scope)
{
    return condition(scope, nullptr);
}

QString GridCondition(const GridScope& scope, SqlArgs& args)
{
    return condition(scope, &args);
}

QString GridOrderClause(const GridScope& scope)
{
    // Rows in the order they were entered unless sorted, and rows of equal
    // values in that order too: an index must never choose the order.
    const bool byId = scope.sortColumn == QLatin1String("id");
    if (scope.sortColumn.isEmpty() || byId || !scope.sortKnown)
        return byId && scope.descending ? QStringLiteral("id desc") : QStringLiteral("id");
    if (scope.numeric)
        return NumericOrderTerms(scope.sortColumn, scope.descending) + QStringLiteral(",id");
    return quoted(scope.sortColumn) + (scope.descending ? QStringLiteral(" desc") : QString()) + QStringLiteral(",id");
}

bool GridSortsAsNumbers(const GridScope& scope)
{
    SqlArgs args;
    const QString base = baseCondition(scope, &args);
    return ColumnHoldsNumbers(scope.table, scope.sortColumn, base, args);
}

long long GridRowTotal(const GridScope& scope)
{
    SqlArgs args;
    const QString base = baseCondition(scope, &args);
    return TextToInt(QueryTextBound(QStringLiteral("Select count(*) from ") + scope.table + whereClause(base), args, false));
}

std::vector<long long> GridIdsHolding(const GridScope& scope, const QString& column, const QString& text)
{
    // Compared as the grid shows the rows: letter case aside.
    SqlArgs args;
    QString where = baseCondition(scope, &args);
    if (!where.isEmpty())
        where += QStringLiteral(" and ");
    where += SameTextIgnoringCaseBound(quoted(column));
    args.emplace_back(text);
    return ParseIdList(QueryTextBound(QStringLiteral("Select id from ") + scope.table + whereClause(where), args, true));
}

QueryResult ReadGridShownRecords(const GridScope& scope)
{
    QueryResult read;
    SqlArgs args;
    const QString where = condition(scope, &args);
    headingsCaptured = 0;
    RunQueryBound(read, QStringLiteral("Select * from ") + scope.table + whereClause(where) + QStringLiteral(" order by ")
                            + GridOrderClause(scope),
                  args);
    return read;
}

QStringList ReadGridColumnValues(const GridScope& scope, const QString& column)
{
    // Each value once, in the order it was first entered.
    SqlArgs args;
    const QString base = baseCondition(scope, &args);
    const QueryResult values = QueryBound(QStringLiteral("Select ") + quoted(column) + QStringLiteral(" from ")
                                              + scope.table + whereClause(base) + QStringLiteral(" group by ")
                                              + quoted(column) + QStringLiteral(" order by min(id)"),
                                          args);
    QStringList list;
    list.reserve(values.rowCount);
    for (int r = 0; r < values.rowCount; ++r)
        list << values.cell(r, 0);
    return list;
}

long long LargestGridNumber(const GridScope& scope, const QString& column)
{
    // Read as text and weighed here: the column may hold words as well.
    SqlArgs args;
    const QString base = baseCondition(scope, &args);
    const QueryResult values =
        QueryBound(QStringLiteral("Select ") + quoted(column) + QStringLiteral(" from ") + scope.table + whereClause(base),
                   args);
    long long largest = 0;
    for (int r = 0; r < values.rowCount; ++r)
        largest = std::max<long long>(largest, TextToInt(values.cell(r, 0)));
    return largest;
}

QStringList ReadDefinitionList(const QString& statement)
{
    return QueryText(statement, true).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

QueryResult ReadGridRecord(const QString& table, long long id)
{
    return QueryBound(QStringLiteral("Select * from ") + table + QStringLiteral(" where id = ?"), {id});
}

bool WriteGridCell(const QString& table, const QString& column, const QString& type, long long id,
                   const QString& text, long long* changed, const QString* stamp, const QString* user)
{
    // The stamp goes with the value: one round trip less for each edit.
    QString sets = column + QStringLiteral(" = ?");
    SqlArgs args{typedValue(text, type)};
    if (stamp) {
        sets += QStringLiteral(",Time_Stamp=?");
        args.emplace_back(*stamp);
    }
    if (user) {
        sets += QStringLiteral(",User=?");
        args.emplace_back(*user);
    }
    args.emplace_back(id);
    const bool ok = ExecuteBound(QStringLiteral("Update ") + table + QStringLiteral(" Set ") + sets
                                     + QStringLiteral(" where id = ?"),
                                 args);
    if (changed)
        *changed = ok ? LastChangedRows() : 0;
    return ok;
}

bool StampGridRecord(const QString& table, long long id, const QString* stamp, const QString* user)
{
    QStringList sets;
    SqlArgs args;
    if (stamp) {
        sets << QStringLiteral("Time_Stamp=?");
        args.emplace_back(*stamp);
    }
    if (user) {
        sets << QStringLiteral("User=?");
        args.emplace_back(*user);
    }
    if (sets.isEmpty())
        return true;
    args.emplace_back(id);
    return ExecuteBound(QStringLiteral("Update ") + table + QStringLiteral(" Set ") + sets.join(QLatin1Char(','))
                            + QStringLiteral(" where id = ?"),
                        args);
}

bool WriteRoutingRateAndCost(const QString& table, long long id, const QString& rate, const QString& cost)
{
    return ExecuteBound(QStringLiteral("Update ") + table + QStringLiteral(" Set Rate = ?,Cost = ? where id = ?"),
                        {rate, cost, id});
}

bool InsertGridRecord(const NewGridRecord& record)
{
    switch (record.table) {
    case AssyList:
        return ExecuteBound(QStringLiteral("Insert into AssyList (Assy,Quan,Item,Time_Stamp,User) values (?,1,?,?,?)"),
                            {record.assembly, TextToInt(record.number), record.stamp, record.user});
    case PartList:
        // A new part's price is the figure 0.00 as the statement spells it.
        return ExecuteBound(QStringLiteral("Insert into PartList (Price,Revision,Currency,Time_Stamp,User) values "
                                           "(0.00,'A',?,?,?)"),
                            {record.currency, record.stamp, record.user});
    case VendList:
        return Execute(QStringLiteral("Insert into VendList (Vendor) values ('New Vendor')"));
    case RescList:
        return ExecuteBound(QStringLiteral("Insert into RescList (Assy,Step,Time_Stamp,User) values (?,?,?,?)"),
                            {record.assembly, record.number, record.stamp, record.user});
    case PurcList:
        return ExecuteBound(QStringLiteral("Insert into PurcList (PO_nBr,Date,Status,Time_Stamp,User) values (?,?,?,?,?)"),
                            {record.number, record.stamp, StoredWord(PurchaseOrderStatus::Pending), record.stamp,
                             record.user});
    case ReqmList:
        return ExecuteBound(QStringLiteral("Insert into ReqmList (Order_nBr,Created,Status,Date,User) values (?,?,?,?,?)"),
                            {record.number, record.stamp, StoredWord(RequirementStatus::Created), record.stamp,
                             record.user});
    case LabrList:
        return Execute(QStringLiteral("Insert into LabrList (Resource) values ('New Resource')"));
    default:
        return false;
    }
}

long long LargestRecordId(const QString& table)
{
    return QueryText(QStringLiteral("Select max(id) from ") + table, false).toLongLong();
}

std::vector<std::pair<QString, QString>> ReadAssembliesUsing(const QStringList& parts)
{
    std::vector<std::pair<QString, QString>> uses;
    // Slices of bound names, each ordered; the pairs are put in order again
    // when there was more than one.
    int slices = 0;
    ReadInSlices(QStringLiteral("Select distinct Part_nBr,Assy from AssyList where Part_nBr in ("), parts,
                 QStringLiteral(") order by Part_nBr,Assy"), [&](const QueryResult& rows) {
                     ++slices;
                     for (int r = 0; r < rows.rowCount; ++r)
                         uses.emplace_back(rows.cell(r, 0), rows.cell(r, 1));
                 });
    // Both databases order these texts by their UTF-8 bytes.
    if (slices > 1)
        std::sort(uses.begin(), uses.end(), [](const auto& a, const auto& b) {
            const QByteArray partA = a.first.toUtf8();
            const QByteArray partB = b.first.toUtf8();
            return partA != partB ? partA < partB : a.second.toUtf8() < b.second.toUtf8();
        });
    return uses;
}

QueryResult ReadGridRecords(const QString& table, const QStringList& columns, const std::vector<long long>& ids)
{
    QStringList names;
    for (const QString& column : columns)
        names << quoted(column);
    const QString head = QStringLiteral("Select ") + names.join(QLatin1Char(',')) + QStringLiteral(" from ") + table
                         + QStringLiteral(" where id in (");
    if (ids.size() <= static_cast<size_t>(MaxBoundValues()))
        return QueryBound(head + Placeholders(static_cast<int>(ids.size())) + QStringLiteral(") order by id"),
                          SqlArgs(ids.begin(), ids.end()));
    // More ids than a statement takes: the slices' rows in one result, in
    // id order as one statement would give them.
    std::vector<long long> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    QueryResult all;
    forIdSlices(sorted, [&](const QString& placeholders, const SqlArgs& args) {
        const QueryResult rows = QueryBound(head + placeholders + QStringLiteral(") order by id"), args);
        if (all.rowCount == 0) {
            all = rows;
        } else if (rows.columnCount == all.columnCount) {
            const size_t width = static_cast<size_t>(all.columnCount);
            all.cells.resize(static_cast<size_t>(all.rowCount) * width);
            for (int r = 0; r < rows.rowCount; ++r, ++all.rowCount)
                for (size_t c = 0; c < width; ++c)
                    all.cells.push_back(rows.cell(r, static_cast<int>(c)));
        }
        return LastResultCode() == 0;
    });
    return all;
}

bool DeleteGridRecords(const QString& table, const std::vector<long long>& ids)
{
    return forIdSlices(ids, [&](const QString& placeholders, const SqlArgs& args) {
        return ExecuteBound(QStringLiteral("Delete from ") + table + QStringLiteral(" where id in (") + placeholders
                                + QLatin1Char(')'),
                            args);
    });
}

bool RestoreGridRecord(const QString& table, const QStringList& columns, const QStringList& types,
                       const QStringList& values)
{
    QStringList names;
    SqlArgs args;
    for (int i = 0; i < columns.size(); ++i) {
        names << quoted(columns[i]);
        args.push_back(typedValue(values.value(i), types.value(i, QStringLiteral("text"))));
    }
    return ExecuteBound(QStringLiteral("Insert into ") + table + QStringLiteral(" (") + names.join(QLatin1Char(','))
                            + QStringLiteral(") values (") + Placeholders(static_cast<int>(args.size())) + QLatin1Char(')'),
                        args);
}

// The rows of a whole master table that a rule could mark, or whose stored
// word must be cleared: every other row has the word 0 already. The rules
// themselves still decide; this only spares reading the faultless rows,
// so it may name more rows than have faults but never fewer. Empty when a
// column is missing: then every row is read. A new rule of these tables
// adds the rows it can mark here.
QString ErrorCheckCandidates(int table, const QString& tableName, const QHash<QString, QString>& column,
                             const QSet<QString>& stockParts)
{
    const QStringList needed = table == PartList ? QStringList{QStringLiteral("Err"), QStringLiteral("Part"),
                                                               QStringLiteral("Make"), QStringLiteral("Dist"),
                                                               QStringLiteral("Manuf")}
                               : table == VendList ? QStringList{QStringLiteral("Err"), QStringLiteral("Vend")}
                                                   : QStringList();
    if (needed.isEmpty())
        return QString();
    for (const QString& key : needed)
        if (column.value(key).isEmpty())
            return QString();
    const QString err = column.value(QStringLiteral("Err"));
    auto duplicated = [&](const QString& c) {
        return c + QStringLiteral(" is null or ") + c + QStringLiteral(" = '' or ") + c + QStringLiteral(" in (select ")
               + c + QStringLiteral(" from ") + tableName + QStringLiteral(" group by ") + c
               + QStringLiteral(" having count(*) > 1)");
    };
    QString sql = QStringLiteral("cast(") + err + QStringLiteral(" as integer) <> 0");
    if (table == VendList)
        return sql + QStringLiteral(" or ") + duplicated(column.value(QStringLiteral("Vend")));
    const QString make = column.value(QStringLiteral("Make"));
    const QString dist = column.value(QStringLiteral("Dist"));
    const QString manuf = column.value(QStringLiteral("Manuf"));
    // The parts the stock ledger disagrees with are few, or the figures were
    // never kept: past a few hundred, every row is read.
    constexpr int kListedStockParts = 500;
    if (stockParts.size() > kListedStockParts)
        return QString();
    QString stock;
    if (!stockParts.isEmpty()) {
        QStringList quoted;
        for (const QString& part : stockParts)
            quoted << QLatin1Char('\'') + SqlEscape(part) + QLatin1Char('\'');
        stock = QStringLiteral(" or ") + column.value(QStringLiteral("Part")) + QStringLiteral(" in (")
                + quoted.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return sql + stock + QStringLiteral(" or ") + duplicated(column.value(QStringLiteral("Part")))
           + QStringLiteral(" or (instr(") + make + QStringLiteral(",'B') > 0 and coalesce(") + dist
           + QStringLiteral(",'') = '' and coalesce(") + manuf + QStringLiteral(",'') = '')")
           + QStringLiteral(" or coalesce(unicode(") + make + QStringLiteral("), 0) in (") + QLatin1String(kBlanks)
           + QStringLiteral(")") + QStringLiteral(" or (coalesce(") + dist
           + QStringLiteral(",'') <> '' and (length(") + dist + QStringLiteral(") < 2 or ") + dist
           + QStringLiteral(" not in (select Vendor from VendList where Vendor is not null)))");
}
