#include "db/copy.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/engine.h"
#include "db/serveraccess.h"
#include "db/statement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kRowsPerStatement = 400;

struct Location
{
    QString address; // the file path or the server address
    bool server = false;
    bool existed = true; // the file was there before the copy
    bool madeFolder = false; // and the folder was not either
    std::unique_ptr<DatabaseEngine> engine;
};

bool openLocation(Location& place, const QString& text, bool create, QString* error)
{
    place.server = IsServerAddress(text);
    if (place.server) {
        place.address = text;
        place.engine = NewServerEngine();
    } else {
        if (IsUriLocation(text)) {
            *error = TranslateLabel(QStringLiteral("A data location is a folder or a postgresql:// address, not:"))
                     + QLatin1Char(' ') + text;
            return false;
        }
        QString folder = QDir::fromNativeSeparators(text.trimmed());
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        place.address = folder + QStringLiteral("/kolt.db");
        place.existed = QFile::exists(place.address);
        if (!place.existed && !create) {
            *error = TranslateLabel(QStringLiteral("No database in")) + QLatin1Char(' ') + QDir::toNativeSeparators(folder);
            return false;
        }
        place.madeFolder = create && !QDir(folder).exists();
        if (create && !QDir().mkpath(folder)) {
            *error = TranslateLabel(QStringLiteral("Cannot create the data folder:")) + QLatin1Char(' ')
                     + QDir::toNativeSeparators(folder);
            return false;
        }
        place.engine = NewSqliteEngine();
    }
    if (!place.engine->load() || !place.engine->open(place.address, error))
        return false;
    // Another desk's work in progress is waited for, as every write of the
    // program waits, rather than refused at once.
    QString ignored;
    place.engine->exec(place.engine->busyTimeoutStatement(BusyTimeout()), nullptr, &ignored);
    return true;
}

// A single-value statement on one engine; false with *error set.
int collectText(void* context, int columns, char** values, char**)
{
    auto* out = static_cast<QString*>(context);
    if (columns > 0 && values[0])
        *out = QString::fromUtf8(values[0]);
    return 0;
}

bool queryValue(Location& place, const QString& sql, QString* value, QString* error)
{
    value->clear();
    return place.engine->exec(place.server ? ServerStatement(sql.toUtf8()) : sql.toUtf8(), collectText, error,
                              value)
           == kEngineOk;
}

int tableExists(Location& place, const QString& table, QString* error)
{
    const QString sql = TableCountStatement(table, place.server);
    QString count;
    if (!queryValue(place, sql, &count, error))
        return -1;
    return TextToInt(count) > 0 ? 1 : 0;
}

struct TableShape
{
    QString name;
    QStringList columns;      // as the target has them, "id" first
    std::vector<bool> number; // the target stores the column as a number
};

// The rows of one source table, streamed into multi-row inserts on the
// target and into the digest both sides are compared by.
struct Transfer
{
    Location* target = nullptr;
    const TableShape* shape = nullptr;
    std::vector<int> sourceColumn; // per target column, the source's index or -1
    bool mapped = false;
    QStringList sourceNames;
    QCryptographicHash digest{QCryptographicHash::Sha256};
    QByteArray pending; // "(?,?),(?,?)": a placeholder per value
    SqlArgs values;
    int pendingRows = 0;
    long long rows = 0;
    QString error;

    // Rows a statement: as many as the target takes values, at most kRowsPerStatement.
    int rowsPerStatement() const
    {
        const int columns = std::max(1, static_cast<int>(shape->columns.size()));
        return std::max(1, std::min(kRowsPerStatement, target->engine->maxBoundValues() / columns));
    }

    bool flush()
    {
        if (pendingRows == 0)
            return true;
        const QByteArray statement = "insert into " + shape->name.toUtf8() + " ("
                                     + shape->columns.join(QLatin1Char(',')).toUtf8() + ") values " + pending;
        const bool done = target->engine->execBound(statement, values, nullptr, &error) == kEngineOk;
        pending.clear();
        values.clear();
        pendingRows = 0;
        return done;
    }
};

void addToDigest(QCryptographicHash& digest, int columns, char** values)
{
    // Empty text and NULL read the same everywhere in the program.
    for (int c = 0; c < columns; ++c) {
        if (values[c])
            digest.addData(QByteArrayView(values[c], static_cast<qsizetype>(std::strlen(values[c]))));
        digest.addData(QByteArrayView("\x1f", 1));
    }
    digest.addData(QByteArrayView("\x1e", 1));
}

bool isWholeNumber(const char* text)
{
    const char* p = text;
    if (*p == '-' || *p == '+')
        ++p;
    if (!*p)
        return false;
    for (; *p; ++p)
        if (*p < '0' || *p > '9')
            return false;
    return true;
}

int transferRow(void* context, int columns, char** values, char** names)
{
    auto& t = *static_cast<Transfer*>(context);
    if (!t.mapped) {
        t.mapped = true;
        for (int c = 0; c < columns; ++c)
            t.sourceNames << QString::fromUtf8(names[c]).toLower();
        for (const QString& column : t.shape->columns)
            t.sourceColumn.push_back(static_cast<int>(t.sourceNames.indexOf(column.toLower())));
    }
    std::vector<char*> mapped(t.sourceColumn.size());
    for (size_t f = 0; f < t.sourceColumn.size(); ++f)
        mapped[f] = t.sourceColumn[f] >= 0 && t.sourceColumn[f] < columns ? values[t.sourceColumn[f]] : nullptr;
    // In the target's column order, so that the read-back compares alike.
    addToDigest(t.digest, static_cast<int>(mapped.size()), mapped.data());
    if (t.pendingRows > 0)
        t.pending += ',';
    t.pending += '(';
    for (size_t f = 0; f < t.sourceColumn.size(); ++f) {
        if (f)
            t.pending += ',';
        t.pending += '?';
        const int c = t.sourceColumn[f];
        const char* value = c >= 0 ? values[c] : nullptr;
        if (!value || (!*value && t.shape->number[f])) {
            t.values.emplace_back();
        } else if (t.shape->number[f]) {
            if (!isWholeNumber(value)) {
                t.error = QStringLiteral("%1 row %2: %3 holds \"%4\", which is not a whole number")
                              .arg(t.shape->name)
                              .arg(t.rows + 1)
                              .arg(t.shape->columns[static_cast<qsizetype>(f)], QString::fromUtf8(value));
                return 1;
            }
            // A whole number beyond 64 bits goes as its text, and the
            // target refuses it in its own words, as it would the figure.
            bool whole = false;
            const long long number = QByteArray(value).toLongLong(&whole);
            t.values.push_back(whole ? SqlArg(number) : SqlArg(QString::fromUtf8(value)));
        } else {
            t.values.emplace_back(QString::fromUtf8(value));
        }
    }
    t.pending += ')';
    ++t.rows;
    if (++t.pendingRows >= t.rowsPerStatement() && !t.flush())
        return 1;
    return 0;
}

int digestRow(void* context, int columns, char** values, char**)
{
    addToDigest(*static_cast<QCryptographicHash*>(context), columns, values);
    return 0;
}

// The tables of a shop: the nine of the definitions and the parameters.
std::vector<TableShape> shopTables(bool server)
{
    std::vector<TableShape> tables;
    for (int t = 0; t < kTableCount; ++t) {
        const TableDefinition& definition = App().tables[t];
        TableShape shape;
        shape.name = TableSqlName(t);
        shape.columns << QStringLiteral("id");
        shape.number.push_back(true);
        for (int f = 0; f < definition.fieldCount; ++f) {
            shape.columns << ToColumnName(definition.headings[f]);
            shape.number.push_back(server && definition.types[f].trimmed().compare(QLatin1String("integer"),
                                                                                   Qt::CaseInsensitive)
                                                   == 0);
        }
        tables.push_back(shape);
    }
    TableShape parameters;
    parameters.name = QStringLiteral("GlobalParamList");
    parameters.columns << QStringLiteral("id") << QStringLiteral("ParamName") << QStringLiteral("Param");
    parameters.number = {true, false, false};
    tables.push_back(parameters);
    return tables;
}

QString createStatement(const TableShape& shape, bool server)
{
    for (int t = 0; t < kTableCount; ++t)
        if (TableSqlName(t) == shape.name)
            return CreateTableStatement(App().tables[t], server);
    return QStringLiteral("create table ") + shape.name + QStringLiteral(" ( ") + IdColumnDefinition(server)
           + QStringLiteral(",ParamName ") + ColumnType(QStringLiteral("text"), server) + QStringLiteral(", Param ")
           + ColumnType(QStringLiteral("text"), server) + QLatin1Char(')');
}

bool run(Location& target, const QString& sql, QString* error)
{
    const QByteArray statement = target.server ? ServerStatement(sql.toUtf8()) : sql.toUtf8();
    return target.engine->exec(statement, nullptr, error) == kEngineOk;
}

// The schema version goes with the tables: a copy of a current shop opens
// without running steps again, and a copy of an older one moves forward
// when it is first opened.
bool copyVersion(Location& source, Location& target, QString* error)
{
    QString version;
    if (source.server) {
        const int exists = tableExists(source, QStringLiteral("SchemaVersion"), error);
        if (exists < 0)
            return false;
        if (exists > 0 && !queryValue(source, QStringLiteral("select max(Version) from SchemaVersion"), &version, error))
            return false;
    } else if (!queryValue(source, QStringLiteral("PRAGMA user_version"), &version, error)) {
        return false;
    }
    const int number = TextToInt(version);
    if (!target.server)
        return run(target, QStringLiteral("PRAGMA user_version = %1").arg(number), error);
    const int exists = tableExists(target, QStringLiteral("SchemaVersion"), error);
    if (exists < 0)
        return false;
    if (exists == 0 && !run(target, QStringLiteral("create table SchemaVersion (Version integer not null)"), error))
        return false;
    return run(target, QStringLiteral("delete from SchemaVersion"), error)
           && (number <= 0 || run(target, QStringLiteral("insert into SchemaVersion (Version) values (%1)").arg(number), error));
}

} // namespace

CopyOutcome CopyData(const QString& from, const QString& to)
{
    CopyOutcome outcome;
    Location source;
    Location target;
    QString error;
    auto fail = [&](const QString& text) {
        ShowMessage(text, QStringLiteral("Database Status"));
        return outcome;
    };
    if (!openLocation(source, from, false, &error))
        return fail(error);
    if (!openLocation(target, to, true, &error))
        return fail(error);
    if (source.address == target.address)
        return fail(TranslateLabel(QStringLiteral("The source and the target are the same.")));

    // A kolt.db the copy made is removed again when the copy fails, so a
    // failed copy leaves the target folder as it was.
    auto discardNewFile = [&] {
        if (target.server || target.existed)
            return;
        target.engine->close();
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(target.address + QString::fromLatin1(suffix));
        if (target.madeFolder)
            QDir().rmdir(QFileInfo(target.address).path());
    };

    const std::vector<TableShape> tables = shopTables(target.server);
    WaitScope progress(QStringLiteral("Database Access..."), 0, static_cast<int>(tables.size()));
    // Every table is read from one snapshot of the source, so that a copy
    // (and a backup) of a shop in use holds what one moment held, never a
    // purchase order without the stock it moved.
    const QByteArray snapshot =
        source.server ? QByteArray("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY") : QByteArray("BEGIN");
    if (source.engine->exec(snapshot, nullptr, &error) != kEngineOk) {
        discardNewFile();
        return fail(error);
    }
    // A server's shop lives in its own schema: the copy makes it when the
    // database has none yet (the server refuses a login that may not).
    if (target.server && !target.engine->shopSchema().isEmpty()
        && !run(target, QStringLiteral("create schema if not exists ") + QuoteSqlIdentifier(target.engine->shopSchema()),
                &error)) {
        discardNewFile();
        return fail(error);
    }
    if (!run(target, QString::fromUtf8(target.engine->beginStatement()), &error)) {
        discardNewFile();
        return fail(error);
    }
    auto abandon = [&](const QString& text) {
        QString ignored;
        target.engine->exec("ROLLBACK", nullptr, &ignored);
        discardNewFile();
        return fail(text);
    };
    // The target must be empty: a copy over a working shop would mix two.
    // Asked under the write lock the copy then holds, so that work another
    // desk commits while this copy waits for the lock is seen, never erased.
    // Its parameters alone do not count: opening a new database once writes
    // them, and the source's replace them.
    for (const TableShape& shape : tables) {
        if (shape.name == QLatin1String("GlobalParamList"))
            continue;
        const int exists = tableExists(target, shape.name, &error);
        if (exists < 0)
            return abandon(error);
        QString rows;
        if (exists > 0 && (!queryValue(target, QStringLiteral("select count(*) from ") + shape.name, &rows, &error)
                           || TextToInt(rows) > 0))
            return abandon(error.isEmpty() ? TranslateLabel(QStringLiteral("The target already holds data:"))
                                                 + QLatin1Char(' ') + shape.name + QStringLiteral(" (") + rows
                                                 + QLatin1Char(')')
                                           : error);
    }
    int position = 0;
    for (const TableShape& shape : tables) {
        progress.setCaption(shape.name);
        const int inSource = tableExists(source, shape.name, &error);
        if (inSource < 0)
            return abandon(error);
        const int inTarget = tableExists(target, shape.name, &error);
        if (inTarget < 0)
            return abandon(error);
        if (inTarget > 0 && !run(target, QStringLiteral("drop table ") + shape.name, &error))
            return abandon(error);
        if (!run(target, createStatement(shape, target.server), &error))
            return abandon(error);
        // The indexes come with the tables, made by the login that owns them.
        for (int t = 0; t < kTableCount; ++t)
            if (TableSqlName(t) == shape.name && !IndexedColumn(t).isEmpty()
                && !run(target,
                        QStringLiteral("create index ") + shape.name + QLatin1Char('_') + IndexedColumn(t)
                            + QStringLiteral(" on ") + shape.name + QLatin1Char('(') + IndexedColumn(t) + QLatin1Char(')'),
                        &error))
                return abandon(error);
        Transfer transfer;
        transfer.target = &target;
        transfer.shape = &shape;
        if (inSource > 0) {
            const QByteArray read = "select * from " + shape.name.toUtf8() + " order by id";
            const int code = source.engine->exec(source.server ? ServerStatement(read) : read, transferRow, &error,
                                                 &transfer);
            if (!transfer.error.isEmpty())
                return abandon(transfer.error);
            if (code != kEngineOk)
                return abandon(error);
            // A column of the source that the definitions no longer name
            // would be lost: the copy refuses instead.
            for (const QString& name : transfer.sourceNames)
                if (!shape.columns.contains(name, Qt::CaseInsensitive))
                    return abandon(QStringLiteral("%1: the column %2 is not in the table definition").arg(shape.name, name));
            if (!transfer.flush())
                return abandon(transfer.error);
        }
        if (target.server
            && !run(target,
                    QStringLiteral("select setval(pg_get_serial_sequence('%1', 'id'), coalesce(max(id), 0) + 1, false) "
                                   "from %1")
                        .arg(shape.name.toLower()),
                    &error))
            return abandon(error);
        // What arrived must be what left, row for row and byte for byte.
        QCryptographicHash written(QCryptographicHash::Sha256);
        const QByteArray readBack =
            "select " + shape.columns.join(QLatin1Char(',')).toUtf8() + " from " + shape.name.toUtf8() + " order by id";
        if (target.engine->exec(target.server ? ServerStatement(readBack) : readBack, digestRow, &error, &written)
            != kEngineOk)
            return abandon(error);
        QString count;
        if (!queryValue(target, QStringLiteral("select count(*) from ") + shape.name, &count, &error))
            return abandon(error);
        if (TextToInt(count) != transfer.rows || written.result() != transfer.digest.result())
            return abandon(QStringLiteral("%1: the copy does not match the source (%2 rows read, %3 written)")
                               .arg(shape.name)
                               .arg(transfer.rows)
                               .arg(count));
        outcome.tables << shape.name + QLatin1Char('\t') + QString::number(transfer.rows);
        progress.setPosition(++position);
    }
    if (!copyVersion(source, target, &error))
        return abandon(error);
    if (!run(target, QStringLiteral("COMMIT"), &error))
        return abandon(error);
    QString ignored;
    source.engine->exec("ROLLBACK", nullptr, &ignored);
    outcome.done = true;
    return outcome;
}
