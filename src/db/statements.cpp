// Every statement of the layer passes here on its way to the library: the
// refusals (no connection, a transaction that could not begin or is
// spoiled), the result and error kept for the caller, and the watcher.
#include "db/connectionstate.h"

#include "db/statement.h"

#include <QByteArray>

namespace {

StatementObserver g_observer = nullptr;

// A bound statement as a watcher reads it: the values written in where the
// placeholders stand, so that a recorded statement replays by itself.
QByteArray withValuesWritten(const QByteArray& statement, const SqlArgs& args)
{
    QByteArray out;
    out.reserve(statement.size() + 16 * static_cast<qsizetype>(args.size()));
    bool quoted = false;
    size_t next = 0;
    for (const char c : statement) {
        if (c == '\'')
            quoted = !quoted;
        if (c != '?' || quoted || next >= args.size()) {
            out += c;
            continue;
        }
        const SqlArg& arg = args[next++];
        switch (arg.kind()) {
        case SqlArg::Null: out += "NULL"; break;
        case SqlArg::Integer: out += QByteArray::number(arg.integer()); break;
        case SqlArg::Real: out += QByteArray::number(arg.real(), 'g', 17); break;
        case SqlArg::Text: out += '\'' + arg.utf8().replace('\'', "''") + '\''; break;
        }
    }
    return out;
}

} // namespace

namespace dbcore {

void markTransactionFailed()
{
    ConnectionState& db = Current();
    if (!db.txFailed) {
        db.txFailedResult = db.lastResult;
        db.txFailedError = db.lastError;
    }
    db.txFailed = true;
    if (db.engine && db.engine->failedTransactionRefusesStatements())
        db.txAborted = true;
}

// Whether a statement may run now: not inside a transaction that could not
// begin, not without a connection, not when a test asked for a failure, not
// after a failure inside a transaction on the server (which ignores every
// statement until the rollback). When not, the last result and error say why.
bool statementAllowed(bool countsForTransaction)
{
    ConnectionState& db = Current();
    if (db.txRefused) {
        db.lastResult = db.refusedResult;
        db.lastError = db.refusedError;
        return false;
    }
    if (!db.engine || !db.engine->isOpen()) {
        db.lastResult = 1;
        // Why the connection could not be made, when it could not: the
        // server's reason in words, once, rather than a bare "not open".
        db.lastError = db.openError.isEmpty() ? QStringLiteral("The database is not open.") : db.openError;
        if (db.txDepth > 0 && countsForTransaction)
            markTransactionFailed();
        return false;
    }
    if (db.txDepth > 0 && db.txAborted && countsForTransaction) {
        // The failure that spoiled the work is the one to tell.
        db.lastResult = db.txFailedResult;
        db.lastError = db.txFailedError;
        return false;
    }
    if (countsForTransaction && db.injectAfter > 0 && --db.injectAfter == 0) {
        db.lastResult = 1;
        db.lastError = QStringLiteral("injected failure");
        if (db.txDepth > 0)
            markTransactionFailed();
        return false;
    }
    return true;
}

// Keeps a failed statement's result and text, and spoils the transaction.
void recordFailure(int result, const QString& error, bool countsForTransaction)
{
    ConnectionState& db = Current();
    db.lastResult = result;
    db.lastError = error.isEmpty() ? QStringLiteral("SQL error %1").arg(result) : error;
    if (db.txDepth > 0 && countsForTransaction)
        markTransactionFailed();
}

// Runs one statement, given as UTF-8; the single place that meets the library.
int execUtf8(const QByteArray& statement, RowCallback callback, bool countsForTransaction)
{
    ConnectionState& db = Current();
    if (!statementAllowed(countsForTransaction))
        return db.lastResult;
    QString error;
    db.lastResult = db.engine->exec(statement, callback, &error);
    if (db.lastResult != 0)
        recordFailure(db.lastResult, error, countsForTransaction);
    if (g_observer)
        g_observer(statement, db.lastResult);
    return db.lastResult;
}

int exec(const QString& sql, RowCallback callback, bool countsForTransaction)
{
    return execUtf8(sql.toUtf8(), callback, countsForTransaction);
}

// The same for a statement with bound values: the same refusals, failure
// keeping, transaction spoiling and watching, so a bound statement counts
// and fails as a pasted one does.
int execBound(const QString& sql, const SqlArgs& args, BoundRowCallback callback, void* context)
{
    ConnectionState& db = Current();
    if (!statementAllowed(true))
        return db.lastResult;
    const QByteArray statement = sql.toUtf8();
    QString error;
    db.lastResult = db.engine->execBound(statement, args, callback, &error, context);
    if (db.lastResult != 0)
        recordFailure(db.lastResult, error, true);
    if (g_observer)
        g_observer(withValuesWritten(statement, args), db.lastResult);
    return db.lastResult;
}

StatementObserver statementObserver()
{
    return g_observer;
}

} // namespace dbcore

int LastResultCode()
{
    return Current().lastResult;
}

QString LastErrorText()
{
    return Current().lastError;
}

long long LastChangedRows()
{
    ConnectionState& db = Current();
    return db.engine && db.engine->isOpen() ? db.engine->changedRows() : 0;
}

void InjectStatementFailure(int afterStatements)
{
    Current().injectAfter = afterStatements;
}

void ObserveStatements(StatementObserver observer)
{
    g_observer = observer;
}
