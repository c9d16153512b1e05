#include "grid/gridrows.h"

#include "core/userinterface.h"

#include <QHash>
#include <algorithm>

namespace {

// Rows kept before the one asked for, so that scrolling back a little does
// not read the window again.
constexpr int kRowsBehind = 32;

} // namespace

QString QuotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QStringList TableColumnNames(const QString& tableName)
{
    return TableColumns(tableName);
}

void CGridRows::setSource(const QString& tableName, const QString& where, const SqlArgs& whereArgs,
                          const QString& orderBy, const QStringList& headings)
{
    m_tableName = tableName;
    m_where = where;
    m_whereArgs = whereArgs;
    m_orderBy = orderBy;
    m_headings = headings;
    clear();
}

void CGridRows::clear()
{
    m_ids.clear();
    m_ids.shrink_to_fit();
    m_cells.clear();
    m_windowStart = 0;
    m_windowRows = 0;
}

bool CGridRows::Refresh()
{
    m_ids.clear();
    invalidate();
    if (m_tableName.isEmpty())
        return true;
    bool ok = true;
    m_ids = ReadTableIds(m_tableName, m_where, m_whereArgs, m_orderBy, &ok);
    if (!ok) {
        ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
        return false;
    }
    return true;
}

long long CGridRows::id(int row) const
{
    return row >= 0 && row < count() ? m_ids[static_cast<size_t>(row)] : -1;
}

int CGridRows::rowOfId(long long id) const
{
    const auto it = std::find(m_ids.begin(), m_ids.end(), id);
    return it == m_ids.end() ? -1 : static_cast<int>(it - m_ids.begin());
}

QString CGridRows::cell(int row, int column) const
{
    if (row < 0 || row >= count() || column < 0 || column >= m_headings.size())
        return QString();
    if (column == 0)
        return QString::number(m_ids[static_cast<size_t>(row)]);
    if (row < m_windowStart || row >= m_windowStart + m_windowRows)
        readWindow(row);
    const size_t index = static_cast<size_t>(row - m_windowStart) * static_cast<size_t>(m_headings.size())
                         + static_cast<size_t>(column);
    return index < m_cells.size() ? m_cells[index] : QString();
}

void CGridRows::setCell(int row, int column, const QString& text)
{
    if (row < m_windowStart || row >= m_windowStart + m_windowRows || column < 0 || column >= m_headings.size())
        return;
    m_cells[static_cast<size_t>(row - m_windowStart) * static_cast<size_t>(m_headings.size())
            + static_cast<size_t>(column)] = text;
}

void CGridRows::readWindow(int row) const
{
    // Reading forwards keeps a few rows behind; reading backwards keeps
    // the rows after the one asked for.
    int start = row - kRowsBehind;
    if (m_windowRows > 0 && row < m_windowStart)
        start = row - (kWindowRows - kRowsBehind);
    start = std::clamp(start, 0, std::max(0, count() - kWindowRows));
    const int rows = std::min(kWindowRows, count() - start);
    const int width = static_cast<int>(m_headings.size());

    const auto first = m_ids.begin() + start;
    const QueryResult read = ReadTableRecords(m_tableName, std::vector<long long>(first, first + rows));

    // The table's columns in the order of the headings asked for: a column
    // the table lacks stays empty, one the headings lack is left out.
    std::vector<int> source(static_cast<size_t>(width), -1);
    source[0] = 0;
    for (int c = 1; c < width; ++c)
        for (int s = 1; s < read.columnCount; ++s)
            if (read.headings[s] == m_headings[c]) {
                source[static_cast<size_t>(c)] = s;
                break;
            }
    QHash<long long, int> readRow;
    readRow.reserve(read.rowCount);
    for (int r = 0; r < read.rowCount; ++r)
        readRow.insert(read.cell(r, 0).toLongLong(), r);

    m_cells.assign(static_cast<size_t>(rows) * static_cast<size_t>(width), QString());
    for (int r = 0; r < rows; ++r) {
        const long long id = m_ids[static_cast<size_t>(start + r)];
        QString* out = &m_cells[static_cast<size_t>(r) * static_cast<size_t>(width)];
        out[0] = QString::number(id);
        // A row another program deleted since the ids were read shows empty.
        const auto it = readRow.constFind(id);
        if (it == readRow.constEnd())
            continue;
        for (int c = 1; c < width; ++c)
            if (source[static_cast<size_t>(c)] >= 0)
                out[c] = read.cell(*it, source[static_cast<size_t>(c)]);
    }
    m_windowStart = start;
    m_windowRows = rows;
}
