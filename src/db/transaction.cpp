// Work written as one: the transaction scope, its failures, and what the
// caller is told when a commit's outcome is unknown.
#include "db/connectionstate.h"

#include "core/dictionary.h"

using namespace dbcore;

namespace {

// A commit's outcome was unknown at least once since the program started.
bool g_anyCommitUnknown = false;

} // namespace

bool InTransaction()
{
    return Current().txDepth > 0;
}

Transaction::Transaction()
{
    ConnectionState& db = Current();
    if (db.txDepth > 0) {
        ++db.txDepth;
        m_active = true;
        return;
    }
    const bool opened = OpenDatabase();
    ++db.txDepth;
    db.txFailed = false;
    db.txAborted = false;
    db.txFailedResult = 0;
    db.txFailedError.clear();
    db.commitUnknown = false;
    m_outermost = true;
    m_active = true;
    // The write lock is taken at once (BEGIN IMMEDIATE on the file, the
    // database's advisory lock on the server): work that reads a number or a
    // stock figure and writes it back cannot interleave with another
    // program doing the same, and the wait for the lock happens here, under
    // the busy timeout, instead of failing half-way at the first write.
    if (!opened) {
        db.lastResult = db.lastResult ? db.lastResult : 1;
        if (db.lastError.isEmpty())
            db.lastError = QStringLiteral("The database could not be opened: ") + db.databasePath;
    } else if (execUtf8(db.engine->beginStatement(), nullptr, false) == 0) {
        m_begun = true;
        return;
    } else if (db.engine->failedTransactionRefusesStatements()) {
        // The server began and then failed to take the lock: end it.
        const int result = db.lastResult;
        const QString error = db.lastError;
        execUtf8(QByteArrayLiteral("ROLLBACK"), nullptr, false);
        db.lastResult = result;
        db.lastError = error;
    }
    // Without the transaction no statement of the scope may run on its own:
    // each would be written by itself and the work could end half done.
    db.txFailed = true;
    db.txRefused = true;
    db.refusedResult = db.lastResult;
    db.refusedError = db.lastError;
}

Transaction::~Transaction()
{
    ConnectionState& db = Current();
    if (!m_active || m_done)
        return;
    if (!m_outermost) {
        // An inner scope that ends without commit spoils the whole work.
        db.txFailed = true;
        --db.txDepth;
        return;
    }
    if (m_begun)
        exec(QStringLiteral("ROLLBACK"), nullptr, false);
    db.txRefused = false;
    --db.txDepth;
}

bool Transaction::active() const
{
    return m_active && !Current().txRefused;
}

void Transaction::fail()
{
    if (m_active)
        Current().txFailed = true;
}

bool Transaction::ok() const
{
    return m_active && !Current().txFailed;
}

bool Transaction::commit()
{
    ConnectionState& db = Current();
    if (!m_active || m_done)
        return false;
    m_done = true;
    if (!m_outermost) {
        --db.txDepth;
        return !db.txFailed;
    }
    if (!m_begun) {
        db.txRefused = false;
        --db.txDepth;
        db.lastResult = db.refusedResult;
        db.lastError = db.refusedError;
        return false;
    }
    bool committed = false;
    if (!db.txFailed) {
        committed = exec(QStringLiteral("COMMIT"), nullptr, false) == 0;
        if (db.lastResult == kEngineCommitUnknown) {
            db.commitUnknown = true;
            g_anyCommitUnknown = true;
        }
    } else if (db.txFailedResult != 0) {
        // The statement that spoiled the work is what the caller reports,
        // not whatever a statement before the scope once said.
        db.lastResult = db.txFailedResult;
        db.lastError = db.txFailedError;
    }
    if (!committed) {
        // The failure is what the caller reports, not the rollback's outcome.
        const int result = db.lastResult;
        const QString error = db.lastError;
        exec(QStringLiteral("ROLLBACK"), nullptr, false);
        db.lastResult = result;
        db.lastError = error;
    }
    --db.txDepth;
    return committed;
}

void FailTransaction(const QString& reason)
{
    ConnectionState& db = Current();
    db.lastResult = kEngineError;
    db.lastError = reason;
    if (db.txDepth > 0)
        markTransactionFailed();
}

bool LastCommitOutcomeUnknown()
{
    return Current().commitUnknown;
}

bool AnyCommitOutcomeUnknown()
{
    return g_anyCommitUnknown;
}

QString WriteRefusedText(const QString& error)
{
    if (Current().commitUnknown)
        return error;
    return TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
           + error;
}
