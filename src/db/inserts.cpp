// Storing records of a table as its definition describes them: one or many
// at once, through prepared statements where the library offers them, as
// one statement text otherwise. An import stores hundreds of thousands of
// values this way, so the work per value is kept small.
#include "db/connectionstate.h"

#include "core/appstate.h"
#include "core/format.h"
#include "core/utilities.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

using namespace dbcore;

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
    ConnectionState& db = Current();
    const QByteArray text = QByteArray::fromRawData(statement.data(), static_cast<qsizetype>(statement.size()));
    if (db.txDepth == 0 || !db.engine || !db.engine->failedTransactionRefusesStatements() || db.txAborted) {
        execUtf8(text, nullptr, true);
        return;
    }
    if (execUtf8("SAVEPOINT kolt_insert; " + text + "; RELEASE SAVEPOINT kolt_insert", nullptr, true) == 0)
        return;
    const int result = db.lastResult;
    const QString error = db.lastError;
    if (execUtf8("ROLLBACK TO SAVEPOINT kolt_insert; RELEASE SAVEPOINT kolt_insert", nullptr, false) == 0)
        db.txAborted = false;
    db.lastResult = result;
    db.lastError = error;
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
    ConnectionState& db = Current();
    PreparedInsert& prepared = db.preparedInserts[static_cast<size_t>(table)];
    const bool current = prepared.generation == db.engine->generation();
    if (prepared.statements[0].handle && current && prepared.shape == static_cast<const void*>(&shape)
        && prepared.fieldCount == shape.fieldCount && prepared.head == shape.head)
        return &prepared;
    // Handles of an earlier connection were finalized when it closed.
    for (PreparedInsert::Statement& statement : prepared.statements)
        if (statement.handle && current)
            db.engine->finalize(statement.handle);
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
        void* handle = db.engine->prepare(QByteArray::fromStdString(sql), &error);
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
    prepared.generation = db.engine->generation();
    return &prepared;
}

bool canBind(const InsertShape& shape)
{
    ConnectionState& db = Current();
    if (!db.engine || !db.engine->isOpen() || !db.engine->prepares() || statementObserver())
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
            Current().engine->bindText(statement.handle, static_cast<int>(at) + 1, kept.data(), static_cast<int>(kept.size()));
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
    ConnectionState& db = Current();
    PreparedInsert* prepared = preparedInsert(table, shape);
    if (!prepared)
        return false;
    if (!statementAllowed(true))
        return true;
    const bool several = rows.size() > 1;
    if (several && exec(QStringLiteral("SAVEPOINT kolt_insert"), nullptr, false) != 0) {
        // The library's reason stands; the work it belonged to is spoiled.
        if (db.txDepth > 0)
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
            result = db.engine->step(statement.handle, &error);
        db.engine->reset(statement.handle);
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
        db.lastResult = 0;
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

namespace dbcore {

// The prepared statements die with their connection; a new connection
// starts with none.
void forgetInsertStatements()
{
    for (PreparedInsert& prepared : Current().preparedInserts)
        prepared = PreparedInsert();
}

} // namespace dbcore
