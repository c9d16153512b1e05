#include "core/itemlist.h"

#include <algorithm>
#include <cmath>

std::vector<ItemRow> ParseItemList(const QString& text)
{
    std::vector<ItemRow> rows;
    ItemRow row;
    qsizetype position = 0;
    for (;;) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), position);
        if (feed < 0)
            break;
        row << text.mid(position, feed - position);
        position = feed + 1;
        if (position < text.size() && text.at(position) == QLatin1Char('\r')) {
            rows.push_back(row);
            row.clear();
            ++position;
        }
    }
    if (!row.isEmpty())
        rows.push_back(row);
    for (ItemRow& r : rows)
        while (r.size() < kItemColumns)
            r << QString();
    return rows;
}

QString BuildItemList(const std::vector<ItemRow>& rows)
{
    QString text;
    for (const ItemRow& row : rows) {
        qsizetype cells = row.size();
        while (cells > kItemColumns && row[cells - 1].isEmpty())
            --cells;
        for (qsizetype c = 0; c < cells; ++c)
            text += row[c] + QLatin1Char('\n');
        text += QLatin1Char('\r');
    }
    return text;
}

double ItemQuantity(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    double value = 0;
    // Past 1e18 the digits no longer matter to any bound a caller sets.
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        if (value < 1e18)
            value = value * 10 + (text[i].unicode() - u'0');
    return negative ? -value : value;
}

double ItemOpenQuantity(const ItemRow& row)
{
    // Received quantities are whole numbers like the line's, read the same way.
    return OpenLineQuantity(ItemQuantity(row.value(kItemQuantity)), ItemQuantity(row.value(kItemReceived)));
}

double OpenLineQuantity(double quantity, double received)
{
    if (quantity <= 0)
        return quantity;
    return std::max(0.0, quantity - std::max(0.0, received));
}
