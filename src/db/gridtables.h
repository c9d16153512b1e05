#pragma once
// The statements of the generic table grid: which rows of a table it shows
// (one assembly's, those holding a text, in an order), the cells it writes
// with their stamps, the records it inserts, deletes and brings back. Table
// and column names come from the definitions, never from what the user typed;
// every value a statement run here carries is bound. The statements and
// conditions handed to the grid as text (its load statement, its reader's
// condition, the error check's rows) quote theirs.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "db/database.h"
#include "db/statement.h"

// What the grid shows of a table.
struct GridScope
{
    QString table;            // the table's SQL name
    bool perAssembly = false; // only the rows of assembly (a bill, a routing)
    QString assembly;
    QString filter;            // rows where one of filterColumns holds it, as shown
    QStringList filterColumns; // column names
    QString sortColumn;        // "id", a column of the table, or empty: entry order
    bool sortKnown = false;    // sortColumn is a column the table has
    bool descending = false;
    bool numeric = false; // sortColumn is text holding only numbers
};

// The statement that reads a whole table as the grid lists it; the
// assembly's rows for a bill or a routing. Empty for a table the grid does
// not read (the tasks).
QString GridLoadTemplate(int table);
QString GridLoadStatement(int table, const QString& assembly, const QString& sortColumn, bool descending);
// The rows GridLoadStatement reads, read with the assembly bound (the table
// export writes what the grid lists); fresh headings.
QueryResult ReadGridLoad(int table, const QString& assembly, const QString& sortColumn, bool descending);

// The condition every shown row meets (the assembly's rows; empty for all);
// with args, its values are bound, as args gets them.
QString GridBaseCondition(const GridScope& scope);
QString GridBaseCondition(const GridScope& scope, SqlArgs& args);
// The base condition and the filter together (empty for all); with args,
// its values are bound, as args gets them.
QString GridCondition(const GridScope& scope);
QString GridCondition(const GridScope& scope, SqlArgs& args);
// The order of the rows; entry order among equal values.
QString GridOrderClause(const GridScope& scope);
// Whether the sort column is text holding only numbers (within the base condition).
bool GridSortsAsNumbers(const GridScope& scope);
// The rows within the base condition, the filter left aside.
long long GridRowTotal(const GridScope& scope);
// The ids of the rows (within the base condition) whose column holds the
// text, letter case aside.
std::vector<long long> GridIdsHolding(const GridScope& scope, const QString& column, const QString& text);
// Every column of the rows shown, in the order shown; fresh headings.
QueryResult ReadGridShownRecords(const GridScope& scope);
// The column's distinct values within the base condition, in the order each
// was first entered.
QStringList ReadGridColumnValues(const GridScope& scope, const QString& column);
// The largest whole number the column holds within the base condition (0 when none).
long long LargestGridNumber(const GridScope& scope, const QString& column);
// The items a definition's DBST list reads, as its statement gives them.
QStringList ReadDefinitionList(const QString& statement);

// The record with that id, every column; fresh headings.
QueryResult ReadGridRecord(const QString& table, long long id);
// Writes one cell (a value of the definition type), and the record's time
// and user stamps where given. *changed tells how many records took it:
// none when another program deleted the record.
bool WriteGridCell(const QString& table, const QString& column, const QString& type, long long id,
                   const QString& text, long long* changed, const QString* stamp = nullptr,
                   const QString* user = nullptr);
// Stamps the record with the time and/or the user, whichever columns it has.
bool StampGridRecord(const QString& table, long long id, const QString* stamp, const QString* user);
// A routing step's rate and the cost worked out from it, in one statement.
bool WriteRoutingRateAndCost(const QString& table, long long id, const QString& rate, const QString& cost);

// A record the grid's Insert adds, with what it is first given.
struct NewGridRecord
{
    int table = -1;
    QString assembly; // bill lines, routing steps
    QString number;   // item, step, order number
    QString stamp;
    QString user;
    QString currency; // parts
};
// False when the database refused it or the table takes no new records here.
bool InsertGridRecord(const NewGridRecord& record);
// The newest record's id (under the caller's write lock, the one just added).
long long LargestRecordId(const QString& table);

// (part, assembly) for every bill that names one of the parts, each pair
// once, ordered by part and assembly.
std::vector<std::pair<QString, QString>> ReadAssembliesUsing(const QStringList& parts);
// The records with those ids, the columns named (the first must be id), in
// id order; fresh headings.
QueryResult ReadGridRecords(const QString& table, const QStringList& columns, const std::vector<long long>& ids);
bool DeleteGridRecords(const QString& table, const std::vector<long long>& ids);
// Writes a record back with its id; types holds each column's definition type.
bool RestoreGridRecord(const QString& table, const QStringList& columns, const QStringList& types,
                       const QStringList& values);

// The condition that keeps the rows of a whole part or vendor table an error
// rule could mark, or whose stored word must be cleared (column: the quoted
// column of each rule key; stockParts: the parts whose stock figures
// disagree). It may keep more rows than have faults, never fewer; empty
// when a column is missing, so that every row is read.
QString ErrorCheckCandidates(int table, const QString& tableName, const QHash<QString, QString>& column,
                             const QSet<QString>& stockParts);
