// The PostgreSQL client library, loaded at run time like SQLite: the data of
// a team on a server. The engines' statements are written for SQLite; the
// few places where the server reads SQL differently are translated here.
#include "db/engine.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "db/serveraccess.h"

#include <QHash>
#include <QStringList>

#include <dlfcn.h>

#include <cstring>
#include <vector>

namespace {

using Conn = void;
using Result = void;
using ConnectFn = Conn* (*)(const char*);
using StatusFn = int (*)(const Conn*);
using ErrorFn = char* (*)(const Conn*);
using FinishFn = void (*)(Conn*);
using ExecFn = Result* (*)(Conn*, const char*);
using ResultStatusFn = int (*)(const Result*);
using ResultErrorFn = char* (*)(const Result*);
using ResultFieldFn = char* (*)(const Result*, int);
using CountFn = int (*)(const Result*);
using NameFn = char* (*)(const Result*, int);
using ValueFn = char* (*)(const Result*, int, int);
using IsNullFn = int (*)(const Result*, int, int);
using ClearFn = void (*)(Result*);
using EncodingFn = int (*)(Conn*, const char*);
using ExecParamsFn = Result* (*)(Conn*, const char*, int, const unsigned*, const char* const*, const int*,
                                 const int*, int);
using TypeFn = unsigned (*)(const Result*, int);

// Type numbers of the server (pg_type): the values bound as numbers, and the
// result columns read as numbers.
constexpr unsigned kInt2 = 21;
constexpr unsigned kInt4 = 23;
constexpr unsigned kInt8 = 20;
constexpr unsigned kOid = 26;
constexpr unsigned kFloat4 = 700;
constexpr unsigned kFloat8 = 701;
constexpr unsigned kNumeric = 1700;
constexpr int kMaxParameters = 65535;
using SocketFn = int (*)(const Conn*);
using ConsumeFn = int (*)(Conn*);
// libpq's PGnotify, as its header lays it out.
struct Notice
{
    char* relname;
    int be_pid;
    char* extra;
    Notice* next;
};
using NotifiesFn = Notice* (*)(Conn*);
using FreememFn = void (*)(void*);

constexpr const char* kLibraryFile = "libpq.so.5";
constexpr int kConnectionOk = 0;
constexpr int kCommandOk = 1;
constexpr int kTuplesOk = 2;
constexpr int kDiagnosticState = 'C';
constexpr int kDiagnosticMessage = 'M';

// The write lock of the shop, as SQLite's BEGIN IMMEDIATE takes it on the
// file: one writer at a time, readers never wait. A shop is the schema its
// tables are in (the search_path KOLT sets), so two shops in one database do not wait for
// each other. A transaction-scoped advisory lock ("KOLT", the schema) is
// released by COMMIT and ROLLBACK alike.
constexpr const char* kBegin = "BEGIN; SELECT pg_advisory_xact_lock(1263488084, hashtext(current_schema()))";
// Every write transaction tells the other desks of the shop at its COMMIT
// (a rolled-back one tells nobody): the channel is the schema's, and the
// payload names this desk, so that it does not refresh for its own work.
QByteArray notifyStatement()
{
    return "SELECT pg_notify('kolt.' || current_schema(), '" + DeskChangeToken() + "')";
}

bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
           || static_cast<unsigned char>(c) >= 0x80;
}

bool wordIs(const char* at, size_t length, const char* word)
{
    if (std::strlen(word) != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = at[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return true;
}

// The end of the parenthesised list that opens at s[open] ("("), past
// quoted texts and nested parentheses; n when it never closes.
size_t closingParenthesis(const char* s, size_t n, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < n; ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            ++i;
            while (i < n && !(s[i] == c && !(i + 1 < n && s[i + 1] == c)))
                i += s[i] == c ? 2 : 1;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return i;
        }
    }
    return n;
}

} // namespace

// Each "?" outside quoted texts and names as the server's "$1", "$2", ...
QByteArray NumberedPlaceholders(const QByteArray& statement)
{
    if (!statement.contains('?'))
        return statement;
    QByteArray out;
    out.reserve(statement.size() + 16);
    const char* s = statement.constData();
    const size_t n = static_cast<size_t>(statement.size());
    int number = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            size_t j = i + 1;
            while (j < n && !(s[j] == c && !(j + 1 < n && s[j + 1] == c)))
                j += s[j] == c ? 2 : 1;
            const size_t end = j < n ? j + 1 : n;
            out.append(s + i, static_cast<qsizetype>(end - i));
            i = end - 1;
        } else if (c == '?') {
            out.append('$');
            out.append(QByteArray::number(++number));
        } else {
            out.append(c);
        }
    }
    return out;
}

// The statement as the server must read it: outside quoted texts, the column
// "User" (a reserved word there) is quoted, LIKE ignores case as SQLite's
// does, and SQLite's functions get the server's names.
QByteArray ServerStatement(const QByteArray& statement)
{
    QByteArray out;
    out.reserve(statement.size() + 16);
    const char* s = statement.constData();
    const size_t n = static_cast<size_t>(statement.size());
    size_t i = 0;
    while (i < n) {
        const char c = s[i];
        if (c == '"') {
            // A quoted name: the server folds the unquoted names the tables
            // were made with to lower case, so a quoted one must be too.
            size_t j = i + 1;
            while (j < n && !(s[j] == '"' && !(j + 1 < n && s[j + 1] == '"')))
                j += s[j] == '"' ? 2 : 1;
            const size_t end = j < n ? j + 1 : n;
            for (size_t k = i; k < end; ++k)
                out.append(s[k] >= 'A' && s[k] <= 'Z' ? static_cast<char>(s[k] - 'A' + 'a') : s[k]);
            i = end;
            continue;
        }
        if (c == '\'') {
            // A quoted text, doubled quotes inside: copied as it is.
            size_t j = i + 1;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const size_t end = j < n ? j + 1 : n;
            out.append(s + i, static_cast<qsizetype>(end - i));
            i = end;
            continue;
        }
        if (isWordChar(c) && !(i > 0 && isWordChar(s[i - 1]))) {
            size_t j = i;
            while (j < n && isWordChar(s[j]))
                ++j;
            const size_t length = j - i;
            size_t open = j;
            while (open < n && (s[open] == ' ' || s[open] == '\t'))
                ++open;
            if (wordIs(s + i, length, "group_concat") && open < n && s[open] == '(') {
                // group_concat(x [, separator]): string_agg of the text,
                // with SQLite's "," when no separator is given.
                const size_t close = closingParenthesis(s, n, open);
                if (close < n) {
                    std::vector<QByteArray> arguments;
                    int depth = 0;
                    size_t from = open + 1;
                    for (size_t k = open + 1; k < close; ++k) {
                        const char d = s[k];
                        if (d == '\'' || d == '"') {
                            ++k;
                            while (k < close && !(s[k] == d && !(k + 1 < close && s[k + 1] == d)))
                                k += s[k] == d ? 2 : 1;
                        } else if (d == '(') {
                            ++depth;
                        } else if (d == ')') {
                            --depth;
                        } else if (d == ',' && depth == 0) {
                            arguments.push_back(QByteArray(s + from, static_cast<qsizetype>(k - from)).trimmed());
                            from = k + 1;
                        }
                    }
                    arguments.push_back(QByteArray(s + from, static_cast<qsizetype>(close - from)).trimmed());
                    out.append("string_agg((");
                    out.append(ServerStatement(arguments[0]));
                    out.append(")::text, ");
                    out.append(arguments.size() > 1 ? ServerStatement(arguments[1]) : QByteArray("','"));
                    out.append(')');
                    i = close + 1;
                    continue;
                }
            }
            if (wordIs(s + i, length, "cross") && n - open >= 4 && wordIs(s + open, 4, "join")
                && !(open + 4 < n && isWordChar(s[open + 4]))) {
                // SQLite's "cross join ... on" fixes the loop order; the
                // server has no such join with a condition: a plain join.
                i = open;
                continue;
            }
            if (wordIs(s + i, length, "in") && open < n && s[open] == '(') {
                size_t close = open + 1;
                while (close < n && (s[close] == ' ' || s[close] == '\t'))
                    ++close;
                if (close < n && s[close] == ')') {
                    // An empty list holds nothing on SQLite; the server wants one item.
                    out.append("in (NULL)");
                    i = close + 1;
                    continue;
                }
            }
            if (wordIs(s + i, length, "user"))
                out.append("\"user\"");
            else if (wordIs(s + i, length, "like"))
                out.append("ilike");
            else if (wordIs(s + i, length, "ifnull"))
                out.append("coalesce");
            else if (wordIs(s + i, length, "instr"))
                out.append("strpos");
            else if (wordIs(s + i, length, "quote") && open < n && s[open] == '(')
                out.append("quote_nullable");
            else if (wordIs(s + i, length, "unicode"))
                out.append("ascii");
            else if (wordIs(s + i, length, "char") && open < n && s[open] == '(')
                out.append("chr");
            else
                out.append(s + i, static_cast<qsizetype>(length));
            i = j;
            continue;
        }
        out.append(c);
        ++i;
    }
    return out;
}

namespace {

class Server final : public DatabaseEngine
{
public:
    ~Server() override
    {
        close();
        if (m_handle)
            dlclose(m_handle);
    }

    bool load() override
    {
        if (m_attempted)
            return m_loaded;
        m_attempted = true;
        m_handle = dlopen(kLibraryFile, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) {
            ShowMessage(QStringLiteral("Missing %1").arg(QString::fromLatin1(kLibraryFile)), QStringLiteral("dll error"));
            return false;
        }
        bool complete = true;
        auto resolve = [&](const char* name) {
            void* symbol = dlsym(m_handle, name);
            if (!symbol) {
                ShowMessage(QStringLiteral("Missing %1 PROCESS").arg(QString::fromLatin1(name)),
                            QStringLiteral("dll error"));
                complete = false;
            }
            return symbol;
        };
        m_connect = reinterpret_cast<ConnectFn>(resolve("PQconnectdb"));
        m_status = reinterpret_cast<StatusFn>(resolve("PQstatus"));
        m_error = reinterpret_cast<ErrorFn>(resolve("PQerrorMessage"));
        m_finish = reinterpret_cast<FinishFn>(resolve("PQfinish"));
        m_exec = reinterpret_cast<ExecFn>(resolve("PQexec"));
        m_resultStatus = reinterpret_cast<ResultStatusFn>(resolve("PQresultStatus"));
        m_resultError = reinterpret_cast<ResultErrorFn>(resolve("PQresultErrorMessage"));
        m_resultField = reinterpret_cast<ResultFieldFn>(resolve("PQresultErrorField"));
        m_rows = reinterpret_cast<CountFn>(resolve("PQntuples"));
        m_fields = reinterpret_cast<CountFn>(resolve("PQnfields"));
        m_name = reinterpret_cast<NameFn>(resolve("PQfname"));
        m_value = reinterpret_cast<ValueFn>(resolve("PQgetvalue"));
        m_isNull = reinterpret_cast<IsNullFn>(resolve("PQgetisnull"));
        m_clear = reinterpret_cast<ClearFn>(resolve("PQclear"));
        m_encoding = reinterpret_cast<EncodingFn>(resolve("PQsetClientEncoding"));
        m_cmdTuples = reinterpret_cast<ResultErrorFn>(resolve("PQcmdTuples"));
        m_execParams = reinterpret_cast<ExecParamsFn>(resolve("PQexecParams"));
        m_type = reinterpret_cast<TypeFn>(resolve("PQftype"));
        m_socket = reinterpret_cast<SocketFn>(resolve("PQsocket"));
        m_consume = reinterpret_cast<ConsumeFn>(resolve("PQconsumeInput"));
        m_notifies = reinterpret_cast<NotifiesFn>(resolve("PQnotifies"));
        m_freemem = reinterpret_cast<FreememFn>(resolve("PQfreemem"));
        m_loaded = complete;
        return m_loaded;
    }

    bool open(const QString& location, QString* error) override
    {
        close();
        if (!load()) {
            *error = QStringLiteral("The PostgreSQL client library is not loaded.");
            return false;
        }
        // The password comes from the user's password file or environment,
        // which the library reads itself; KOLT never keeps one.
        const ServerAddress address = ParseServerAddress(location);
        m_connection = m_connect(address.connection.toUtf8().constData());
        if (!m_connection || m_status(m_connection) != kConnectionOk) {
            *error = m_connection ? ConnectionFailureText(QString::fromUtf8(m_error(m_connection)), address)
                                  : QStringLiteral("out of memory");
            close();
            return false;
        }
        m_encoding(m_connection, "UTF8");
        // The shop's schema is the one the address names, else "kolt"; a
        // database an earlier release filled keeps its shop in "public",
        // which is used while no "kolt" schema exists. Never the login's
        // own search path: a schema of its own would hold an empty shop.
        QString schema = address.schema;
        m_login.clear();
        {
            QStringList answer;
            const QByteArray probe =
                "select current_user, (select count(*) from pg_namespace where nspname = '"
                + DefaultShopSchema().toUtf8()
                + "'), (select count(*) from pg_class c join pg_namespace n on n.oid = c.relnamespace "
                  "where n.nspname = 'public' and c.relname = 'globalparamlist' and c.relkind = 'r')";
            Result* result = m_exec(m_connection, probe.constData());
            if (result && m_resultStatus(result) == kTuplesOk && m_rows(result) == 1)
                for (int f = 0; f < m_fields(result); ++f)
                    answer << QString::fromUtf8(m_value(result, 0, f));
            if (result)
                m_clear(result);
            if (answer.size() == 3) {
                m_login = answer[0];
                if (schema.isEmpty())
                    schema = answer[1] == QLatin1String("0") && answer[2] != QLatin1String("0")
                                 ? QStringLiteral("public")
                                 : DefaultShopSchema();
            }
        }
        if (schema.isEmpty())
            schema = DefaultShopSchema();
        m_schema = schema;
        // The server's notices ("already exists, skipping") are not the user's business.
        const QByteArray setup = "SET client_min_messages = warning; SET search_path TO "
                                 + QuoteSqlIdentifier(schema).toUtf8();
        Result* quiet = m_exec(m_connection, setup.constData());
        if (quiet)
            m_clear(quiet);
        m_location = location;
        buildColumnNames();
        return true;
    }

    QString shopSchema() const override { return m_schema; }
    QString login() const override { return m_login; }

    bool isOpen() const override { return m_connection != nullptr; }

    bool serves(const QString& location) override
    {
        return m_connection && m_location == location && m_status(m_connection) == kConnectionOk;
    }

    void close() override
    {
        if (m_connection && m_finish)
            m_finish(m_connection);
        m_connection = nullptr;
        m_location.clear();
        m_schema.clear();
        m_login.clear();
        m_inTransaction = false;
    }

    int exec(const QByteArray& statement, RowCallback callback, QString* error, void* context) override
    {
        if (!m_connection) {
            *error = QStringLiteral("The database is not open.");
            return kEngineError;
        }
        // Whether a write commits by itself (and must tell the other desks
        // itself); a rollback to a savepoint stays inside the transaction.
        const QByteArray head = statement.trimmed().left(12).toUpper();
        if (head.startsWith("BEGIN"))
            m_inTransaction = true;
        else if (head.startsWith("COMMIT") || (head.startsWith("ROLLBACK") && !head.startsWith("ROLLBACK TO")))
            m_inTransaction = false;
        Result* result = m_exec(m_connection, ServerStatement(statement).constData());
        // Cut off with COMMIT on its way, the server may have stored the work
        // or not: "nothing was written" would be a guess, and a repeat may
        // store it twice.
        const bool committing = statement.trimmed().compare("COMMIT", Qt::CaseInsensitive) == 0;
        if (committing && m_status(m_connection) != kConnectionOk) {
            if (result)
                m_clear(result);
            *error = Translate(QStringLiteral("the connection was lost while the change was being committed; it may "
                                              "have been stored: check before repeating"));
            return kEngineCommitUnknown;
        }
        return outcome(result, callback, nullptr, error, context);
    }

    int execBound(const QByteArray& statement, const SqlArgs& values, BoundRowCallback callback, QString* error,
                  void* context) override
    {
        if (!m_connection) {
            *error = QStringLiteral("The database is not open.");
            return kEngineError;
        }
        if (values.size() > static_cast<size_t>(kMaxParameters)) {
            *error = QStringLiteral("too many values for one statement (%1)").arg(values.size());
            return kEngineError;
        }
        // Texts go untyped, as a quoted literal would, so the server takes
        // the type of the column they meet; numbers go typed, as unquoted
        // numbers would. Every value travels as text.
        std::vector<QByteArray> texts(values.size());
        std::vector<const char*> pointers(values.size(), nullptr);
        std::vector<unsigned> types(values.size(), 0);
        for (size_t i = 0; i < values.size(); ++i) {
            const SqlArg& value = values[i];
            if (value.kind() == SqlArg::Null)
                continue;
            texts[i] = value.utf8();
            pointers[i] = texts[i].constData();
            types[i] = value.kind() == SqlArg::Integer ? kInt8 : value.kind() == SqlArg::Real ? kFloat8 : 0;
        }
        const QByteArray text = NumberedPlaceholders(ServerStatement(statement));
        Result* result = m_execParams(m_connection, text.constData(), static_cast<int>(values.size()), types.data(),
                                      pointers.data(), nullptr, nullptr, 0);
        return outcome(result, nullptr, callback, error, context);
    }

    int maxBoundValues() const override { return kMaxParameters; }

    // The layer's code and words for a statement's result (cleared here).
    int outcome(Result* result, RowCallback callback, BoundRowCallback boundCallback, QString* error, void* context)
    {
        if (!result) {
            *error = QString::fromUtf8(m_error(m_connection)).trimmed();
            return kEngineError;
        }
        const int status = m_resultStatus(result);
        int code = kEngineOk;
        if (status == kTuplesOk) {
            code = deliver(result, callback, boundCallback, context);
            if (code != kEngineOk)
                *error = QStringLiteral("query aborted");
        } else if (status == kCommandOk) {
            m_changed = QByteArray(m_cmdTuples(result)).toLongLong();
            // A write outside a transaction commits at once: it tells the
            // other desks itself.
            if (m_changed > 0 && !m_inTransaction) {
                Result* told = m_exec(m_connection, notifyStatement().constData());
                if (told)
                    m_clear(told);
            }
        } else if (status != 0) {
            const char* state = m_resultField(result, kDiagnosticState);
            const QByteArray sqlState = state ? QByteArray(state) : QByteArray();
            // Lock wait past the timeout, a deadlock, a serialization
            // failure: another user held what this work needs.
            if (sqlState == "55P03" || sqlState == "40P01" || sqlState == "40001") {
                *error = QStringLiteral("database is busy");
                code = kEngineBusy;
            } else {
                // The server's own words, without its "ERROR:" and context lines.
                const char* primary = m_resultField(result, kDiagnosticMessage);
                *error = primary ? QString::fromUtf8(primary) : QString::fromUtf8(m_resultError(result)).trimmed();
                // A refusal for want of a grant names the table and the login.
                if (sqlState == "42501")
                    *error = PermissionDeniedText(*error, m_login);
                code = kEngineError;
            }
        }
        m_clear(result);
        return code;
    }

    QByteArray beginStatement() const override { return QByteArray(kBegin) + "; " + notifyStatement(); }

    int notificationSocket() const override { return m_connection && m_socket ? m_socket(m_connection) : -1; }

    int takeChangeNotices() override
    {
        if (!m_connection || !m_consume || m_consume(m_connection) == 0 || m_status(m_connection) != kConnectionOk)
            return -1;
        int notices = 0;
        const QByteArray own = DeskChangeToken();
        while (Notice* notice = m_notifies(m_connection)) {
            if (!notice->extra || own != notice->extra)
                ++notices;
            m_freemem(notice);
        }
        return notices;
    }

    QByteArray busyTimeoutStatement(int milliseconds) const override
    {
        return "SET lock_timeout = " + QByteArray::number(milliseconds);
    }

    bool failedTransactionRefusesStatements() const override { return true; }

    long long changedRows() override { return m_changed; }

private:
    // The server folds unquoted names to lower case; the layer hands the
    // names on as the definitions spell them, so headings read "Part #".
    void buildColumnNames()
    {
        m_names.clear();
        for (const TableDefinition& definition : App().tables)
            for (int f = 0; f < definition.fieldCount; ++f) {
                const QByteArray name = ToColumnName(definition.headings[f]).toUtf8();
                m_names.insert(name.toLower(), name);
            }
    }

    int deliver(Result* result, RowCallback callback, BoundRowCallback boundCallback, void* context)
    {
        if (!callback && !boundCallback)
            return kEngineOk;
        const int rows = m_rows(result);
        const int fields = m_fields(result);
        std::vector<QByteArray> names(static_cast<size_t>(fields));
        std::vector<char*> namePointers(static_cast<size_t>(fields));
        for (int f = 0; f < fields; ++f) {
            const QByteArray name(m_name(result, f));
            const auto it = m_names.constFind(name);
            names[static_cast<size_t>(f)] = it == m_names.constEnd() ? name : it.value();
            namePointers[static_cast<size_t>(f)] = names[static_cast<size_t>(f)].data();
        }
        // What each column holds, as the layer tells numbers from texts.
        std::vector<char> columnKinds(static_cast<size_t>(fields), 't');
        if (boundCallback)
            for (int f = 0; f < fields; ++f) {
                const unsigned type = m_type(result, f);
                columnKinds[static_cast<size_t>(f)] =
                    type == kInt2 || type == kInt4 || type == kInt8 || type == kOid ? 'i'
                    : type == kFloat4 || type == kFloat8 || type == kNumeric        ? 'r'
                                                                                    : 't';
            }
        std::vector<char> kinds(static_cast<size_t>(fields));
        std::vector<char*> values(static_cast<size_t>(fields));
        for (int r = 0; r < rows; ++r) {
            for (int f = 0; f < fields; ++f) {
                const bool null = m_isNull(result, r, f);
                values[static_cast<size_t>(f)] = null ? nullptr : m_value(result, r, f);
                kinds[static_cast<size_t>(f)] = null ? 'n' : columnKinds[static_cast<size_t>(f)];
            }
            const int stop = boundCallback
                                 ? boundCallback(context, fields, values.data(), namePointers.data(), kinds.data())
                                 : callback(context, fields, values.data(), namePointers.data());
            if (stop != 0)
                return kEngineError;
        }
        return kEngineOk;
    }

    void* m_handle = nullptr;
    bool m_attempted = false;
    bool m_loaded = false;
    ConnectFn m_connect = nullptr;
    StatusFn m_status = nullptr;
    ErrorFn m_error = nullptr;
    FinishFn m_finish = nullptr;
    ExecFn m_exec = nullptr;
    ResultStatusFn m_resultStatus = nullptr;
    ResultErrorFn m_resultError = nullptr;
    ResultFieldFn m_resultField = nullptr;
    CountFn m_rows = nullptr;
    CountFn m_fields = nullptr;
    NameFn m_name = nullptr;
    ValueFn m_value = nullptr;
    IsNullFn m_isNull = nullptr;
    ClearFn m_clear = nullptr;
    EncodingFn m_encoding = nullptr;
    ResultErrorFn m_cmdTuples = nullptr;
    ExecParamsFn m_execParams = nullptr;
    TypeFn m_type = nullptr;
    SocketFn m_socket = nullptr;
    ConsumeFn m_consume = nullptr;
    NotifiesFn m_notifies = nullptr;
    FreememFn m_freemem = nullptr;
    long long m_changed = 0;
    bool m_inTransaction = false;
    Conn* m_connection = nullptr;
    QString m_location;
    QString m_schema;
    QString m_login;
    QHash<QByteArray, QByteArray> m_names;
};

} // namespace

std::unique_ptr<DatabaseEngine> NewServerEngine()
{
    return std::make_unique<Server>();
}

DatabaseEngine& ServerEngine()
{
    static Server engine;
    return engine;
}
