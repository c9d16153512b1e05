#include "db/database.h"

#include "app/appstate.h"
#include "app/dictionary.h"
#include "app/format.h"
#include "app/utilities.h"
#include "app/userinterface.h"

#include <dlfcn.h>

#include <cmath>
#include <cstring>

namespace {

// The library is reached through the three entry points it is known for;
// sqlite3_free only returns the error texts and may be absent.
using ExecCallback = int (*)(void*, int, char**, char**);
using ExecFn = int (*)(void*, const char*, ExecCallback, void*, char**);
using OpenFn = int (*)(const char*, void**);
using CloseFn = int (*)(void*);
using FreeFn = void (*)(void*);

constexpr const char* kLibraryFile = "libsqlite3.so.0";

struct Library
{
    void* handle = nullptr;
    ExecFn exec = nullptr;
    OpenFn open = nullptr;
    CloseFn close = nullptr;
    FreeFn free = nullptr;
    bool attempted = false;

    ~Library()
    {
        if (handle)
            dlclose(handle);
    }
};

Library g_lib;

QString g_databasePath;
void* g_connection = nullptr;
int g_lastResult = 0;
QString g_lastError;
int g_currentTable = 0;

QueryResult* g_target = nullptr;
int g_rowCounter = 0;
bool g_tooManyColumns = false;
bool g_separated = false;
QString g_accumulator;

int g_txDepth = 0;
bool g_txFailed = false;
int g_injectAfter = 0;

const QString kEmpty;

bool isUtf8(const unsigned char* s, size_t n)
{
    size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned min;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; cp = c & 0x07; }
        else return false;
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

// Text written by this program is UTF-8; databases written by the older
// one-byte-per-character rule hold bytes that are not, and read back as they were.
QString decodeText(const char* text)
{
    if (!text)
        return QString();
    const size_t n = std::strlen(text);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    bool ascii = true;
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return QString::fromLatin1(text, static_cast<qsizetype>(n));
    if (isUtf8(bytes, n))
        return QString::fromUtf8(text, static_cast<qsizetype>(n));
    return QString::fromLatin1(text, static_cast<qsizetype>(n));
}

void reportLibraryFailure(const QString& text)
{
    ShowMessage(text, QStringLiteral("dll error"));
}

// Runs one statement; the single place that meets sqlite3_exec.
int exec(const QString& sql, ExecCallback callback, bool countsForTransaction)
{
    if (!g_lib.exec || !g_connection) {
        g_lastResult = 1;
        g_lastError = QStringLiteral("The database is not open.");
        if (g_txDepth > 0 && countsForTransaction)
            g_txFailed = true;
        return g_lastResult;
    }
    if (countsForTransaction && g_injectAfter > 0 && --g_injectAfter == 0) {
        g_lastResult = 1;
        g_lastError = QStringLiteral("injected failure");
        if (g_txDepth > 0)
            g_txFailed = true;
        return g_lastResult;
    }
    const QByteArray statement = sql.toUtf8();
    char* error = nullptr;
    g_lastResult = g_lib.exec(g_connection, statement.constData(), callback, nullptr, &error);
    if (g_lastResult != 0) {
        g_lastError = error ? decodeText(error) : QStringLiteral("SQL error %1").arg(g_lastResult);
        if (g_txDepth > 0 && countsForTransaction)
            g_txFailed = true;
    }
    if (error && g_lib.free)
        g_lib.free(error);
    return g_lastResult;
}

int rowHandler(void*, int columns, char** values, char** names)
{
    QueryResult& result = *g_target;
    if (headingsCaptured == 0 && names) {
        if (columns > kMaxColumns) {
            g_tooManyColumns = true;
            ShowMessage(QStringLiteral("The result has %1 columns; at most %2 can be read.")
                            .arg(columns)
                            .arg(kMaxColumns),
                        QStringLiteral("Database Status"));
            return 1;
        }
        for (int i = 0; i < columns; ++i)
            result.headings[i] = i == 0 ? QStringLiteral("Key") : ToHeading(decodeText(names[i]));
        result.columnCount = columns;
        headingsCaptured = 1;
    }
    const int width = result.columnCount;
    if (columns > width && width > 0) {
        // A statement wider than the captured headings: keep what fits.
        columns = width;
    }
    const size_t base = static_cast<size_t>(g_rowCounter) * static_cast<size_t>(width);
    if (result.cells.size() < base + width)
        result.cells.resize(std::max(base + width, result.cells.size() * 2));
    for (int c = 0; c < columns; ++c)
        result.cells[base + c] = decodeText(values[c]);
    ++g_rowCounter;
    return 0;
}

int textHandler(void*, int columns, char** values, char**)
{
    QString row;
    for (int c = 0; c < columns; ++c) {
        row += decodeText(values[c]);
        if (c > 0 || g_separated)
            row += QLatin1Char('|');
    }
    g_accumulator += row;
    return 0;
}

} // namespace

int headingsCaptured = 0;

const QString& QueryResult::cell(int row, int column) const
{
    if (row < 0 || column < 0 || column >= columnCount)
        return kEmpty;
    const size_t index = static_cast<size_t>(row) * static_cast<size_t>(columnCount) + column;
    return index < cells.size() ? cells[index] : kEmpty;
}

void QueryResult::setCell(int row, int column, const QString& value)
{
    if (row < 0 || column < 0 || column >= columnCount)
        return;
    const size_t index = static_cast<size_t>(row) * static_cast<size_t>(columnCount) + column;
    if (index >= cells.size())
        cells.resize(index + 1);
    cells[index] = value;
}

bool LoadDatabaseLibrary()
{
    if (g_lib.attempted)
        return g_lib.exec && g_lib.open && g_lib.close;
    g_lib.attempted = true;
    g_lib.handle = dlopen(kLibraryFile, RTLD_NOW | RTLD_LOCAL);
    if (!g_lib.handle)
        reportLibraryFailure(QStringLiteral("Missing %1").arg(QString::fromLatin1(kLibraryFile)));
    auto resolve = [](const char* name) { return g_lib.handle ? dlsym(g_lib.handle, name) : nullptr; };
    g_lib.exec = reinterpret_cast<ExecFn>(resolve("sqlite3_exec"));
    if (!g_lib.exec)
        reportLibraryFailure(QStringLiteral("Missing sqlite3_EXEC PROCESS"));
    g_lib.open = reinterpret_cast<OpenFn>(resolve("sqlite3_open"));
    if (!g_lib.open)
        reportLibraryFailure(QStringLiteral("Missing sqlite3_open PROCESS"));
    g_lib.close = reinterpret_cast<CloseFn>(resolve("sqlite3_close"));
    if (!g_lib.close)
        reportLibraryFailure(QStringLiteral("Missing sqlite3_close PROCESS"));
    g_lib.free = reinterpret_cast<FreeFn>(resolve("sqlite3_free"));
    return g_lib.exec && g_lib.open && g_lib.close;
}

bool DatabaseLibraryLoaded()
{
    return g_lib.exec && g_lib.open && g_lib.close;
}

bool OpenDatabase()
{
    if (g_txDepth > 0 && g_connection)
        return true;
    if (!g_lib.open) {
        g_lastResult = 1;
        return false;
    }
    if (g_connection) {
        if (g_lib.close)
            g_lib.close(g_connection);
        g_connection = nullptr;
    }
    const QByteArray path = g_databasePath.toUtf8();
    g_lastResult = g_lib.open(path.constData(), &g_connection);
    if (g_lastResult != 0 && g_connection) {
        g_lib.close(g_connection);
        g_connection = nullptr;
    }
    return g_lastResult == 0;
}

void CloseDatabase()
{
    if (g_txDepth > 0)
        return;
    if (g_connection && g_lib.close)
        g_lib.close(g_connection);
    g_connection = nullptr;
}

bool SelectTable(const QString& dataFolder, int table)
{
    g_databasePath = dataFolder + QStringLiteral("/kolt.db");
    if (table == g_currentTable)
        return false;
    g_currentTable = table;
    OpenDatabase();
    CreateTable(table);
    CloseDatabase();
    headingsCaptured = 0;
    return true;
}

bool CreateTable(int table)
{
    if (table < 0 || table >= kTableCount)
        return false;
    TableDefinition& definition = App().tables[table];
    if (definition.name.isEmpty())
        definition.name = TableSqlName(table);
    return exec(CreateTableStatement(definition), nullptr, false) == 0;
}

int CurrentTable()
{
    return g_currentTable;
}

QString DatabasePath()
{
    return g_databasePath;
}

int RunQuery(QueryResult& result, const QString& sql)
{
    g_target = &result;
    g_rowCounter = 0;
    g_tooManyColumns = false;
    if (OpenDatabase()) {
        exec(sql + QLatin1Char(';'), rowHandler, true);
        if (g_lastResult != 0 && !g_tooManyColumns)
            ShowMessage(g_lastError, QStringLiteral("Database Status"));
        CloseDatabase();
    }
    result.rowCount = g_rowCounter;
    g_target = nullptr;
    return g_rowCounter;
}

QString QueryText(const QString& sql, bool separated)
{
    g_separated = separated;
    g_accumulator.clear();
    QString result;
    OpenDatabase();
    if (exec(sql, textHandler, true) == 0)
        result = g_accumulator;
    CloseDatabase();
    g_accumulator.clear();
    return result;
}

void InsertRow(const QStringList& values, int table)
{
    const TableDefinition& definition = App().tables[table];
    const QString key = TableKey(table);
    QString columns;
    QString list;
    for (int i = 0; i < definition.fieldCount; ++i) {
        const QString type = definition.types[i].toLower();
        QString value = values.value(i);
        if (type == QLatin1String("integer") || type == QLatin1String("real")) {
            // A number goes into the statement unquoted, so only a clean
            // number may pass; anything else is read leniently first.
            bool numeric = false;
            double number = value.trimmed().toDouble(&numeric);
            if (!numeric || !std::isfinite(number)) {
                number = TextToDouble(value);
                value = QString::number(number, 'g', 17);
            }
            if (number == 0.0)
                value = QStringLiteral("0");
        }
        if (i) {
            columns += QLatin1Char(',');
            list += QLatin1Char(',');
        }
        columns += ToColumnName(definition.headings[i]);
        if (IsUpperCaseColumn(key, definition.headings[i]))
            value = value.toUpper();
        if (type == QLatin1String("text"))
            list += QLatin1Char('\'') + SqlEscape(value) + QLatin1Char('\'');
        else
            list += value;
    }
    exec(QStringLiteral("insert into ") + definition.name + QStringLiteral("( ") + columns
             + QStringLiteral(") values ( ") + list + QLatin1Char(')'),
         nullptr, true);
}

int LastResultCode()
{
    return g_lastResult;
}

QString LastErrorText()
{
    return g_lastError;
}

bool Execute(const QString& sql)
{
    QueryText(sql, false);
    return g_lastResult == 0;
}

QueryResult Query(const QString& sql)
{
    QueryResult result;
    headingsCaptured = 0;
    RunQuery(result, sql);
    return result;
}

Transaction::Transaction()
{
    if (g_txDepth > 0) {
        ++g_txDepth;
        m_active = true;
        return;
    }
    if (!OpenDatabase())
        return;
    ++g_txDepth;
    g_txFailed = false;
    m_outermost = true;
    if (exec(QStringLiteral("BEGIN"), nullptr, false) != 0) {
        --g_txDepth;
        CloseDatabase();
        return;
    }
    m_active = true;
}

Transaction::~Transaction()
{
    if (!m_active || m_done)
        return;
    if (!m_outermost) {
        // An inner scope that ends without commit spoils the whole work.
        g_txFailed = true;
        --g_txDepth;
        return;
    }
    exec(QStringLiteral("ROLLBACK"), nullptr, false);
    --g_txDepth;
    CloseDatabase();
}

void Transaction::fail()
{
    if (m_active)
        g_txFailed = true;
}

bool Transaction::ok() const
{
    return m_active && !g_txFailed;
}

bool Transaction::commit()
{
    if (!m_active || m_done)
        return false;
    m_done = true;
    if (!m_outermost) {
        --g_txDepth;
        return !g_txFailed;
    }
    bool committed = false;
    if (!g_txFailed)
        committed = exec(QStringLiteral("COMMIT"), nullptr, false) == 0;
    if (!committed)
        exec(QStringLiteral("ROLLBACK"), nullptr, false);
    --g_txDepth;
    CloseDatabase();
    return committed;
}

void InjectStatementFailure(int afterStatements)
{
    g_injectAfter = afterStatements;
}
