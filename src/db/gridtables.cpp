#include "db/gridtables.h"

#include "core/statuses.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/sortorder.h"
#include "db/sqllist.h"
#include "db/tablerecords.h"

#include <QHash>
#include <QSet>
#include <algorithm>

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
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\\') || ch == QLatin1Char('%') || ch == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += ch;
    }
    return SqlFormat("'%%%s%%'", {escaped});
}

QString whereClause(const QString& condition)
{
    return condition.isEmpty() ? QString() : QStringLiteral(" where ") + condition;
}

QString idList(const std::vector<long long>& ids)
{
    QStringList numbers;
    numbers.reserve(static_cast<qsizetype>(ids.size()));
    for (long long id : ids)
        numbers << QString::number(id);
    // No ids: a list that matches nothing, so that the statement stays valid.
    return numbers.isEmpty() ? QStringLiteral("NULL") : numbers.join(QLatin1Char(','));
}

QString filterCondition(const GridScope& scope)
{
    if (scope.filter.isEmpty())
        return QString();
    const QString pattern = containsPattern(scope.filter);
    QStringList tests;
    for (const QString& column : scope.filterColumns)
        // As text, so that number columns are searched as they are shown.
        tests << QStringLiteral("cast(") + quoted(column) + QStringLiteral(" as text) like ") + pattern
                     + QStringLiteral(" escape '\\'");
    // Nothing to search in: no row holds the text.
    return tests.isEmpty() ? QStringLiteral("1 = 0") : QLatin1Char('(') + tests.join(QStringLiteral(" or ")) + QLatin1Char(')');
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

QString GridBaseCondition(const GridScope& scope)
{
    return scope.perAssembly ? SqlFormat("Assy='%s'", {scope.assembly}) : QString();
}

QString GridCondition(const GridScope& scope)
{
    const QString base = GridBaseCondition(scope);
    const QString filter = filterCondition(scope);
    if (filter.isEmpty())
        return base;
    return base.isEmpty() ? filter : base + QStringLiteral(" and ") + filter;
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
    return ColumnHoldsNumbers(scope.table, scope.sortColumn, GridBaseCondition(scope));
}

long long GridRowTotal(const GridScope& scope)
{
    return TextToInt(
        QueryText(QStringLiteral("Select count(*) from ") + scope.table + whereClause(GridBaseCondition(scope)), false));
}

std::vector<long long> GridIdsHolding(const GridScope& scope, const QString& column, const QString& text)
{
    // Compared as the grid shows the rows: letter case aside.
    QString where = SameTextIgnoringCase(quoted(column), text);
    const QString base = GridBaseCondition(scope);
    if (!base.isEmpty())
        where = base + QStringLiteral(" and ") + where;
    return ParseIdList(QueryText(QStringLiteral("Select id from ") + scope.table + whereClause(where), true));
}

QueryResult ReadGridShownRecords(const GridScope& scope)
{
    QueryResult read;
    headingsCaptured = 0;
    RunQuery(read, QStringLiteral("Select * from ") + scope.table + whereClause(GridCondition(scope))
                       + QStringLiteral(" order by ") + GridOrderClause(scope));
    return read;
}

QStringList ReadGridColumnValues(const GridScope& scope, const QString& column)
{
    // Each value once, in the order it was first entered.
    const QueryResult values = Query(QStringLiteral("Select ") + quoted(column) + QStringLiteral(" from ") + scope.table
                                     + whereClause(GridBaseCondition(scope)) + QStringLiteral(" group by ")
                                     + quoted(column) + QStringLiteral(" order by min(id)"));
    QStringList list;
    list.reserve(values.rowCount);
    for (int r = 0; r < values.rowCount; ++r)
        list << values.cell(r, 0);
    return list;
}

long long LargestGridNumber(const GridScope& scope, const QString& column)
{
    // Read as text and weighed here: the column may hold words as well.
    const QueryResult values =
        Query(QStringLiteral("Select ") + quoted(column) + QStringLiteral(" from ") + scope.table
              + whereClause(GridBaseCondition(scope)));
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
    return Query(QStringLiteral("Select * from ") + table + QStringLiteral(" where id = ") + QString::number(id));
}

bool WriteGridCell(const QString& table, const QString& column, const QString& type, long long id,
                   const QString& text, long long* changed, const QString* stamp, const QString* user)
{
    // The stamp goes with the value: one round trip less for each edit.
    QString sets = column + QStringLiteral(" = ") + SqlValue(text, type);
    if (stamp)
        sets += SqlFormat(",Time_Stamp='%s'", {*stamp});
    if (user)
        sets += SqlFormat(",User='%s'", {*user});
    const bool ok = Execute(QStringLiteral("Update ") + table + QStringLiteral(" Set ") + sets
                            + QStringLiteral(" where id = ") + QString::number(id));
    if (changed)
        *changed = ok ? LastChangedRows() : 0;
    return ok;
}

bool StampGridRecord(const QString& table, long long id, const QString* stamp, const QString* user)
{
    QStringList sets;
    if (stamp)
        sets << SqlFormat("Time_Stamp='%s'", {*stamp});
    if (user)
        sets << SqlFormat("User='%s'", {*user});
    if (sets.isEmpty())
        return true;
    return Execute(QStringLiteral("Update ") + table + QStringLiteral(" Set ") + sets.join(QLatin1Char(','))
                   + QStringLiteral(" where id = ") + QString::number(id));
}

bool WriteRoutingRateAndCost(const QString& table, long long id, const QString& rate, const QString& cost)
{
    return Execute(SqlFormat("Update %s Set Rate = '%s',Cost = '%s' where id = %i", {table, rate, cost, id}));
}

bool InsertGridRecord(const NewGridRecord& record)
{
    switch (record.table) {
    case AssyList:
        return Execute(SqlFormat("Insert into AssyList (Assy,Quan,Item,Time_Stamp,User) values ('%s',%i,%s,'%s','%s')",
                                 {record.assembly, 1, QString::number(TextToInt(record.number)), record.stamp,
                                  record.user}));
    case PartList:
        return Execute(SqlFormat("Insert into PartList (Price,Revision,Currency,Time_Stamp,User) values "
                                 "(%0.2f,'%s','%s','%s','%s')",
                                 {0.0, QStringLiteral("A"), record.currency, record.stamp, record.user}));
    case VendList:
        return Execute(QStringLiteral("Insert into VendList (Vendor) values ('New Vendor')"));
    case RescList:
        return Execute(SqlFormat("Insert into RescList (Assy,Step,Time_Stamp,User) values ('%s','%s','%s','%s')",
                                 {record.assembly, record.number, record.stamp, record.user}));
    case PurcList:
        return Execute(SqlFormat("Insert into PurcList (PO_nBr,Date,Status,Time_Stamp,User) values "
                                 "('%s','%s','%s','%s','%s')",
                                 {record.number, record.stamp, StoredWord(PurchaseOrderStatus::Pending), record.stamp, record.user}));
    case ReqmList:
        return Execute(SqlFormat("Insert into ReqmList (Order_nBr,Created,Status,Date,User) values "
                                 "('%s','%s','%s','%s','%s')",
                                 {record.number, record.stamp, StoredWord(RequirementStatus::Created), record.stamp, record.user}));
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
    if (parts.isEmpty())
        return uses;
    const QueryResult rows = Query(QStringLiteral("Select distinct Part_nBr,Assy from AssyList where Part_nBr in (")
                                   + SqlQuotedList(parts) + QStringLiteral(") order by Part_nBr,Assy"));
    uses.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        uses.emplace_back(rows.cell(r, 0), rows.cell(r, 1));
    return uses;
}

QueryResult ReadGridRecords(const QString& table, const QStringList& columns, const std::vector<long long>& ids)
{
    QStringList names;
    for (const QString& column : columns)
        names << quoted(column);
    return Query(QStringLiteral("Select ") + names.join(QLatin1Char(',')) + QStringLiteral(" from ") + table
                 + QStringLiteral(" where id in (") + idList(ids) + QStringLiteral(") order by id"));
}

bool DeleteGridRecords(const QString& table, const std::vector<long long>& ids)
{
    return Execute(QStringLiteral("Delete from ") + table + QStringLiteral(" where id in (") + idList(ids)
                   + QLatin1Char(')'));
}

bool RestoreGridRecord(const QString& table, const QStringList& columns, const QStringList& types,
                       const QStringList& values)
{
    QStringList names;
    QStringList texts;
    for (int i = 0; i < columns.size(); ++i) {
        names << quoted(columns[i]);
        texts << SqlValue(values.value(i), types.value(i, QStringLiteral("text")));
    }
    return Execute(QStringLiteral("Insert into ") + table + QStringLiteral(" (") + names.join(QLatin1Char(','))
                   + QStringLiteral(") values (") + texts.join(QLatin1Char(',')) + QLatin1Char(')'));
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
