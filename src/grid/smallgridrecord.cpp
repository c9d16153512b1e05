#include "grid/smallgridrecord.h"

#include "core/format.h"
#include "core/utilities.h"

#include <algorithm>

void SmallGridRecord::setColumns(const QStringList& columnHeadings, const QStringList& columnAttributes,
                                 const std::vector<int>& columnWidths, const std::vector<int>& codes)
{
    columnCount = static_cast<int>(columnHeadings.size());
    rowCount = 0;
    cells.clear();
    headings = columnHeadings;
    attributes = columnAttributes;
    widths = columnWidths;
    actionCodes = codes;
}

QString SmallGridRecord::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount || column < 0 || column >= columnCount)
        return QString();
    const size_t index = static_cast<size_t>(row) * columnCount + column;
    return index < cells.size() ? cells[index] : QString();
}

void SmallGridRecord::setCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= rowCount || column < 0 || column >= columnCount)
        return;
    const size_t index = static_cast<size_t>(row) * columnCount + column;
    if (index >= cells.size())
        cells.resize(static_cast<size_t>(rowCount) * columnCount);
    cells[index] = text;
}

void SmallGridRecord::appendRow(const QStringList& values)
{
    cells.resize(static_cast<size_t>(rowCount + 1) * columnCount);
    ++rowCount;
    for (int c = 0; c < columnCount; ++c)
        setCell(rowCount - 1, c, values.value(c));
}

QString SmallGridRecord::attribute(int column) const
{
    return column >= 0 && column < attributes.size() ? attributes[column] : QStringLiteral("EDIT");
}

int SmallGridRecord::actionCode(int column) const
{
    return column >= 0 && column < static_cast<int>(actionCodes.size()) ? actionCodes[column] : 0;
}

void SmallGridRecord::renumber()
{
    for (int r = 0; r < rowCount; ++r)
        setCell(r, kSmallLineColumn, Format("%i", {r + 1}));
}

void SmallGridRecord::insertRow(int position)
{
    if (position < 0 || position > rowCount)
        position = 0;
    cells.resize(static_cast<size_t>(rowCount) * columnCount);
    cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(position) * columnCount,
                 static_cast<size_t>(columnCount), QString());
    ++rowCount;
    setCell(position, kSmallQuantityColumn, QStringLiteral("1"));
    renumber();
}

void SmallGridRecord::removeRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    cells.resize(static_cast<size_t>(rowCount) * columnCount);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it < 0 || *it >= rowCount)
            continue;
        const auto begin = cells.begin() + static_cast<std::ptrdiff_t>(*it) * columnCount;
        cells.erase(begin, begin + columnCount);
        --rowCount;
    }
    if (editable)
        renumber();
}

double SmallGridRecord::recomputeAmounts()
{
    double total = 0;
    if (columnCount <= kSmallAmountColumn)
        return total;
    for (int r = 0; r < rowCount; ++r) {
        const double amount = TextToDouble(cell(r, kSmallQuantityColumn)) * TextToDouble(cell(r, kSmallPriceColumn));
        setCell(r, kSmallAmountColumn, Format("%0.2f", {amount}));
        total += amount;
    }
    return total;
}
