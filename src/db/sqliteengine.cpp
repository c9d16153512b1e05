// The SQLite library, loaded at run time: kolt.db in a data folder.
#include "db/engine.h"

#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// The library is reached through the three entry points it is known for;
// sqlite3_free only returns the error texts and may be absent.
using ExecFn = int (*)(void*, const char*, RowCallback, void*, char**);
using OpenFn = int (*)(const char*, void**);
using OpenV2Fn = int (*)(const char*, void**, int, const char*);
constexpr int kOpenReadOnly = 0x01; // SQLITE_OPEN_READONLY
constexpr int kOpenUri = 0x40;      // SQLITE_OPEN_URI
constexpr int kResultReadOnly = 8;  // SQLITE_READONLY
using CloseFn = int (*)(void*);
using FreeFn = void (*)(void*);
// Entry points of prepared statements, used where present to store many rows
// without the library parsing every value of them.
using PrepareFn = int (*)(void*, const char*, int, void**, const char**);
using BindTextFn = int (*)(void*, int, const char*, int, void (*)(void*));
using StatementFn = int (*)(void*);
using ErrorMessageFn = const char* (*)(void*);
using BindInt64Fn = int (*)(void*, int, long long);
using BindDoubleFn = int (*)(void*, int, double);
using BindNullFn = int (*)(void*, int);
using ColumnCountFn = int (*)(void*);
using ColumnTextFn = const unsigned char* (*)(void*, int);
using ColumnNameFn = const char* (*)(void*, int);
using ColumnTypeFn = int (*)(void*, int);
using LimitFn = int (*)(void*, int, int);
constexpr int kStepRow = 100;  // SQLITE_ROW
constexpr int kStepDone = 101; // SQLITE_DONE
constexpr int kResultAbort = 4; // SQLITE_ABORT, as sqlite3_exec answers a callback that stops it
constexpr int kLimitVariables = 9; // SQLITE_LIMIT_VARIABLE_NUMBER
// The library copies a bound text (SQLITE_TRANSIENT): the value may go away
// before the statement is finalized.
void (*const kTransient)(void*) = reinterpret_cast<void (*)(void*)>(-1);

constexpr const char* kLibraryFile = "libsqlite3.so.0";

bool fileIdentity(const QString& path, dev_t* device, ino_t* inode)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    *device = info.st_dev;
    *inode = info.st_ino;
    return true;
}

// SQLite makes the -shm and -wal files with kolt.db's permissions: a run on
// a read-only kolt.db leaves a read-only -shm, and once kolt.db may be
// written again every connection would still open read-only through it.
// They take kolt.db's permissions back before the open.
void freeSharedMemoryFile(const QString& database)
{
    const QFileInfo file(database);
    if (!file.exists() || !file.isWritable())
        return;
    for (const char* suffix : {"-shm", "-wal"}) {
        const QFileInfo companion(database + QString::fromLatin1(suffix));
        if (companion.exists() && !companion.isWritable())
            QFile::setPermissions(companion.filePath(), QFile::permissions(database));
    }
}

bool g_readOnlyRequested = false;

bool writable(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// The reason every write gets on a connection that reads only.
QString readOnlyRefusal(const QString& database)
{
    return Translate(QStringLiteral("Writes are unavailable: the shop is open read-only")) + QStringLiteral(" (")
           + database + QLatin1Char(')');
}

void reportLibraryFailure(const QString& text)
{
    ShowMessage(text, QStringLiteral("dll error"));
}

class Sqlite final : public DatabaseEngine
{
public:
    ~Sqlite() override
    {
        // The connection goes first: closing it checkpoints the write-ahead
        // log into kolt.db, which needs the library still loaded.
        close();
        if (m_handle)
            dlclose(m_handle);
    }

    bool load() override
    {
        if (m_attempted)
            return m_exec && m_open && m_close;
        m_attempted = true;
        m_handle = dlopen(kLibraryFile, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            reportLibraryFailure(QStringLiteral("Missing %1").arg(QString::fromLatin1(kLibraryFile)));
        auto resolve = [this](const char* name) { return m_handle ? dlsym(m_handle, name) : nullptr; };
        m_exec = reinterpret_cast<ExecFn>(resolve("sqlite3_exec"));
        if (!m_exec)
            reportLibraryFailure(QStringLiteral("Missing sqlite3_EXEC PROCESS"));
        m_open = reinterpret_cast<OpenFn>(resolve("sqlite3_open"));
        m_openV2 = reinterpret_cast<OpenV2Fn>(resolve("sqlite3_open_v2"));
        if (!m_open)
            reportLibraryFailure(QStringLiteral("Missing sqlite3_open PROCESS"));
        m_close = reinterpret_cast<CloseFn>(resolve("sqlite3_close"));
        if (!m_close)
            reportLibraryFailure(QStringLiteral("Missing sqlite3_close PROCESS"));
        m_free = reinterpret_cast<FreeFn>(resolve("sqlite3_free"));
        m_prepare = reinterpret_cast<PrepareFn>(resolve("sqlite3_prepare_v2"));
        m_bindText = reinterpret_cast<BindTextFn>(resolve("sqlite3_bind_text"));
        m_step = reinterpret_cast<StatementFn>(resolve("sqlite3_step"));
        m_reset = reinterpret_cast<StatementFn>(resolve("sqlite3_reset"));
        m_finalize = reinterpret_cast<StatementFn>(resolve("sqlite3_finalize"));
        m_errorMessage = reinterpret_cast<ErrorMessageFn>(resolve("sqlite3_errmsg"));
        m_bindInt64 = reinterpret_cast<BindInt64Fn>(resolve("sqlite3_bind_int64"));
        m_bindDouble = reinterpret_cast<BindDoubleFn>(resolve("sqlite3_bind_double"));
        m_bindNull = reinterpret_cast<BindNullFn>(resolve("sqlite3_bind_null"));
        m_columnCount = reinterpret_cast<ColumnCountFn>(resolve("sqlite3_column_count"));
        m_columnText = reinterpret_cast<ColumnTextFn>(resolve("sqlite3_column_text"));
        m_columnName = reinterpret_cast<ColumnNameFn>(resolve("sqlite3_column_name"));
        m_columnType = reinterpret_cast<ColumnTypeFn>(resolve("sqlite3_column_type"));
        m_limit = reinterpret_cast<LimitFn>(resolve("sqlite3_limit"));
        return m_exec && m_open && m_close;
    }

    bool open(const QString& location, QString* error) override
    {
        close();
        if (!m_open) {
            *error = QStringLiteral("The database library is not loaded.");
            return false;
        }
        const QByteArray path = location.toUtf8();
        freeSharedMemoryFile(location);
        // A kolt.db, or a folder, that this user cannot write is opened for
        // reading: the stock check, queries and exports still work, and a
        // write is refused with a reason instead of failing half-way. Where
        // nothing can be written, the file is read as immutable, so SQLite
        // leaves no shared-memory file with kolt.db's read-only permissions
        // behind to block writes once it may be written again; a log still
        // holding changes must be read through, so it is not skipped then.
        const QFileInfo file(location);
        const bool fileWritable = writable(location) && writable(file.absolutePath());
        m_readOnly = file.exists() && m_openV2 && (g_readOnlyRequested || !fileWritable);
        int opened = 0;
        if (m_readOnly) {
            const bool logHoldsChanges = QFileInfo(location + QStringLiteral("-wal")).size() > 0;
            const QByteArray uri = "file:" + QUrl::toPercentEncoding(file.absoluteFilePath(), "/") + "?mode=ro"
                                   + (!fileWritable && !logHoldsChanges ? "&immutable=1" : "");
            opened = m_openV2(uri.constData(), &m_connection, kOpenReadOnly | kOpenUri, nullptr);
        } else {
            opened = m_open(path.constData(), &m_connection);
        }
        if (opened != 0) {
            if (m_connection)
                m_close(m_connection);
            m_connection = nullptr;
            *error = QStringLiteral("The database could not be opened: ") + location;
            return false;
        }
        m_path = location;
        m_hadFile = fileIdentity(location, &m_device, &m_inode);
        ++m_generation;
        return true;
    }

    bool isOpen() const override { return m_connection != nullptr; }

    bool serves(const QString& location) override
    {
        if (!m_connection || m_path != location)
            return false;
        dev_t device = 0;
        ino_t inode = 0;
        const bool hasFile = fileIdentity(location, &device, &inode);
        if (!m_hadFile) {
            // SQLite makes the file on the first write; from then on it is ours.
            if (hasFile) {
                m_hadFile = true;
                m_device = device;
                m_inode = inode;
            }
            return true;
        }
        // A folder deleted and made anew under the same name holds another file.
        return hasFile && device == m_device && inode == m_inode;
    }

    void close() override
    {
        // Statements left unfinalized keep the connection from closing.
        for (void* statement : m_statements)
            if (m_finalize)
                m_finalize(statement);
        m_statements.clear();
        if (m_connection && m_close)
            m_close(m_connection);
        m_connection = nullptr;
        m_path.clear();
    }

    int exec(const QByteArray& statement, RowCallback callback, QString* error, void* context) override
    {
        if (!m_exec || !m_connection) {
            *error = QStringLiteral("The database is not open.");
            return kEngineError;
        }
        char* text = nullptr;
        const int result = m_exec(m_connection, statement.constData(), callback, context, &text);
        const int code = outcome(result, text, error);
        if (text && m_free)
            m_free(text);
        return code;
    }

    int execBound(const QByteArray& statement, const SqlArgs& values, BoundRowCallback callback, QString* error,
                  void* context) override
    {
        if (!m_connection || !bindsValues()) {
            *error = QStringLiteral("The database is not open.");
            return kEngineError;
        }
        void* handle = nullptr;
        int result = m_prepare(m_connection, statement.constData(), static_cast<int>(statement.size()), &handle,
                               nullptr);
        if (result != 0 || !handle)
            return outcome(result, m_errorMessage(m_connection), error);
        for (size_t i = 0; i < values.size() && result == 0; ++i) {
            const SqlArg& value = values[i];
            const int index = static_cast<int>(i) + 1;
            switch (value.kind()) {
            case SqlArg::Null:
                result = m_bindNull(handle, index);
                break;
            case SqlArg::Integer:
                result = m_bindInt64(handle, index, value.integer());
                break;
            case SqlArg::Real:
                result = m_bindDouble(handle, index, value.real());
                break;
            case SqlArg::Text: {
                const QByteArray text = value.utf8();
                result = m_bindText(handle, index, text.constData(), static_cast<int>(text.size()), kTransient);
                break;
            }
            }
        }
        std::vector<char*> names;
        std::vector<char*> cells;
        std::vector<char> kinds;
        while (result == 0) {
            const int step = m_step(handle);
            if (step == kStepDone)
                break;
            if (step != kStepRow) {
                result = step;
                break;
            }
            if (!callback)
                continue;
            const int columns = m_columnCount(handle);
            if (names.empty() && columns > 0) {
                names.resize(static_cast<size_t>(columns));
                for (int c = 0; c < columns; ++c)
                    names[static_cast<size_t>(c)] = const_cast<char*>(m_columnName(handle, c));
                cells.resize(static_cast<size_t>(columns));
                kinds.resize(static_cast<size_t>(columns));
            }
            for (int c = 0; c < columns; ++c) {
                // 1 integer, 2 float, 3 text, 4 blob (read as its text), 5 NULL.
                const int type = m_columnType(handle, c);
                kinds[static_cast<size_t>(c)] = type == 1 ? 'i' : type == 2 ? 'r' : type == 5 ? 'n' : 't';
                cells[static_cast<size_t>(c)] =
                    type == 5 ? nullptr
                              : const_cast<char*>(reinterpret_cast<const char*>(m_columnText(handle, c)));
            }
            if (callback(context, columns, cells.data(), names.data(), kinds.data()) != 0) {
                m_finalize(handle);
                *error = QStringLiteral("query aborted");
                return kResultAbort;
            }
        }
        const QString message = result != 0 ? QString::fromUtf8(m_errorMessage(m_connection)) : QString();
        m_finalize(handle);
        if (result == 0)
            return kEngineOk;
        const QByteArray text = message.toUtf8();
        return outcome(result, text.constData(), error);
    }

    int maxBoundValues() const override
    {
        // Libraries before 3.32 allow 999; later ones 32766 unless built otherwise.
        if (m_limit && m_connection)
            return std::max(999, m_limit(m_connection, kLimitVariables, -1));
        return 999;
    }

    QByteArray beginStatement() const override
    {
        // IMMEDIATE takes the write lock at once: work that reads a number
        // or a stock figure and writes it back cannot interleave with another
        // program doing the same, and the wait happens here, under the busy
        // timeout, instead of failing half-way at the first write.
        return QByteArrayLiteral("BEGIN IMMEDIATE");
    }

    QByteArray busyTimeoutStatement(int milliseconds) const override
    {
        return "PRAGMA busy_timeout = " + QByteArray::number(milliseconds);
    }

    bool failedTransactionRefusesStatements() const override { return false; }

    bool bindsValues() const
    {
        return m_prepare && m_bindText && m_step && m_finalize && m_errorMessage && m_bindInt64 && m_bindDouble
               && m_bindNull && m_columnCount && m_columnText && m_columnName && m_columnType;
    }

    // The layer's code and words for the library's result: busy and locked
    // (their extended codes share the low byte) when another program held
    // the file longer than the wait, the read-only refusal, else the
    // library's own message.
    int outcome(int result, const char* text, QString* error) const
    {
        if (result == 0)
            return kEngineOk;
        const int primary = result & 0xFF;
        if (primary == 5 || primary == 6) {
            *error = QStringLiteral("database is busy");
            return kEngineBusy;
        }
        if (primary == kResultReadOnly)
            *error = readOnlyRefusal(m_path);
        else
            *error = text && *text ? QString::fromUtf8(text) : QStringLiteral("SQL error %1").arg(result);
        return result;
    }

    bool prepares() const override
    {
        return m_prepare && m_bindText && m_step && m_reset && m_finalize && m_errorMessage && m_connection;
    }

    void* prepare(const QByteArray& statement, QString* error) override
    {
        void* handle = nullptr;
        if (m_prepare(m_connection, statement.constData(), static_cast<int>(statement.size()), &handle, nullptr) != 0) {
            *error = QString::fromUtf8(m_errorMessage(m_connection));
            if (handle)
                m_finalize(handle);
            return nullptr;
        }
        m_statements.push_back(handle);
        return handle;
    }

    int bindText(void* statement, int index, const char* text, int size) override
    {
        // The text stays where it is until it is bound anew (no copy).
        return m_bindText(statement, index, text, size, nullptr);
    }

    int step(void* statement, QString* error) override
    {
        const int result = m_step(statement);
        if (result == kStepDone)
            return kEngineOk;
        const int primary = result & 0xFF;
        if (primary == 5 || primary == 6) {
            *error = QStringLiteral("database is busy");
            return kEngineBusy;
        }
        *error = primary == kResultReadOnly ? readOnlyRefusal(m_path) : QString::fromUtf8(m_errorMessage(m_connection));
        return result;
    }

    void reset(void* statement) override { m_reset(statement); }

    void finalize(void* statement) override
    {
        const auto it = std::find(m_statements.begin(), m_statements.end(), statement);
        if (it == m_statements.end())
            return;
        m_statements.erase(it);
        m_finalize(statement);
    }

    unsigned generation() const override { return m_generation; }

    bool readOnly() const override { return m_connection && m_readOnly; }

    long long changedRows() override
    {
        QString text;
        QString error;
        exec("select changes()",
             [](void* context, int columns, char** values, char**) {
                 if (columns > 0 && values[0])
                     *static_cast<QString*>(context) = QString::fromLatin1(values[0]);
                 return 0;
             },
             &error, &text);
        return text.toLongLong();
    }

private:
    void* m_handle = nullptr;
    ExecFn m_exec = nullptr;
    OpenFn m_open = nullptr;
    OpenV2Fn m_openV2 = nullptr;
    bool m_readOnly = false;
    CloseFn m_close = nullptr;
    FreeFn m_free = nullptr;
    PrepareFn m_prepare = nullptr;
    BindTextFn m_bindText = nullptr;
    StatementFn m_step = nullptr;
    StatementFn m_reset = nullptr;
    StatementFn m_finalize = nullptr;
    ErrorMessageFn m_errorMessage = nullptr;
    BindInt64Fn m_bindInt64 = nullptr;
    BindDoubleFn m_bindDouble = nullptr;
    BindNullFn m_bindNull = nullptr;
    ColumnCountFn m_columnCount = nullptr;
    ColumnTextFn m_columnText = nullptr;
    ColumnNameFn m_columnName = nullptr;
    ColumnTypeFn m_columnType = nullptr;
    LimitFn m_limit = nullptr;
    std::vector<void*> m_statements;
    unsigned m_generation = 0;
    bool m_attempted = false;
    void* m_connection = nullptr;
    QString m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_hadFile = false;
};

} // namespace

void RequestReadOnlyFolders(bool readOnly)
{
    g_readOnlyRequested = readOnly;
}

std::unique_ptr<DatabaseEngine> NewSqliteEngine()
{
    return std::make_unique<Sqlite>();
}

DatabaseEngine& SqliteEngine()
{
    static Sqlite engine;
    return engine;
}
