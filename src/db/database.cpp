// The connection's place and the tables in it: which file or server it
// serves, opening and releasing it, the tables made from the definitions
// and their indexes, and the few words in which SQLite and the server differ.
#include "db/database.h"
#include "db/connectionstate.h"

#include "core/appstate.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/location.h"
#include "db/serveraccess.h"

#include <sys/statfs.h>

#include <QFile>
#include <QHash>

#include <algorithm>

using namespace dbcore;

namespace {

bool g_libraryLoaded = false;
bool* g_indexProbe = nullptr; // set while createIndex asks whether it may make an index
QStringList* g_indexNames = nullptr; // set while createMissingIndexes reads the indexes there are

} // namespace

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
    return IsServerAddress(Current().databasePath);
}

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
    ConnectionState& db = Current();
    const int result = db.lastResult;
    const QString error = db.lastError;
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
    if (db.lastResult == 0)
        for (const Wanted& w : wanted)
            if (!found.contains(w.index) && (!DatabaseOnServer() || TableExists(w.table) > 0))
                createIndex(w.table, w.column);
    db.lastResult = result;
    db.lastError = error;
}

} // namespace

bool OpenDatabase()
{
    ConnectionState& db = Current();
    if (db.txDepth > 0 && db.engine && db.engine->isOpen())
        return true;
    DatabaseEngine& engine = DatabaseOnServer() ? db.serverEngine() : db.sqliteEngine();
    if (db.engine && db.engine != &engine) {
        forgetInsertStatements();
        db.engine->close();
    }
    db.engine = &engine;
    if (engine.serves(db.databasePath)) {
        db.lastResult = 0;
        return true;
    }
    // The connection is kept for the next statement: opening the file (or
    // reaching the server) and reading the schema anew for every statement
    // cost more than the work, and SQLite checkpoints its write-ahead log
    // each time the last connection closes.
    forgetInsertStatements();
    const bool existed = DatabaseOnServer() || QFile::exists(db.databasePath);
    QString error;
    if (!engine.open(db.databasePath, &error)) {
        db.lastResult = 1;
        db.lastError = error;
        db.openError = error;
        return false;
    }
    db.openError.clear();
    // Another program writing the same data makes a statement wait this
    // long for the lock before it gives up with "database is busy".
    execUtf8(engine.busyTimeoutStatement(db.busyTimeout), nullptr, false);
    if (existed)
        createMissingIndexes();
    db.lastResult = 0;
    return true;
}

void CloseDatabase()
{
    // Ends a use of the connection; OpenDatabase keeps it for the next one as
    // long as it serves the same file or server.
}

void ReleaseDatabase()
{
    ConnectionState& db = Current();
    if (db.txDepth > 0 || !db.engine)
        return;
    forgetInsertStatements();
    db.engine->close();
}

int BusyTimeout()
{
    return Current().busyTimeout;
}

void SetBusyTimeout(int milliseconds)
{
    ConnectionState& db = Current();
    db.busyTimeout = std::max(0, milliseconds);
    if (db.engine && db.engine->isOpen() && db.txDepth == 0)
        execUtf8(db.engine->busyTimeoutStatement(db.busyTimeout), nullptr, false);
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
    ConnectionState& db = Current();
    db.databasePath = IsServerAddress(dataFolder) ? dataFolder : dataFolder + QStringLiteral("/kolt.db");
    if (table == db.currentTable)
        return false;
    db.currentTable = table;
    OpenDatabase();
    CreateTable(table);
    CloseDatabase();
    headingsCaptured = 0;
    return true;
}

bool CreateTable(int table)
{
    ConnectionState& db = Current();
    if (table < 0 || table >= kTableCount)
        return false;
    TableDefinition& definition = App().tables[table];
    if (definition.name.isEmpty())
        definition.name = TableSqlName(table);
    bool created = false;
    bool present = true; // whether an index may be asked for
    // A server location whose shop was refused (none there, not this
    // login's) gets no table: only init makes a shop there.
    if (DatabaseOnServer() && !ServerShopOpened(db.databasePath))
        return false;
    if (DatabaseOnServer()) {
        // On the server a failed statement spoils the transaction around
        // it, so neither "create table" nor "create index" may fail.
        const int exists = TableExists(definition.name);
        if (exists == 0)
            created = exec(CreateTableStatement(definition), nullptr, false) == 0;
        else if (exists > 0) {
            db.lastResult = 1;
            db.lastError = QStringLiteral("table %1 already exists").arg(definition.name);
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
        const int result = db.lastResult;
        const QString error = db.lastError;
        createIndex(definition.name, indexed);
        db.lastResult = result; // the table's own outcome is what callers ask for
        db.lastError = error;
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
    if (Current().lastResult != 0)
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
    // SQLite's NOCASE folds the ASCII letters. On the server both sides are
    // lowered under the columns' collation, which folds the same letters: a
    // value's own (the database's) folds more, and a value with a capital
    // Cyrillic letter would not match itself.
    return DatabaseOnServer() ? SqlFormat("lower(%s collate ucs_basic) = lower('%s' collate ucs_basic)", {column, value})
                              : SqlFormat("%s = '%s' collate nocase", {column, value});
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
    return Current().currentTable;
}

QString DatabasePath()
{
    return Current().databasePath;
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
    ConnectionState& db = Current();
    if (db.databasePath.isEmpty() || !OpenDatabase())
        return false;
    return db.engine && db.engine->isOpen() && db.engine->readOnly();
}

void SetReadOnlyOpen(bool readOnly)
{
    RequestReadOnlyFolders(readOnly);
    ReleaseDatabase();
}

void SelectDataLocation(const QString& dataFolder)
{
    Current().databasePath = IsServerAddress(dataFolder) ? dataFolder : dataFolder + QStringLiteral("/kolt.db");
}
