#pragma once
// What one connection of the data layer holds, and the few routines the
// layer's own units share to reach it. Private to src/db: the rest of the
// program speaks through database.h and connection.h.
#include "core/tabledefs.h"
#include "db/database.h"
#include "db/engine.h"
#include "db/serveraccess.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <string>
#include <vector>

// The prepared inserts of each table (see InsertRows), valid while the
// connection they were made on lasts (its generation).
struct PreparedInsert
{
    struct Statement
    {
        void* handle = nullptr;
        int records = 0; // records one step stores
        // The texts bound to the parameters, kept until bound anew, and the
        // values they were made from.
        std::vector<std::string> values;
        std::vector<QString> sources;
        std::vector<bool> bound;
    };
    const void* shape = nullptr;
    int fieldCount = -1;
    QByteArray head;
    unsigned generation = 0;
    std::array<Statement, 2> statements; // one record, and many at once
};

struct ConnectionState
{
    // The engines behind the connection: the process's own for the default
    // connection, engines of its own for any other, made when first needed.
    DatabaseEngine* sqlite = nullptr;
    DatabaseEngine* server = nullptr;
    std::unique_ptr<DatabaseEngine> ownSqlite;
    std::unique_ptr<DatabaseEngine> ownServer;
    DatabaseEngine& sqliteEngine();
    DatabaseEngine& serverEngine();

    DatabaseEngine* engine = nullptr; // the library behind the open connection
    std::array<PreparedInsert, kTableCount> preparedInserts;

    QString databasePath;
    // What the login may do in the server shop it opened.
    ServerAccess serverAccess;
    int busyTimeout = 5000;
    int lastResult = 0;
    QString lastError;
    int currentTable = 0;
    // The reason the last open of the connection failed; empty once it opened.
    QString openError;

    int txDepth = 0;
    bool txFailed = false;
    // The outermost scope could not begin: its statements are refused with the
    // reason it could not.
    bool txRefused = false;
    int refusedResult = 0;
    QString refusedError;
    // The first failure of the running transaction.
    int txFailedResult = 0;
    QString txFailedError;
    // The server ignores every statement after a failure until the rollback
    // (unless the failure was taken back to a savepoint).
    bool txAborted = false;
    int injectAfter = 0;
    // The connection was lost while COMMIT was on its way: the work may or
    // may not be stored.
    bool commitUnknown = false;
};

// The connection the layer's functions work on now (see UseConnection).
ConnectionState& Current();

namespace dbcore {

// Runs one statement, given as UTF-8; the single place that meets the
// library. A statement that does not count for the transaction (a lock
// wait, a rollback) neither spoils it nor is refused by its failure.
int execUtf8(const QByteArray& statement, RowCallback callback, bool countsForTransaction);
int exec(const QString& sql, RowCallback callback, bool countsForTransaction);
// The same with bound values: the same refusals, failure keeping,
// transaction spoiling and watching.
int execBound(const QString& sql, const SqlArgs& args, BoundRowCallback callback, void* context = nullptr);
// Whether a statement may run now; when not, the last result and error say why.
bool statementAllowed(bool countsForTransaction);
// Keeps a failed statement's result and text, and spoils the transaction.
void recordFailure(int result, const QString& error, bool countsForTransaction);
void markTransactionFailed();
// Whoever watches the statements (see ObserveStatements), or nullptr.
StatementObserver statementObserver();
// The prepared statements die with their connection.
void forgetInsertStatements();

} // namespace dbcore
