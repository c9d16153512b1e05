#include "bom/treelayout.h"

#include "bom/assemblyindex.h"
#include "bom/explosion.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/parts.h"

#include <QFontMetrics>
#include <QPaintDevice>

#include <algorithm>
#include <optional>

const char* const kTreeCaptions[kTreeColumns] = {"#", "Qty", "Part", "Description", "Ref Des"};

QString TreeCurrencySymbol(const QString& currencyCode)
{
    static const std::pair<const char*, const char*> table[] = {
        {"RUB", "руб"}, {"GBP", "£"}, {"CNY", "¥"}, {"EUR", "€"}, {"CAD", "$"}, {"USD", "$"}, {"JPY", "¥"},
    };
    const QString code = currencyCode.toUpper();
    for (const auto& [key, symbol] : table)
        if (code == QLatin1String(key))
            return QString::fromUtf8(symbol);
    return QString();
}

int ChartCategoryImage(const QString& category)
{
    const QString text = category.toUpper();
    int image = 0;
    if (text.contains(QLatin1String("PCB")))
        image = 1;
    if (text.contains(QLatin1String("CIRCUIT BOARD")))
        image = 1;
    if (text.contains(QLatin1String("WIRE")))
        image = 2;
    if (text.contains(QLatin1String("CABLE")))
        image = 2;
    if (text.contains(QLatin1String("PACKAGING")))
        image = 3;
    if (text.contains(QLatin1String("SHIPPING")))
        image = 3;
    return image;
}

TreeLayout::TreeLayout()
{
    columnMap.fill(-1);
}

QFont TreeLayout::bodyFont(int weight) const
{
    QFont font(QStringLiteral("San Serif"));
    font.setPixelSize(std::max(1, qRound(bodyFontHeight)));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

QFont TreeLayout::titleFont() const
{
    QFont font(QStringLiteral("San Serif"));
    font.setPixelSize(std::max(1, qRound(bodyFontHeight * 1.5)));
    font.setWeight(QFont::Medium);
    return font;
}

double TreeLayout::printScale(int printableWidth, int printableHeight, int dpiX, int dpiY) const
{
    if (screenWidth <= 0 || screenHeight <= 0)
        return 1.0;
    const double byHeight = double(printableHeight - dpiY) / screenHeight;
    const double byWidth = double(printableWidth - dpiX / 2) / screenWidth;
    return 0.9 * std::min(byHeight, byWidth);
}

QString TreeLayout::cellText(const AssemblyNode& node, int line, int column) const
{
    if (line < 0 || line >= node.lineCount || column < 0 || column >= columnCount || columnMap[column] < 0)
        return QString();
    return result.cell(node.lineRows[line], columnMap[column]);
}

int TreeLayout::firstPartRow(const QString& name) const
{
    return m_partRows.value(name, -1);
}

bool TreeLayout::build()
{
    // One assembly's chart needs only its own bill; the chart of every
    // top-level assembly reads them all.
    result = ReadAssemblyTreeRows(selectedAssembly);
    nodes.clear();
    if (result.rowCount == 0) {
        ShowMessage(Translate(QStringLiteral("nothing to sort")));
        return false;
    }
    m_assy = BomColumn(result, QStringLiteral("Ass"));
    m_part = BomColumn(result, QStringLiteral("Part"));
    m_desc = BomColumn(result, QStringLiteral("Desc"));
    m_quan = BomColumn(result, QStringLiteral("Quan"));
    m_level = BomColumn(result, QStringLiteral("Level"));
    m_categ = BomColumn(result, QStringLiteral("Categ"));
    m_item = BomColumn(result, QStringLiteral("Item"));
    m_price = BomColumn(result, QStringLiteral("Price"));
    m_labor = BomColumn(result, QStringLiteral("Labor"));
    m_ref = BomColumn(result, QStringLiteral("Ref"));
    m_par = BomColumn(result, QStringLiteral("Par"));
    m_cat = BomColumn(result, QStringLiteral("Cat"));
    columnMap.fill(-1);
    columnMap[0] = m_item;
    columnMap[1] = m_quan;
    columnMap[2] = m_part;
    columnMap[3] = m_desc;
    columnMap[4] = m_ref;
    columnCount = kTreeColumns;
    maxRight = maxBottom = 0;
    if (!printing)
        screenWidth = screenHeight = 0;
    if (printing && printer) {
        marginX = printer->logicalDpiX() / 4;
        marginY = printer->logicalDpiY();
    } else {
        marginX = marginY = 0;
    }

    // Every box walks only its own rows and every lookup is a hash probe, so a
    // build costs the rows once plus the lines of the boxes.
    m_lines.clear();
    m_partRows.clear();
    for (int r = 0; r < result.rowCount; ++r) {
        if (m_assy >= 0)
            m_lines[result.cell(r, m_assy)].push_back(r);
        if (m_par >= 0 && !m_partRows.contains(result.cell(r, m_par)))
            m_partRows.insert(result.cell(r, m_par), r);
    }
    // A part heads a bill of its own when it has lines: the rows hold every
    // bill the chart can reach.
    auto isAssembly = [this](const QString& part) { return !part.isEmpty() && m_lines.contains(part); };

    struct Entry
    {
        QString name;
        int parent;
        int slot;
    };
    std::vector<Entry> current;
    if (!selectedAssembly.isEmpty())
        current.push_back({selectedAssembly, -1, 0});
    else
        for (const QString& name : AssemblyLookup().topLevel())
            current.push_back({name, -1, 0});
    if (current.empty())
        return true;

    currentLevel = 0;
    for (;;) {
        std::vector<Entry> next;
        bool subAssemblies = false;
        for (const Entry& entry : current) {
            if (static_cast<int>(nodes.size()) >= kMaxTreeNodes) {
                ShowMessage(Translate(QStringLiteral("max assemblies exceeded")));
                return false;
            }
            const int box = static_cast<int>(nodes.size());
            buildNode(box, entry.name, currentLevel);
            if (entry.parent >= 0 && entry.slot < nodes[entry.parent].lineCount)
                nodes[entry.parent].childLinks[entry.slot] = box;
            int line = 0;
            for (int r : m_lines.value(entry.name)) {
                if (m_part >= 0 && isAssembly(result.cell(r, m_part))) {
                    next.push_back({result.cell(r, m_part), box, line});
                    subAssemblies = true;
                }
                ++line;
            }
        }
        current = std::move(next);
        ++currentLevel;
        if (!subAssemblies)
            break;
    }
    return true;
}

void TreeLayout::buildNode(int index, const QString& name, int level)
{
    // N1: the body font's metrics.
    const QFontMetrics metrics(bodyFont(), printing ? printer : nullptr);
    const int h = metrics.height();
    const int w = std::max(1, metrics.averageCharWidth());

    AssemblyNode node;
    node.name = name;
    node.level = level;
    node.lineHeight = h + 2;

    // N2: the lines, in result order.
    node.lineRows = m_lines.value(name);
    node.lineCount = static_cast<int>(node.lineRows.size());
    node.childLinks.assign(node.lineRows.size(), -1);

    // N3 to N5: the assembly's own part record, from a line that uses it or from PartList.
    const int partRow = firstPartRow(name);
    // A top assembly no line uses: its own record, read once when needed.
    std::optional<PartRecordFields> own;
    auto ownRecord = [&]() -> const PartRecordFields& {
        if (!own)
            own = ReadPartRecord(name);
        return *own;
    };
    if (partRow >= 0 && m_desc >= 0) {
        node.description = result.cell(partRow, m_desc);
    } else if (partRow < 0) {
        node.description = ownRecord().description;
    }
    double material = 0;
    double labour = 0;
    if (partRow >= 0) {
        if (m_price >= 0)
            material = TextToDouble(result.cell(partRow, m_price));
        if (m_labor >= 0)
            labour = TextToDouble(result.cell(partRow, m_labor));
    } else {
        material = TextToDouble(ownRecord().price);
        labour = TextToDouble(ownRecord().labor);
    }
    const double cost = material + labour;
    const QString symbol = TreeCurrencySymbol(QStringLiteral("USD"));
    node.costText = Format("%s%0.2f", {symbol, cost});
    // The navigation panel shows material and labour apart; a total alone
    // here would read as a different material price.
    node.costDetail = Format("%s %s%0.2f   %s %s%0.2f",
                             {Translate(QStringLiteral("Material")), symbol, material,
                              Translate(QStringLiteral("Labor")), symbol, labour});
    QString category;
    if (partRow >= 0 && m_cat >= 0)
        category = result.cell(partRow, m_cat);
    else if (partRow < 0)
        category = ownRecord().category;
    node.categoryImage = ChartCategoryImage(category);

    // N6: column widths; a reference-designator column of short texts is hidden.
    // Cells are measured in the bold face they are drawn in, captions as
    // they read, so no part number is cut.
    const QFontMetrics cellMetrics(bodyFont(QFont::Bold), printing ? printer : nullptr);
    int sum = 0;
    for (int c = 0; c < columnCount; ++c) {
        const int column = columnMap[c];
        int width = column >= 0 ? cellMetrics.horizontalAdvance(Translate(QString::fromUtf8(kTreeCaptions[c]))) : 0;
        bool longCell = false;
        for (int r : node.lineRows) {
            const QString text = column >= 0 ? result.cell(r, column) : QString();
            width = std::max(width, cellMetrics.horizontalAdvance(text.left(30)));
            if (text.size() > 4)
                longCell = true;
        }
        if (!longCell && column >= 0 && column == m_ref)
            width = 0;
        else
            width += node.lineHeight;
        node.columnWidths[c] = width;
        sum += width;
    }

    // N7: a new level opens a column right of everything built so far.
    if (nodes.empty() || level != nodes.back().level) {
        node.top = marginY + 2 * h;
        node.left = level == 0 ? marginX + 2 * h : maxRight + 10 * w;
    } else {
        node.left = nodes.back().left;
        node.top = nodes.back().bottom + 2 * h;
    }

    // N8: geometry; wide enough for the name beside the labelled costs.
    node.right = node.left + 2 * h + sum;
    {
        const QFontMetrics title(titleFont(), printing ? printer : nullptr);
        const QFontMetrics bold(bodyFont(QFont::Bold), printing ? printer : nullptr);
        const int needed = title.height() / 2 + qRound(1.6 * title.height()) + 10
                           + title.horizontalAdvance(node.name) + 3 * w + bold.horizontalAdvance(node.costDetail) + 10;
        node.right = std::max(node.right, node.left + needed);
    }
    node.bottom = node.top + node.lineHeight * (node.lineCount + 5);
    node.textLeft = node.left + 2 * w;
    node.tableTop = node.top + 4 * node.lineHeight;
    node.tableRight = node.left + 2 * w + sum;
    node.tableBottom = node.tableTop + node.lineHeight * node.lineCount;

    // N9: extents.
    maxRight = std::max(maxRight, node.right);
    maxBottom = std::max(maxBottom, node.bottom);
    if (!printing) {
        if (node.right > screenWidth)
            screenWidth = node.right;
        if (node.bottom > screenHeight)
            screenHeight = node.tableBottom;
    }
    Q_UNUSED(index);
    nodes.push_back(std::move(node));
}
