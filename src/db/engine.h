#pragma once
// The database libraries behind the layer: SQLite for a data folder, the
// PostgreSQL client for a server address. Private to src/db: the rest of the
// program speaks through database.h and never sees which one answers.
#include <QByteArray>
#include <QString>

#include "db/statement.h"

#include <memory>

// Called once per row: column count, the row's values (nullptr for NULL) and
// the column names, all UTF-8; a non-zero answer stops the statement.
using RowCallback = int (*)(void*, int, char**, char**);
// The same for a statement with bound values, with what each value is as the
// library reports it: 'n' NULL, 'i' integer, 'r' real, 't' text.
using BoundRowCallback = int (*)(void* context, int columns, char** values, char** names, const char* kinds);

// Result codes the layer tells apart; everything else is a failure.
constexpr int kEngineOk = 0;
constexpr int kEngineError = 1;
constexpr int kEngineBusy = 5; // another program held a lock past the wait
// The connection was lost after COMMIT was sent: stored or not, nobody knows.
constexpr int kEngineCommitUnknown = 1003;

class DatabaseEngine
{
public:
    virtual ~DatabaseEngine() = default;

    // Loads the client library on first use; reports a missing one under
    // "dll error" once and answers false from then on.
    virtual bool load() = 0;
    // Opens location (a file path or a server address). False with *error set.
    virtual bool open(const QString& location, QString* error) = 0;
    virtual bool isOpen() const = 0;
    // Whether the open connection still serves location: the same file, a
    // live server connection.
    virtual bool serves(const QString& location) = 0;
    virtual void close() = 0;
    // One statement or a few separated by ";", UTF-8.
    // `context` is handed to the callback as its first argument.
    virtual int exec(const QByteArray& statement, RowCallback callback, QString* error, void* context = nullptr) = 0;
    // One statement whose values stand as "?" in its text, each bound to the
    // next of values: the text is parsed with the placeholders, the values
    // never become SQL. Results, codes and error texts as exec gives them.
    virtual int execBound(const QByteArray& statement, const SqlArgs& values, BoundRowCallback callback,
                          QString* error, void* context = nullptr) = 0;
    // The most values one statement may carry on the open connection.
    virtual int maxBoundValues() const = 0;

    // The statement that starts a write transaction holding the write lock.
    virtual QByteArray beginStatement() const = 0;
    // How long a statement waits for another program's lock.
    virtual QByteArray busyTimeoutStatement(int milliseconds) const = 0;
    // After a failed statement inside a transaction, the server ignores every
    // further one until the rollback; SQLite goes on.
    virtual bool failedTransactionRefusesStatements() const = 0;

    // Prepared statements, where the library offers them (SQLite): parsed
    // once, their values bound. A handle lives until it is finalized or the
    // connection closes (which finalizes every handle); generation() counts
    // the connections opened, so a holder can tell its handles are gone.
    virtual bool prepares() const { return false; }
    virtual void* prepare(const QByteArray& /*statement*/, QString* /*error*/) { return nullptr; }
    virtual int bindText(void* /*statement*/, int /*index*/, const char* /*text*/, int /*size*/) { return kEngineError; }
    // 0 when the statement ran to its end; *error set otherwise.
    virtual int step(void* /*statement*/, QString* /*error*/) { return kEngineError; }
    virtual void reset(void* /*statement*/) {}
    virtual void finalize(void* /*statement*/) {}
    virtual unsigned generation() const { return 0; }

    // Rows the last insert, update or delete changed.
    virtual long long changedRows() = 0;

    // The open connection reads only: the location cannot be written (or
    // was asked to be opened read-only), and every write is refused.
    virtual bool readOnly() const { return false; }

    // The schema the open connection's shop lives in (the server's), and
    // the login; empty on a file.
    virtual QString shopSchema() const { return QString(); }
    virtual QString login() const { return QString(); }

    // A server connection that listens for other desks' changes: its socket
    // (-1 without one), and the change notices that arrived from other
    // desks since the last call (-1 when the connection is lost).
    virtual int notificationSocket() const { return -1; }
    virtual int takeChangeNotices() { return -1; }
};

// This program's own mark on the change notices it sends, so that it does
// not take its own work for another desk's.
QByteArray DeskChangeToken();

// Opens data folders read-only from the next open on, whatever their
// permissions (false: only where they cannot be written).
void RequestReadOnlyFolders(bool readOnly);

// The engines the layer's one connection uses.
DatabaseEngine& SqliteEngine();
DatabaseEngine& ServerEngine();
// Engines of their own, for work that holds two connections at once (a copy
// from one database to another).
std::unique_ptr<DatabaseEngine> NewSqliteEngine();
std::unique_ptr<DatabaseEngine> NewServerEngine();

// A statement written for SQLite as the server must read it: the column
// "User" quoted (a reserved word there), LIKE ignoring case as SQLite's does,
// ifnull and instr under the server's names. Quoted texts stay untouched.
QByteArray ServerStatement(const QByteArray& statement);
// The statement with each "?" outside quoted texts and names numbered as the
// server's "$1", "$2", ... in their order.
QByteArray NumberedPlaceholders(const QByteArray& statement);
