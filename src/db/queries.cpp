// Reading what statements deliver: rows into a QueryResult (the grid's
// tables, hundreds of thousands of cells), rows joined as text, and typed
// rows of bound statements.
#include "db/connectionstate.h"
#include "db/statement.h"

#include "core/format.h"
#include "core/userinterface.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

using namespace dbcore;

namespace {

QueryResult* g_target = nullptr;
int g_rowCounter = 0;
bool g_tooManyColumns = false;
bool g_separated = false;
QString g_accumulator;

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

// Reads the rows a statement run by `run` delivers into result, text or
// bound alike.
template <typename Run>
int readRows(QueryResult& result, Run run)
{
    ConnectionState& db = Current();
    g_target = &result;
    g_rowCounter = 0;
    g_tooManyColumns = false;
    if (OpenDatabase()) {
        run();
        // The recent values hold references to the cells' texts; let go.
        g_recent.clear();
        // Inside a scope that could not begin, the scope's owner reports.
        if (db.lastResult != 0 && !g_tooManyColumns && !db.txRefused)
            ShowMessage(db.lastError, QStringLiteral("Database Status"));
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
    return Current().lastResult == 0;
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
    if (!rows.m_ok && !Current().txRefused)
        ShowMessage(Current().lastError, QStringLiteral("Database Status"));
    CloseDatabase();
    return rows;
}

int MaxBoundValues()
{
    if (OpenDatabase() && Current().engine)
        return std::max(999, Current().engine->maxBoundValues());
    return 999;
}

bool Execute(const QString& sql)
{
    QueryText(sql, false);
    return Current().lastResult == 0;
}

QueryResult Query(const QString& sql)
{
    QueryResult result;
    headingsCaptured = 0;
    RunQuery(result, sql);
    return result;
}

int FindColumn(const QueryResult& result, const QString& text)
{
    for (int c = 0; c < result.columnCount && c < kMaxColumns; ++c)
        if (result.headings[c].contains(text, Qt::CaseInsensitive))
            return c;
    return -1;
}
