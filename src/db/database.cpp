#include "db/database.h"
#include "db/sqllist.h"
#include "db/statement.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/engine.h"
#include "db/location.h"
#include "db/serveraccess.h"

#include <sys/mman.h>
#include <sys/statfs.h>

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using ExecCallback = RowCallback;

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
std::array<PreparedInsert, kTableCount> g_preparedInserts;

DatabaseEngine* g_engine = nullptr; // the library behind the open connection
bool g_libraryLoaded = false;

QString g_databasePath;
int g_busyTimeout = 5000;
int g_lastResult = 0;
QString g_lastError;
int g_currentTable = 0;

QueryResult* g_target = nullptr;
int g_rowCounter = 0;
bool g_tooManyColumns = false;
bool g_separated = false;
bool* g_indexProbe = nullptr; // set while createIndex asks whether it may make an index
QStringList* g_indexNames = nullptr; // set while createMissingIndexes reads the indexes there are
QString g_accumulator;

// The reason the last open of the connection failed; empty once it opened.
QString g_openError;

int g_txDepth = 0;
bool g_txFailed = false;
// The outermost scope could not begin: its statements are refused with the
// reason it could not.
bool g_txRefused = false;
int g_refusedResult = 0;
QString g_refusedError;
// The first failure of the running transaction.
int g_txFailedResult = 0;
QString g_txFailedError;
// The server ignores every statement after a failure until the rollback
// (unless the failure was taken back to a savepoint).
bool g_txAborted = false;
int g_injectAfter = 0;
// The connection was lost while COMMIT was on its way: the work may or may
// not be stored. For the last commit, and for any since the program started.
bool g_commitUnknown = false;
bool g_anyCommitUnknown = false;
StatementObserver g_observer = nullptr;

const QString kEmpty;

void markTransactionFailed()
{
    if (!g_txFailed) {
        g_txFailedResult = g_lastResult;
        g_txFailedError = g_lastError;
    }
    g_txFailed = true;
    if (g_engine && g_engine->failedTransactionRefusesStatements())
        g_txAborted = true;
}

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
    // Nearly every value is ASCII: eight bytes at a time, then the rest.
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < n && bytes[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(text, static_cast<qsizetype>(n));
    if (isUtf8(bytes, n))
        return QString::fromUtf8(text, static_cast<qsizetype>(n));
    return QString::fromLatin1(text, static_cast<qsizetype>(n));
}

// Recent short values of each column of the running RunQuery, by a hash of
// their bytes.
constexpr size_t kRecentSlots = 64;
constexpr size_t kRecentLength = 24;
std::vector<QString> g_recent;

QString decodeRecent(const char* text, QString* slots)
{
    if (!text || !*text)
        return decodeText(text);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::uint32_t hash = 2166136261u;
    size_t n = 0;
    for (; bytes[n] != 0; ++n) {
        if (n == kRecentLength || bytes[n] >= 0x80)
            return decodeText(text);
        hash = (hash ^ bytes[n]) * 16777619u;
    }
    QString& slot = slots[hash % kRecentSlots];
    const QLatin1StringView latin(text, static_cast<qsizetype>(n));
    if (slot.size() != latin.size() || slot != latin)
        slot = QString(latin);
    return slot;
}


// Whether a statement may run now: not inside a transaction that could not
// begin, not without a connection, not when a test asked for a failure, not
// after a failure inside a transaction on the server (which ignores every
// statement until the rollback). When not, the last result and error say why.
bool statementAllowed(bool countsForTransaction)
{
    if (g_txRefused) {
        g_lastResult = g_refusedResult;
        g_lastError = g_refusedError;
        return false;
    }
    if (!g_engine || !g_engine->isOpen()) {
        g_lastResult = 1;
        // Why the connection could not be made, when it could not: the
        // server's reason in words, once, rather than a bare "not open".
        g_lastError = g_openError.isEmpty() ? QStringLiteral("The database is not open.") : g_openError;
        if (g_txDepth > 0 && countsForTransaction)
            markTransactionFailed();
        return false;
    }
    if (g_txDepth > 0 && g_txAborted && countsForTransaction) {
        // The failure that spoiled the work is the one to tell.
        g_lastResult = g_txFailedResult;
        g_lastError = g_txFailedError;
        return false;
    }
    if (countsForTransaction && g_injectAfter > 0 && --g_injectAfter == 0) {
        g_lastResult = 1;
        g_lastError = QStringLiteral("injected failure");
        if (g_txDepth > 0)
            markTransactionFailed();
        return false;
    }
    return true;
}

// Keeps a failed statement's result and text, and spoils the transaction.
void recordFailure(int result, const QString& error, bool countsForTransaction)
{
    g_lastResult = result;
    g_lastError = error.isEmpty() ? QStringLiteral("SQL error %1").arg(result) : error;
    if (g_txDepth > 0 && countsForTransaction)
        markTransactionFailed();
}

// Runs one statement, given as UTF-8; the single place that meets the library.
int execUtf8(const QByteArray& statement, ExecCallback callback, bool countsForTransaction)
{
    if (!statementAllowed(countsForTransaction))
        return g_lastResult;
    QString error;
    g_lastResult = g_engine->exec(statement, callback, &error);
    if (g_lastResult != 0)
        recordFailure(g_lastResult, error, countsForTransaction);
    if (g_observer)
        g_observer(statement, g_lastResult);
    return g_lastResult;
}

int exec(const QString& sql, ExecCallback callback, bool countsForTransaction)
{
    return execUtf8(sql.toUtf8(), callback, countsForTransaction);
}

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

// The same for a statement with bound values: the same refusals, failure
// keeping, transaction spoiling and watching, so a bound statement counts
// and fails as a pasted one does.
int execBound(const QString& sql, const SqlArgs& args, BoundRowCallback callback, void* context = nullptr)
{
    if (!statementAllowed(true))
        return g_lastResult;
    const QByteArray statement = sql.toUtf8();
    QString error;
    g_lastResult = g_engine->execBound(statement, args, callback, &error, context);
    if (g_lastResult != 0)
        recordFailure(g_lastResult, error, true);
    if (g_observer)
        g_observer(withValuesWritten(statement, args), g_lastResult);
    return g_lastResult;
}

// A large result is hundreds of thousands of cells, tens of megabytes that
// are touched once each: backed by huge pages where the system offers them,
// the kernel takes one fault per 2 MiB instead of one per 4 KiB. Only advice;
// the memory stays the allocator's.
void adviseHugePages(void* data, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = 2u << 20;
    if (bytes < 2 * kHugePage)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

int rowHandler(void*, int columns, char** values, char** names)
{
    QueryResult& result = *g_target;
    // A result without headings takes them from this statement even when an
    // earlier one left the flag set: with no width its rows have no place.
    if ((headingsCaptured == 0 || result.columnCount == 0) && names) {
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
    if (width <= 0)
        return 0;
    if (columns > width) {
        // A statement wider than the captured headings: keep what fits.
        columns = width;
    }
    std::vector<QString>& cells = result.cells;
    const size_t base = static_cast<size_t>(g_rowCounter) * static_cast<size_t>(width);
    if (cells.capacity() < base + width) {
        // The advice must come before the cells move in, or half the new
        // array is already faulted in small pages.
        std::vector<QString> grown;
        grown.reserve(std::max({base + width, cells.capacity() * 2, size_t{4096}}));
        adviseHugePages(grown.data(), grown.capacity() * sizeof(QString));
        grown.insert(grown.end(), std::make_move_iterator(cells.begin()), std::make_move_iterator(cells.end()));
        cells.swap(grown);
    }
    // From the 64th row on, short texts are looked up among the recent
    // values of their column: categories, units, vendors, zeros and stamps
    // repeat, and a repeated value shares the text instead of allocating it.
    if (g_rowCounter == 64)
        g_recent.resize(static_cast<size_t>(width) * kRecentSlots);
    const bool recent = g_rowCounter >= 64;
    // Cells left by an earlier statement are overwritten; new ones are
    // appended as they are decoded, never constructed empty first.
    for (int c = 0; c < columns; ++c) {
        const size_t index = base + static_cast<size_t>(c);
        QString text = recent ? decodeRecent(values[c], &g_recent[static_cast<size_t>(c) * kRecentSlots])
                              : decodeText(values[c]);
        if (index < cells.size())
            cells[index] = std::move(text);
        else {
            if (index > cells.size())
                cells.resize(index);
            cells.push_back(std::move(text));
        }
    }
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
    g_libraryLoaded = SqliteEngine().load();
    return g_libraryLoaded;
}

bool DatabaseLibraryLoaded()
{
    return g_libraryLoaded;
}

bool DatabaseOnServer()
{
    return IsServerAddress(g_databasePath);
}

namespace {

// The prepared statements die with their connection; a new connection
// starts with none.
void forgetInsertStatements()
{
    for (PreparedInsert& prepared : g_preparedInserts)
        prepared = PreparedInsert();
}

} // namespace

QString IndexedColumn(int table)
{
    return table == PartList                       ? QStringLiteral("Part_nBr")
           : table == AssyList || table == RescList ? QStringLiteral("Assy")
                                                    : QString();
}

namespace {

void createIndex(const QString& table, const QString& column)
{
    // On a server only the tables' owner may index them, and the server
    // refuses a desk that is not ("must be owner of table") even when the
    // index is there: the owner's init and copy make them, a desk asks first.
    if (DatabaseOnServer()) {
        bool wanted = false;
        g_indexProbe = &wanted;
        exec(SqlFormat("select 1 from pg_tables t where t.schemaname = current_schema() and t.tablename = lower('%s') "
                       "and pg_has_role(t.tableowner, 'USAGE') and not exists (select 1 from pg_indexes where "
                       "schemaname = current_schema() and indexname = lower('%s'))",
                       {table, table + QLatin1Char('_') + column}),
             [](void*, int, char**, char**) {
                 *g_indexProbe = true;
                 return 0;
             },
             false);
        g_indexProbe = nullptr;
        if (!wanted)
            return;
    }
    exec(QStringLiteral("create index if not exists ") + table + QLatin1Char('_') + column + QStringLiteral(" on ")
             + table + QLatin1Char('(') + column + QLatin1Char(')'),
         nullptr, false);
}

// A file written before an index existed gets it when it is first opened:
// a reader of one assembly's bill must not pay for the whole table because
// its table was never selected in the grid. Where the table or column is
// missing, or the file cannot be written, nothing changes and nothing is said.
void createMissingIndexes()
{
    const int result = g_lastResult;
    const QString error = g_lastError;
    struct Wanted
    {
        QString table;
        QString column;
        QString index;
    };
    std::vector<Wanted> wanted;
    QStringList names;
    for (const int table : {PartList, AssyList, RescList}) {
        const QString name = App().tables[table].name.isEmpty() ? TableSqlName(table) : App().tables[table].name;
        const QString column = IndexedColumn(table);
        const QString index = name + QLatin1Char('_') + column;
        wanted.push_back({name, column, DatabaseOnServer() ? index.toLower() : index});
        names << QLatin1Char('\'') + wanted.back().index + QLatin1Char('\'');
    }
    // One look for all of them: on a server each statement is a round trip.
    const QString present =
        (DatabaseOnServer() ? QStringLiteral("select indexname from pg_indexes where schemaname = current_schema() "
                                             "and indexname in (")
                            : QStringLiteral("select name from sqlite_master where type = 'index' and name in ("))
        + names.join(QLatin1Char(',')) + QLatin1Char(')');
    QStringList found;
    g_indexNames = &found;
    exec(present, [](void*, int columns, char** values, char**) {
        if (columns > 0 && values[0])
            *g_indexNames << QString::fromUtf8(values[0]);
        return 0;
    }, false);
    g_indexNames = nullptr;
    if (g_lastResult == 0)
        for (const Wanted& w : wanted)
            if (!found.contains(w.index) && (!DatabaseOnServer() || TableExists(w.table) > 0))
                createIndex(w.table, w.column);
    g_lastResult = result;
    g_lastError = error;
}

} // namespace

bool OpenDatabase()
{
    if (g_txDepth > 0 && g_engine && g_engine->isOpen())
        return true;
    DatabaseEngine& engine = DatabaseOnServer() ? ServerEngine() : SqliteEngine();
    if (g_engine && g_engine != &engine) {
        forgetInsertStatements();
        g_engine->close();
    }
    g_engine = &engine;
    if (engine.serves(g_databasePath)) {
        g_lastResult = 0;
        return true;
    }
    // The connection is kept for the next statement: opening the file (or
    // reaching the server) and reading the schema anew for every statement
    // cost more than the work, and SQLite checkpoints its write-ahead log
    // each time the last connection closes.
    forgetInsertStatements();
    const bool existed = DatabaseOnServer() || QFile::exists(g_databasePath);
    QString error;
    if (!engine.open(g_databasePath, &error)) {
        g_lastResult = 1;
        g_lastError = error;
        g_openError = error;
        return false;
    }
    g_openError.clear();
    // Another program writing the same data makes a statement wait this
    // long for the lock before it gives up with "database is busy".
    execUtf8(engine.busyTimeoutStatement(g_busyTimeout), nullptr, false);
    if (existed)
        createMissingIndexes();
    g_lastResult = 0;
    return true;
}

void CloseDatabase()
{
    // Ends a use of the connection; OpenDatabase keeps it for the next one as
    // long as it serves the same file or server.
}

void ReleaseDatabase()
{
    if (g_txDepth > 0 || !g_engine)
        return;
    forgetInsertStatements();
    g_engine->close();
}

int BusyTimeout()
{
    return g_busyTimeout;
}

void SetBusyTimeout(int milliseconds)
{
    g_busyTimeout = std::max(0, milliseconds);
    if (g_engine && g_engine->isOpen() && g_txDepth == 0)
        execUtf8(g_engine->busyTimeoutStatement(g_busyTimeout), nullptr, false);
}

bool IsNetworkFileSystem(long type)
{
    switch (static_cast<unsigned long>(type) & 0xFFFFFFFFul) {
    case 0x6969ul:     // NFS
    case 0x517Bul:     // SMB
    case 0xFF534D42ul: // CIFS
    case 0xFE534D42ul: // SMB2
    case 0x564Cul:     // NCP
    case 0x73757245ul: // Coda
    case 0x5346414Ful: // AFS
    case 0x01021997ul: // 9P
    case 0x00C36400ul: // Ceph
    case 0x65735546ul: // FUSE: sshfs and friends are the usual ones
        return true;
    default:
        return false;
    }
}

bool SetJournalForFolder(const QString& dataFolder)
{
    if (IsServerAddress(dataFolder))
        return true; // the server keeps its own log
    // The write-ahead log lets readers go on while another program writes,
    // but it needs memory shared between the programs, which a network
    // file system cannot give: there the classic rollback journal stays.
    struct statfs info;
    const bool network = ::statfs(QFile::encodeName(dataFolder).constData(), &info) == 0
                         && IsNetworkFileSystem(static_cast<long>(info.f_type));
    const QString wanted = network ? QStringLiteral("delete") : QStringLiteral("wal");
    const QString mode = QueryText(QStringLiteral("PRAGMA journal_mode = ") + wanted, false);
    if (LastResultCode() != 0)
        return false;
    return mode.compare(wanted, Qt::CaseInsensitive) == 0 || network;
}

bool SelectTable(const QString& dataFolder, int table)
{
    g_databasePath = IsServerAddress(dataFolder) ? dataFolder : dataFolder + QStringLiteral("/kolt.db");
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
    bool created = false;
    bool present = true; // whether an index may be asked for
    // A server location whose shop was refused (none there, not this
    // login's) gets no table: only init makes a shop there.
    if (DatabaseOnServer() && !ServerShopOpened(g_databasePath))
        return false;
    if (DatabaseOnServer()) {
        // On the server a failed statement spoils the transaction around
        // it, so neither "create table" nor "create index" may fail.
        const int exists = TableExists(definition.name);
        if (exists == 0)
            created = exec(CreateTableStatement(definition), nullptr, false) == 0;
        else if (exists > 0) {
            g_lastResult = 1;
            g_lastError = QStringLiteral("table %1 already exists").arg(definition.name);
        }
        present = created || exists > 0;
    } else {
        created = exec(CreateTableStatement(definition), nullptr, false) == 0;
    }
    // Parts are looked up by number one at a time (netting, receiving, the
    // roll-up, the error check of a bill), and one assembly's bill and
    // routing are read level by level by assembly: without an index each
    // look-up reads the whole table. Files of older versions get theirs here
    // too. Imported lines all carry the one new assembly's name, so they
    // extend the assembly index at a single place and keep the import cheap.
    const QString indexed = IndexedColumn(table);
    if (present && !indexed.isEmpty() && FieldIndex(definition, indexed) >= 0) {
        const int result = g_lastResult;
        const QString error = g_lastError;
        createIndex(definition.name, indexed);
        g_lastResult = result; // the table's own outcome is what callers ask for
        g_lastError = error;
    }
    return created;
}

QString TableCountStatement(const QString& table, bool server)
{
    return server ? SqlFormat("select count(*) from information_schema.tables where "
                              "table_schema = current_schema() and table_name = lower('%s')",
                              {table})
                  : SqlFormat("select count(*) from sqlite_master where type = 'table' and "
                              "lower(name) = lower('%s')",
                              {table});
}

int TableExists(const QString& table)
{
    const QString count = QueryText(TableCountStatement(table, DatabaseOnServer()), false);
    if (g_lastResult != 0)
        return -1;
    return TextToInt(count) > 0 ? 1 : 0;
}

QStringList TableColumns(const QString& table)
{
    QueryResult info;
    headingsCaptured = 0;
    QStringList names;
    if (DatabaseOnServer()) {
        RunQuery(info, SqlFormat("select column_name from information_schema.columns where table_schema = "
                                 "current_schema() and table_name = lower('%s') order by ordinal_position",
                                 {table}));
        // The server keeps the names folded to lower case: as the definitions
        // spell them they match the headings.
        QHash<QString, QString> spelled;
        for (const TableDefinition& definition : App().tables)
            for (int f = 0; f < definition.fieldCount; ++f) {
                const QString name = ToColumnName(definition.headings[f]);
                spelled.insert(name.toLower(), name);
            }
        for (int r = 0; r < info.rowCount; ++r)
            names << spelled.value(info.cell(r, 0), info.cell(r, 0));
        return names;
    }
    const QString quoted = QLatin1Char('"') + QString(table).replace(QLatin1Char('"'), QLatin1String("\"\""))
                           + QLatin1Char('"');
    RunQuery(info, QStringLiteral("PRAGMA table_info(") + quoted + QLatin1Char(')'));
    const int name = FindColumn(info, QStringLiteral("name"));
    for (int r = 0; name >= 0 && r < info.rowCount; ++r)
        names << info.cell(r, name);
    return names;
}

QString SameTextIgnoringCase(const QString& column, const QString& value)
{
    // SQLite's NOCASE folds the ASCII letters; lower() does the same and more.
    return DatabaseOnServer() ? SqlFormat("lower(%s) = lower('%s')", {column, value})
                              : SqlFormat("%s = '%s' collate nocase", {column, value});
}

QString SqlQuotedList(const QStringList& values)
{
    if (values.isEmpty())
        return QStringLiteral("NULL");
    QString list;
    for (const QString& value : values) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QLatin1Char('\'') + SqlEscape(value) + QLatin1Char('\'');
    }
    return list;
}

long long LastChangedRows()
{
    return g_engine && g_engine->isOpen() ? g_engine->changedRows() : 0;
}

QString SqlValue(const QString& text, const QString& definitionType)
{
    // The server keeps numbers in number columns: an emptied cell is no
    // number at all. Anything else goes as typed, and a text that is no
    // number is refused by the server with its own reason.
    if (DatabaseOnServer() && definitionType.trimmed().compare(QLatin1String("text"), Qt::CaseInsensitive) != 0
        && text.trimmed().isEmpty())
        return QStringLiteral("NULL");
    return QLatin1Char('\'') + SqlEscape(text) + QLatin1Char('\'');
}

QString IdColumnDefinition()
{
    return IdColumnDefinition(DatabaseOnServer());
}

QString IdColumnDefinition(bool server)
{
    // SQLite numbers a row through its "integer primary key"; the server
    // needs to be told to.
    return server ? QStringLiteral("id bigint generated by default as identity primary key")
                              : QStringLiteral("id integer primary key");
}

QString ColumnType(const QString& definitionType)
{
    return ColumnType(definitionType, DatabaseOnServer());
}

QString ColumnType(const QString& definitionType, bool server)
{
    if (!server)
        return definitionType;
    const QString type = definitionType.trimmed().toLower();
    // Text is compared byte for byte as SQLite does, whatever the server's
    // language; a number typed into a text column stays the text typed.
    if (type == QLatin1String("integer"))
        return QStringLiteral("bigint");
    if (type == QLatin1String("real"))
        return QStringLiteral("double precision");
    return QStringLiteral("text collate ucs_basic");
}

int CurrentTable()
{
    return g_currentTable;
}

QString DatabasePath()
{
    return g_databasePath;
}

// Reads the rows a statement run by `run` delivers into result, text or
// bound alike.
template <typename Run>
int readRows(QueryResult& result, Run run)
{
    g_target = &result;
    g_rowCounter = 0;
    g_tooManyColumns = false;
    if (OpenDatabase()) {
        run();
        // The recent values hold references to the cells' texts; let go.
        g_recent.clear();
        // Inside a scope that could not begin, the scope's owner reports.
        if (g_lastResult != 0 && !g_tooManyColumns && !g_txRefused)
            ShowMessage(g_lastError, QStringLiteral("Database Status"));
        CloseDatabase();
    }
    result.rowCount = g_rowCounter;
    g_target = nullptr;
    return g_rowCounter;
}

int RunQuery(QueryResult& result, const QString& sql)
{
    return readRows(result, [&] { exec(sql + QLatin1Char(';'), rowHandler, true); });
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

int RunQueryBound(QueryResult& result, const QString& sql, const SqlArgs& args)
{
    return readRows(result, [&] {
        execBound(sql, args, [](void*, int columns, char** values, char** names, const char*) {
            return rowHandler(nullptr, columns, values, names);
        });
    });
}

QueryResult QueryBound(const QString& sql, const SqlArgs& args)
{
    QueryResult result;
    headingsCaptured = 0;
    RunQueryBound(result, sql, args);
    return result;
}

QString QueryTextBound(const QString& sql, const SqlArgs& args, bool separated)
{
    g_separated = separated;
    g_accumulator.clear();
    QString result;
    OpenDatabase();
    if (execBound(sql, args, [](void*, int columns, char** values, char** names, const char*) {
            return textHandler(nullptr, columns, values, names);
        }) == 0)
        result = g_accumulator;
    CloseDatabase();
    g_accumulator.clear();
    return result;
}

bool ExecuteBound(const QString& sql, const SqlArgs& args)
{
    OpenDatabase();
    execBound(sql, args, nullptr);
    CloseDatabase();
    return g_lastResult == 0;
}

TypedRows SelectRows(const QString& sql, const SqlArgs& args)
{
    struct Read
    {
        int rows = 0;
        int columns = 0;
        std::vector<QString> texts;
        std::vector<char> kinds;
    } read;
    OpenDatabase();
    const int result = execBound(sql, args, [](void* context, int columns, char** values, char**, const char* kinds) {
        Read& into = *static_cast<Read*>(context);
        if (into.rows == 0)
            into.columns = columns;
        for (int c = 0; c < into.columns; ++c) {
            const bool present = c < columns;
            into.texts.push_back(present ? decodeText(values[c]) : QString());
            into.kinds.push_back(present ? kinds[c] : 'n');
        }
        ++into.rows;
        return 0;
    }, &read);
    TypedRows rows;
    rows.m_ok = result == 0;
    rows.m_rows = read.rows;
    rows.m_columns = read.columns;
    rows.m_texts = std::move(read.texts);
    rows.m_kinds = std::move(read.kinds);
    if (!rows.m_ok && !g_txRefused)
        ShowMessage(g_lastError, QStringLiteral("Database Status"));
    CloseDatabase();
    return rows;
}

int MaxBoundValues()
{
    if (OpenDatabase() && g_engine)
        return std::max(999, g_engine->maxBoundValues());
    return 999;
}

namespace {

// Appends text as UTF-8, with each single quote doubled when asked; most
// values are ASCII and are copied as they are. A NUL character is left out:
// the library reads a statement only up to its first NUL.
void appendUtf8(std::string& out, const QString& text, bool doubleQuotes)
{
    const qsizetype n = text.size();
    const QChar* chars = text.constData();
    const size_t begin = out.size();
    bool nul = false;
    for (qsizetype i = 0; i < n; ++i)
        if (chars[i].unicode() >= 0x80) {
            const QByteArray utf8 =
                (doubleQuotes && text.contains(QLatin1Char('\'')) ? SqlEscape(text) : text).toUtf8();
            out.append(utf8.constData(), static_cast<size_t>(utf8.size()));
            nul = utf8.contains('\0');
            if (nul)
                out.erase(std::remove(out.begin() + static_cast<std::ptrdiff_t>(begin), out.end(), '\0'), out.end());
            return;
        }
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(n));
    for (qsizetype i = 0; i < n; ++i) {
        const char c = static_cast<char>(chars[i].unicode());
        if (doubleQuotes && c == '\'') {
            out.insert(at, 1, c); // rare: the text grows by one
            ++at;
        }
        nul = nul || c == '\0';
        out[at++] = c;
    }
    if (nul)
        out.erase(std::remove(out.begin() + static_cast<std::ptrdiff_t>(begin), out.end(), '\0'), out.end());
}

// True for a plain run of decimal digits, which reads as a number as it is.
bool isDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

bool isZeros(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() != '0')
            return false;
    return true;
}

// A number field's value as the statement gets it: "0" for nothing, a run of
// digits as it is, anything else read leniently and written out anew. The
// value goes into the statement unquoted, so the typed text itself never
// does: a number followed by a non-breaking space or a control character
// would break the statement and with it the whole work.
const QString& numberValue(const QString& value, QString& scratch)
{
    static const QString zero = QStringLiteral("0");
    if (isDigits(value))
        return isZeros(value) ? zero : value;
    if (value.isEmpty())
        return zero;
    bool numeric = false;
    double number = QStringView(value).trimmed().toDouble(&numeric);
    if (!numeric || !std::isfinite(number))
        number = TextToDouble(value);
    if (number == 0.0 || !std::isfinite(number))
        return zero;
    scratch = QString::number(number, 'g', 17);
    return scratch;
}

// What InsertRow needs of a table definition, worked out once instead of per
// row: the statement's start with its column list, and per field whether the
// value is a number, a quoted text or neither, and whether it is upper-cased.
// The definition's texts are kept alongside; they share the definition's
// storage, so a changed or reloaded definition is seen by comparing pointers.
struct InsertShape
{
    enum Kind : char { Verbatim, Number, Text };

    int fieldCount = -1;
    QString name;
    std::array<QString, kMaxColumns> headings;
    std::array<QString, kMaxColumns> types;
    QByteArray head;   // "insert into <name>( <columns>)"
    QByteArray prefix; // head + " values ( "
    std::array<Kind, kMaxColumns> kinds{};
    std::array<bool, kMaxColumns> upper{};

    static bool same(const QString& a, const QString& b)
    {
        return a.constData() == b.constData() && a.size() == b.size();
    }

    bool matches(const TableDefinition& definition) const
    {
        if (definition.fieldCount != fieldCount || !same(definition.name, name))
            return false;
        for (int i = 0; i < fieldCount; ++i)
            if (!same(definition.headings[i], headings[i]) || !same(definition.types[i], types[i]))
                return false;
        return true;
    }

    void build(const TableDefinition& definition, int table)
    {
        fieldCount = std::clamp(definition.fieldCount, 0, kMaxColumns);
        name = definition.name;
        const QString key = TableKey(table);
        QString columns = QStringLiteral("insert into ") + name + QStringLiteral("( ");
        for (int i = 0; i < fieldCount; ++i) {
            headings[i] = definition.headings[i];
            types[i] = definition.types[i];
            const QString type = types[i].toLower();
            kinds[i] = type == QLatin1String("text")                                         ? Text
                       : type == QLatin1String("integer") || type == QLatin1String("real") ? Number
                                                                                             : Verbatim;
            upper[i] = IsUpperCaseColumn(key, headings[i]);
            if (i)
                columns += QLatin1Char(',');
            columns += ToColumnName(headings[i]);
        }
        columns += QLatin1Char(')');
        head = columns.toUtf8();
        prefix = head + " values ( ";
    }
};

std::array<InsertShape, kTableCount> g_insertShapes;
std::string g_insertStatement;
std::string g_insertValues;
std::vector<size_t> g_insertStarts;

const InsertShape& insertShape(int table)
{
    const TableDefinition& definition = App().tables[table];
    InsertShape& shape = g_insertShapes[static_cast<size_t>(table)];
    if (!shape.matches(definition))
        shape.build(definition, table);
    return shape;
}

} // namespace

namespace {

// The value of field i of a record as InsertRow stores it: numbers as
// numberValue gives them, upper-cased fields upper-cased.
const QString& fieldValue(const InsertShape& shape, int i, const QStringList& values, QString& scratch)
{
    static const QString none;
    const QString& value = i < values.size() ? values[i] : none;
    if (shape.kinds[i] == InsertShape::Number)
        return numberValue(value, scratch);
    if (shape.upper[i]) {
        for (const QChar c : value)
            if (c.unicode() >= u'a' && c.unicode() <= u'z') {
                scratch = UpperCaseAscii(value);
                return scratch;
            }
    }
    return value;
}

// The values of one record, from "( " on, without the closing ")".
void appendValues(std::string& statement, const InsertShape& shape, const QStringList& values,
                  std::vector<size_t>* starts = nullptr)
{
    QString scratch;
    for (int i = 0; i < shape.fieldCount; ++i) {
        if (i)
            statement += ',';
        if (starts)
            starts->push_back(statement.size());
        const QString& value = fieldValue(shape, i, values, scratch);
        if (shape.kinds[i] == InsertShape::Text) {
            statement += '\'';
            appendUtf8(statement, value, true);
            statement += '\'';
        } else {
            appendUtf8(statement, value, false);
        }
    }
}

// Runs an insert. Inside a transaction on the server it runs under a
// savepoint: a refused insert spoils the work as it does on SQLite, but the
// transaction goes on, so the caller can still find out which rows were
// refused (the import tries them one by one).
void execInsert(const std::string& statement)
{
    const QByteArray text = QByteArray::fromRawData(statement.data(), static_cast<qsizetype>(statement.size()));
    if (g_txDepth == 0 || !g_engine || !g_engine->failedTransactionRefusesStatements() || g_txAborted) {
        execUtf8(text, nullptr, true);
        return;
    }
    if (execUtf8("SAVEPOINT kolt_insert; " + text + "; RELEASE SAVEPOINT kolt_insert", nullptr, true) == 0)
        return;
    const int result = g_lastResult;
    const QString error = g_lastError;
    if (execUtf8("ROLLBACK TO SAVEPOINT kolt_insert; RELEASE SAVEPOINT kolt_insert", nullptr, false) == 0)
        g_txAborted = false;
    g_lastResult = result;
    g_lastError = error;
}

// Prepared insert statements, one per table, kept with the connection: the
// values are bound to them, so the library parses the statement once
// instead of every value of every record. Only for tables whose fields are
// all texts and numbers, and not while statements are watched (the watcher
// is given statement texts).

// Records one step of the larger statement stores: a step costs the library
// a cursor on the table and its index, opened and closed, whatever it stores.
constexpr int kRecordsPerStep = 16;
// Parameters older libraries allow in one statement.
constexpr int kMaxParameters = 999;

// The prepared statements of a table, made anew when its definition changed.
PreparedInsert* preparedInsert(int table, const InsertShape& shape)
{
    PreparedInsert& prepared = g_preparedInserts[static_cast<size_t>(table)];
    const bool current = prepared.generation == g_engine->generation();
    if (prepared.statements[0].handle && current && prepared.shape == static_cast<const void*>(&shape)
        && prepared.fieldCount == shape.fieldCount && prepared.head == shape.head)
        return &prepared;
    // Handles of an earlier connection were finalized when it closed.
    for (PreparedInsert::Statement& statement : prepared.statements)
        if (statement.handle && current)
            g_engine->finalize(statement.handle);
    prepared = PreparedInsert();
    const int many = std::min(kRecordsPerStep, kMaxParameters / std::max(shape.fieldCount, 1));
    for (int which = 0; which < 2; ++which) {
        const int records = which == 0 ? 1 : many;
        if (records < 2 && which == 1)
            break;
        std::string sql(shape.head.constData(), static_cast<size_t>(shape.head.size()));
        sql += " values ";
        for (int r = 0; r < records; ++r) {
            sql += r ? ",(" : "(";
            for (int i = 0; i < shape.fieldCount; ++i)
                sql += i ? ",?" : "?";
            sql += ')';
        }
        QString error;
        void* handle = g_engine->prepare(QByteArray::fromStdString(sql), &error);
        if (!handle) {
            if (which == 0)
                return nullptr;
            break;
        }
        PreparedInsert::Statement& statement = prepared.statements[static_cast<size_t>(which)];
        statement.handle = handle;
        statement.records = records;
        statement.values.resize(static_cast<size_t>(records * shape.fieldCount));
        statement.sources.resize(static_cast<size_t>(records * shape.fieldCount));
        statement.bound.assign(static_cast<size_t>(records * shape.fieldCount), false);
    }
    prepared.shape = &shape;
    prepared.fieldCount = shape.fieldCount;
    prepared.head = shape.head;
    prepared.generation = g_engine->generation();
    return &prepared;
}

bool canBind(const InsertShape& shape)
{
    if (!g_engine || !g_engine->isOpen() || !g_engine->prepares() || g_observer)
        return false;
    for (int i = 0; i < shape.fieldCount; ++i)
        if (shape.kinds[i] == InsertShape::Verbatim)
            return false;
    return true;
}

// Binds a record to the parameters of one record of a statement. A binding
// lasts until the value is bound anew: a field that holds the same as the
// record bound there before (most fields of most records: empty, the user,
// the time stamp) keeps its binding, and the text it points to.
int bindRecord(PreparedInsert::Statement& statement, int slot, const InsertShape& shape, const QStringList& row,
               std::string& value, QString& scratch)
{
    for (int i = 0; i < shape.fieldCount; ++i) {
        const size_t at = static_cast<size_t>(slot * shape.fieldCount + i);
        const QString& source = fieldValue(shape, i, row, scratch);
        QString& keptSource = statement.sources[at];
        // Mostly the very same text (shared, or empty): no need to compare.
        if (statement.bound[at] && source.size() == keptSource.size()
            && (source.constData() == keptSource.constData() || source == keptSource))
            continue;
        keptSource = source;
        value.clear();
        appendUtf8(value, source, false);
        std::string& kept = statement.values[at];
        kept.swap(value);
        statement.bound[at] = true;
        // The text stays where it is until it is bound anew.
        const int result =
            g_engine->bindText(statement.handle, static_cast<int>(at) + 1, kept.data(), static_cast<int>(kept.size()));
        if (result != 0)
            return result;
    }
    return 0;
}

// Stores the records through the prepared statements; several of them under
// a savepoint, so that they are stored all or none, as one statement would.
// False when no statement could be prepared: the caller writes the text.
bool insertBound(const std::vector<QStringList>& rows, int table, const InsertShape& shape)
{
    PreparedInsert* prepared = preparedInsert(table, shape);
    if (!prepared)
        return false;
    if (!statementAllowed(true))
        return true;
    const bool several = rows.size() > 1;
    if (several && exec(QStringLiteral("SAVEPOINT kolt_insert"), nullptr, false) != 0) {
        // The library's reason stands; the work it belonged to is spoiled.
        if (g_txDepth > 0)
            markTransactionFailed();
        return true;
    }
    std::string value;
    QString scratch;
    int result = 0;
    QString error;
    size_t next = 0;
    while (next < rows.size() && result == 0) {
        PreparedInsert::Statement& many = prepared->statements[1];
        PreparedInsert::Statement& statement =
            many.handle && rows.size() - next >= static_cast<size_t>(many.records) ? many : prepared->statements[0];
        for (int slot = 0; slot < statement.records && result == 0; ++slot)
            result = bindRecord(statement, slot, shape, rows[next + static_cast<size_t>(slot)], value, scratch);
        if (result == 0)
            result = g_engine->step(statement.handle, &error);
        g_engine->reset(statement.handle);
        next += static_cast<size_t>(statement.records);
    }
    // The values came from the caller and may not outlive the call; the
    // next call binds every field anew.
    for (PreparedInsert::Statement& statement : prepared->statements) {
        std::fill(statement.sources.begin(), statement.sources.end(), QString());
        std::fill(statement.bound.begin(), statement.bound.end(), false);
    }
    if (several) {
        if (result != 0)
            exec(QStringLiteral("ROLLBACK TO kolt_insert"), nullptr, false);
        exec(QStringLiteral("RELEASE kolt_insert"), nullptr, false);
    }
    if (result != 0)
        recordFailure(result, error, true);
    else
        g_lastResult = 0;
    return true;
}


} // namespace

void InsertRow(const QStringList& values, int table)
{
    InsertRows({values}, table);
}

void InsertRows(const std::vector<QStringList>& rows, int table)
{
    if (table < 0 || table >= kTableCount || rows.empty())
        return;
    const InsertShape& shape = insertShape(table);
    if (canBind(shape) && insertBound(rows, table, shape))
        return;
    std::string& statement = g_insertStatement;
    if (rows.size() == 1) {
        statement.assign(shape.prefix.constData(), static_cast<size_t>(shape.prefix.size()));
        appendValues(statement, shape, rows.front());
        statement += ')';
        execInsert(statement);
        return;
    }

    // Each record's values as InsertRow writes them, with where each begins.
    const size_t fields = static_cast<size_t>(shape.fieldCount);
    std::string& values = g_insertValues;
    values.clear();
    std::vector<size_t>& starts = g_insertStarts;
    starts.clear();
    starts.reserve(rows.size() * (fields + 1));
    for (const QStringList& row : rows) {
        appendValues(values, shape, row, &starts);
        values += ',';
        starts.push_back(values.size()); // as if a next record began here
    }
    const auto slice = [&](size_t row, size_t field) {
        const size_t at = row * (fields + 1) + field;
        return std::string_view(values).substr(starts[at], starts[at + 1] - 1 - starts[at]);
    };

    // A value that is the same in every record (an empty field, the
    // currency, the stamp) is written once, in the select list, instead of
    // once per record: the library parses and codes each value it is given,
    // and most fields of an imported record are the same in all of them.
    // Values of other types are written as they are, per record.
    std::vector<bool> constant(fields, false);
    size_t constants = 0;
    for (size_t f = 0; f < fields; ++f) {
        if (shape.kinds[f] == InsertShape::Verbatim)
            continue;
        bool same = true;
        for (size_t r = 1; r < rows.size() && same; ++r)
            same = slice(r, f) == slice(0, f);
        constant[f] = same;
        constants += same ? 1 : 0;
    }

    if (constants == 0 || constants == fields) {
        statement.assign(shape.prefix.constData(), static_cast<size_t>(shape.prefix.size()));
        for (size_t r = 0; r < rows.size(); ++r) {
            if (r)
                statement += "),( ";
            appendValues(statement, shape, rows[r]);
        }
        statement += ')';
    } else {
        statement.assign(shape.head.constData(), static_cast<size_t>(shape.head.size()));
        statement += " select ";
        int column = 0;
        for (size_t f = 0; f < fields; ++f) {
            if (f)
                statement += ',';
            if (constant[f])
                statement += slice(0, f);
            else
                statement += "column" + std::to_string(++column);
        }
        statement += " from (values ( ";
        for (size_t r = 0; r < rows.size(); ++r) {
            if (r)
                statement += "),( ";
            bool first = true;
            for (size_t f = 0; f < fields; ++f) {
                if (constant[f])
                    continue;
                if (!first)
                    statement += ',';
                first = false;
                statement += slice(r, f);
            }
        }
        statement += ")) as v";
    }
    execInsert(statement);
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

bool InTransaction()
{
    return g_txDepth > 0;
}

Transaction::Transaction()
{
    if (g_txDepth > 0) {
        ++g_txDepth;
        m_active = true;
        return;
    }
    const bool opened = OpenDatabase();
    ++g_txDepth;
    g_txFailed = false;
    g_txAborted = false;
    g_txFailedResult = 0;
    g_txFailedError.clear();
    g_commitUnknown = false;
    m_outermost = true;
    m_active = true;
    // The write lock is taken at once (BEGIN IMMEDIATE on the file, the
    // database's advisory lock on the server): work that reads a number or a
    // stock figure and writes it back cannot interleave with another
    // program doing the same, and the wait for the lock happens here, under
    // the busy timeout, instead of failing half-way at the first write.
    if (!opened) {
        g_lastResult = g_lastResult ? g_lastResult : 1;
        if (g_lastError.isEmpty())
            g_lastError = QStringLiteral("The database could not be opened: ") + g_databasePath;
    } else if (execUtf8(g_engine->beginStatement(), nullptr, false) == 0) {
        m_begun = true;
        return;
    } else if (g_engine->failedTransactionRefusesStatements()) {
        // The server began and then failed to take the lock: end it.
        const int result = g_lastResult;
        const QString error = g_lastError;
        execUtf8(QByteArrayLiteral("ROLLBACK"), nullptr, false);
        g_lastResult = result;
        g_lastError = error;
    }
    // Without the transaction no statement of the scope may run on its own:
    // each would be written by itself and the work could end half done.
    g_txFailed = true;
    g_txRefused = true;
    g_refusedResult = g_lastResult;
    g_refusedError = g_lastError;
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
    if (m_begun)
        exec(QStringLiteral("ROLLBACK"), nullptr, false);
    g_txRefused = false;
    --g_txDepth;
}

bool Transaction::active() const
{
    return m_active && !g_txRefused;
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
    if (!m_begun) {
        g_txRefused = false;
        --g_txDepth;
        g_lastResult = g_refusedResult;
        g_lastError = g_refusedError;
        return false;
    }
    bool committed = false;
    if (!g_txFailed) {
        committed = exec(QStringLiteral("COMMIT"), nullptr, false) == 0;
        if (g_lastResult == kEngineCommitUnknown) {
            g_commitUnknown = true;
            g_anyCommitUnknown = true;
        }
    } else if (g_txFailedResult != 0) {
        // The statement that spoiled the work is what the caller reports,
        // not whatever a statement before the scope once said.
        g_lastResult = g_txFailedResult;
        g_lastError = g_txFailedError;
    }
    if (!committed) {
        // The failure is what the caller reports, not the rollback's outcome.
        const int result = g_lastResult;
        const QString error = g_lastError;
        exec(QStringLiteral("ROLLBACK"), nullptr, false);
        g_lastResult = result;
        g_lastError = error;
    }
    --g_txDepth;
    return committed;
}

void FailTransaction(const QString& reason)
{
    g_lastResult = kEngineError;
    g_lastError = reason;
    if (g_txDepth > 0)
        markTransactionFailed();
}

bool LastCommitOutcomeUnknown()
{
    return g_commitUnknown;
}

bool AnyCommitOutcomeUnknown()
{
    return g_anyCommitUnknown;
}

QString WriteRefusedText(const QString& error)
{
    if (g_commitUnknown)
        return error;
    return TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
           + error;
}

void InjectStatementFailure(int afterStatements)
{
    g_injectAfter = afterStatements;
}

void ObserveStatements(StatementObserver observer)
{
    g_observer = observer;
}

int FindColumn(const QueryResult& result, const QString& text)
{
    for (int c = 0; c < result.columnCount && c < kMaxColumns; ++c)
        if (result.headings[c].contains(text, Qt::CaseInsensitive))
            return c;
    return -1;
}

QString CreateTableStatement(const TableDefinition& definition)
{
    return CreateTableStatement(definition, DatabaseOnServer());
}

QString CreateTableStatement(const TableDefinition& definition, bool server)
{
    QString sql = QStringLiteral("create table ") + definition.name + QStringLiteral("( ")
                  + IdColumnDefinition(server) + QLatin1Char(',');
    for (int i = 0; i < definition.fieldCount; ++i) {
        if (i)
            sql += QLatin1Char(',');
        sql += ToColumnName(definition.headings[i]) + QLatin1Char(' ') + ColumnType(definition.types[i], server);
    }
    sql += QLatin1Char(')');
    return sql;
}

bool DatabaseReadOnly()
{
    if (g_databasePath.isEmpty() || !OpenDatabase())
        return false;
    return g_engine && g_engine->isOpen() && g_engine->readOnly();
}

void SetReadOnlyOpen(bool readOnly)
{
    RequestReadOnlyFolders(readOnly);
    ReleaseDatabase();
}

void SelectDataLocation(const QString& dataFolder)
{
    g_databasePath = IsServerAddress(dataFolder) ? dataFolder : dataFolder + QStringLiteral("/kolt.db");
}
