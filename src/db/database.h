#pragma once
// The thin layer through which every subsystem reaches kolt.db: statements
// are SQL text, results come back as text cells.
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "core/tabledefs.h"

// The rows of one statement. Column 0 is always headed "Key".
struct QueryResult
{
    int columnCount = 0;
    int rowCount = 0;
    std::array<QString, kMaxColumns> headings;
    std::vector<QString> cells; // row-major, grows with the rows

    const QString& cell(int row, int column) const;
    void setCell(int row, int column, const QString& value);
};

// First column whose heading contains text, ignoring case; -1 when none.
int FindColumn(const QueryResult& result, const QString& text);

// "create table <name>( id integer primary key,<col> <type>,...)", in the
// words of the database in use (see ColumnType).
QString CreateTableStatement(const TableDefinition& definition);
QString CreateTableStatement(const TableDefinition& definition, bool server);

// Where the data lives decides the few words that differ: a folder holds
// kolt.db for SQLite, a "postgresql://" address names a server.
bool DatabaseOnServer();
// 1 when the table exists, 0 when not, -1 when the database could not say.
int TableExists(const QString& table);
// The statement that counts the tables of that name (0 or 1), on a file or a server.
QString TableCountStatement(const QString& table, bool server);
// The table's column names in their order, "id" first, spelled as the
// definitions spell them; empty when the table is missing.
QStringList TableColumns(const QString& table);
// A condition true when the column holds the value, letter case aside
// (the value is quoted here).
QString SameTextIgnoringCase(const QString& column, const QString& value);
// Rows the last insert, update or delete changed (0 when none ran).
long long LastChangedRows();
// A value for a column of the definition type, as SQL: quoted text; on the
// server an empty value of a number column is NULL.
QString SqlValue(const QString& text, const QString& definitionType);
// The id column every table starts with.
QString IdColumnDefinition();
QString IdColumnDefinition(bool server);
// A definition file's type as the database in use stores it: the same on
// SQLite; on the server text compares byte for byte, integer is 64 bits.
QString ColumnType(const QString& definitionType);
QString ColumnType(const QString& definitionType, bool server);

// Loads libsqlite3.so.0 at run time; reports a missing library or entry point
// under "dll error". Safe to call again: it loads once.
bool LoadDatabaseLibrary();
bool DatabaseLibraryLoaded();

// One connection is kept for the file DatabasePath names and opened again
// when the path changes or names another file; CloseDatabase ends a use of
// it and keeps it for the next. ReleaseDatabase closes it (outside a
// transaction), so another program may take the file over.
bool OpenDatabase();
void CloseDatabase();
void ReleaseDatabase();

// How long a statement waits for another program's lock before it fails
// with "database is busy" (5 s unless set).
void SetBusyTimeout(int milliseconds);
int BusyTimeout();

// Puts kolt.db of the folder into write-ahead-log mode, or the rollback
// journal on a network file system (statfs type); false when the database
// refused.
bool SetJournalForFolder(const QString& dataFolder);
bool IsNetworkFileSystem(long statfsType);

// Sets the database path to folder + "/kolt.db"; when the table index differs
// from the current one, makes it current and creates its table if missing.
bool SelectTable(const QString& dataFolder, int table);
// The column a table is indexed by (PartList.Part_nBr, AssyList.Assy,
// RescList.Assy), empty for the others.
QString IndexedColumn(int table);
bool CreateTable(int table);
int CurrentTable();
QString DatabasePath();

// 0: the next row delivered to a QueryResult captures the headings and count.
extern int headingsCaptured;

int RunQuery(QueryResult& result, const QString& sql);
QString QueryText(const QString& sql, bool separated);
// One record of a table from its definition, on the caller's open connection.
void InsertRow(const QStringList& values, int table);
// Several records of one table in one statement, each as InsertRow builds
// it: when the statement fails, none of them is stored.
void InsertRows(const std::vector<QStringList>& rows, int table);

// Result code of the last open or statement (0 = success) and the library's
// message for the last failed statement.
int LastResultCode();
QString LastErrorText();

// Runs a statement through QueryText and tells whether it succeeded.
bool Execute(const QString& sql);

// Convenience for readers that want fresh headings: clears headingsCaptured
// and runs the statement into a new result.
QueryResult Query(const QString& sql);

// Everything between construction and commit() is written as one: a
// connection is held for the scope, and unless commit() succeeds the work is
// rolled back when the scope ends. Scopes nest; only the outermost commits.
// The outermost takes the write lock at once; when it cannot (another
// program held it past the busy timeout, the file cannot be opened) every
// statement of the scope is refused with that reason, commit() answers false
// and LastErrorText() tells why ("database is busy").
class Transaction
{
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // The scope can write: its transaction began.
    bool active() const;
    // Marks the work as failed: the scope will roll back.
    void fail();
    // True when no statement of the scope has failed and fail() was not called.
    bool ok() const;
    bool commit();

private:
    bool m_active = false;
    bool m_outermost = false;
    bool m_begun = false;
    bool m_done = false;
};

// A transaction scope is open: work that is not part of it (a timer's
// poll, a refresh while a progress window turns the event loop) waits, so
// that it neither reads the scope's uncommitted rows nor replaces the
// outcome the scope is about to read.
bool InTransaction();

// Fails the running transaction for a reason of the work itself (a stored
// value it cannot use): LastErrorText() tells that reason, and the scope's
// commit() answers false and tells it again.
void FailTransaction(const QString& reason);

// The connection to the server was lost while the last commit() was on its
// way: the work may have been stored. LastErrorText() says so in words for
// the user; AnyCommitOutcomeUnknown() remembers it for the program's exit.
bool LastCommitOutcomeUnknown();
bool AnyCommitOutcomeUnknown();
// What to tell the user when a commit() failed with error: that nothing was
// written, or, when the outcome is unknown, only the error saying so.
QString WriteRefusedText(const QString& error);

// Test hook: makes the n-th statement from now fail (0 disables).
void InjectStatementFailure(int afterStatements);

// Diagnostic hook (the benchmarks record the work of an operation with it):
// sees every statement handed to the library, as UTF-8, with its result code.
// nullptr stops it.
using StatementObserver = void (*)(const QByteArray& statement, int resultCode);
void ObserveStatements(StatementObserver observer);
