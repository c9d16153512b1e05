#include "bom/explosion.h"

#include "db/billrows.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"

#include <QSet>
#include <algorithm>
#include <functional>

int FindHeading(const QueryResult& result, const QString& key)
{
    const QString wanted = key.toUpper();
    for (int c = 0; c < result.columnCount && c < kMaxColumns; ++c)
        if (result.headings[c].toUpper().contains(wanted))
            return c;
    ShowMessage(QStringLiteral("Internal Error:Header Not Found:") + key);
    return -1;
}


int MakeKind(const QString& makeText)
{
    const QString text = makeText.toUpper();
    if (text.contains(QLatin1String("NOT")))
        return 2;
    return text.contains(QLatin1Char('M')) ? 1 : 0;
}

QueryResult LoadBomRows()
{
    return ReadBomRows();
}

QueryResult LoadBomRows(const QString& assembly)
{
    return ReadBomRows(assembly);
}

bool IsAssembly(const QueryResult& bom, const QString& part)
{
    const int assyColumn = FindColumn(bom, QStringLiteral("Assy"));
    if (assyColumn < 0 || part.isEmpty())
        return false;
    for (int r = 0; r < bom.rowCount; ++r)
        if (bom.cell(r, assyColumn) == part)
            return true;
    return false;
}

BomIndex::BomIndex(const QueryResult& bom)
{
    const int assyColumn = FindColumn(bom, QStringLiteral("Assy"));
    if (assyColumn < 0)
        return;
    for (int r = 0; r < bom.rowCount; ++r)
        m_rows[bom.cell(r, assyColumn)].append(r);
}

const QVector<int>& BomIndex::rows(const QString& assembly) const
{
    static const QVector<int> none;
    const auto it = m_rows.constFind(assembly);
    return it == m_rows.constEnd() ? none : it.value();
}

QStringList FindAssemblyCycle(const QueryResult& bom, const QString& assembly)
{
    const int partColumn = FindColumn(bom, QStringLiteral("Part"));
    if (partColumn < 0)
        return {};
    const BomIndex index(bom);
    QStringList path;
    QSet<QString> onPath;
    QSet<QString> cleared; // assemblies whose whole bill was walked without a cycle
    QStringList found;
    std::function<bool(const QString&)> walk = [&](const QString& current) {
        if (onPath.contains(current)) {
            found = path.mid(path.indexOf(current));
            found << current;
            return true;
        }
        if (cleared.contains(current))
            return false;
        path << current;
        onPath.insert(current);
        for (const int r : index.rows(current)) {
            const QString part = bom.cell(r, partColumn);
            if (index.isAssembly(part) && walk(part))
                return true;
        }
        path.removeLast();
        onPath.remove(current);
        cleared.insert(current);
        return false;
    };
    walk(assembly);
    return found;
}

QString CycleMessage(const QStringList& path)
{
    return TranslateLabel(QStringLiteral("Assembly contains itself:")) + QLatin1Char(' ')
           + path.join(QStringLiteral(" > "));
}

namespace {

void mergeInto(FlatItem& entry, const FlatItem& line, double multiplier)
{
    const double quantity = entry.quantity + line.quantity * multiplier;
    entry = line;
    entry.quantity = quantity;
    entry.grouping = 0;
}

} // namespace

void AddFlatItem(FlatList& list, const FlatItem& line, double multiplier)
{
    auto it = std::find_if(list.begin(), list.end(), [&](const FlatItem& e) { return e.part == line.part; });
    if (it == list.end()) {
        list.push_back(FlatItem{});
        list.back().part = line.part;
        it = list.end() - 1;
    }
    mergeInto(*it, line, multiplier);
}

FlatListIndex::FlatListIndex(FlatList& list) : m_list(list)
{
    m_positions.reserve(static_cast<qsizetype>(list.size()));
    for (size_t i = 0; i < list.size(); ++i)
        if (!m_positions.contains(list[i].part)) // the first entry of a part is the one merged into
            m_positions.insert(list[i].part, i);
}

void FlatListIndex::add(const FlatItem& line, double multiplier)
{
    auto it = m_positions.constFind(line.part);
    if (it == m_positions.constEnd()) {
        it = m_positions.insert(line.part, m_list.size());
        m_list.push_back(FlatItem{});
        m_list.back().part = line.part;
    }
    mergeInto(m_list[*it], line, multiplier);
}

void ExplodeAssembly(const QueryResult& bom, double multiplier, const QString& assembly, FlatList& list)
{
    const int assy = FindHeading(bom, QStringLiteral("Assy"));
    const int part = FindHeading(bom, QStringLiteral("Part"));
    const int quan = FindHeading(bom, QStringLiteral("Quan"));
    const int manuf = FindHeading(bom, QStringLiteral("Manuf"));
    const int make = FindHeading(bom, QStringLiteral("Make"));
    const int curr = FindHeading(bom, QStringLiteral("Curr"));
    const int dist = FindHeading(bom, QStringLiteral("Dist"));
    const int web = FindHeading(bom, QStringLiteral("Web"));
    const int price = FindHeading(bom, QStringLiteral("Price"));
    const int stock = FindHeading(bom, QStringLiteral("Stock"));
    const int loss = FindHeading(bom, QStringLiteral("Loss"));
    const int desc = FindHeading(bom, QStringLiteral("Desc"));
    const int alloc = FindHeading(bom, QStringLiteral("Alloc"));
    const int onOrder = FindHeading(bom, QStringLiteral("On Order"));
    if (assy < 0)
        return;
    const BomIndex index(bom);
    FlatListIndex flat(list);
    std::function<void(double, const QString&)> explode = [&](double factor, const QString& current) {
        for (const int r : index.rows(current)) {
            FlatItem line;
            line.part = bom.cell(r, part);
            line.quantity = TextToDouble(bom.cell(r, quan));
            line.manufacturer = bom.cell(r, manuf);
            line.distributor = bom.cell(r, dist);
            line.webPage = bom.cell(r, web);
            line.description = bom.cell(r, desc);
            line.currency = bom.cell(r, curr);
            line.stock = TextToDouble(bom.cell(r, stock));
            line.price = TextToDouble(bom.cell(r, price));
            line.allocated = TextToDouble(bom.cell(r, alloc));
            line.onOrder = TextToDouble(bom.cell(r, onOrder));
            line.loss = TextToDouble(bom.cell(r, loss));
            line.make = MakeKind(bom.cell(r, make));
            if (line.make == 0)
                flat.add(line, factor);
            if (index.isAssembly(line.part))
                explode(line.quantity * factor, line.part);
        }
    };
    explode(multiplier, assembly);
}

QString BadBillQuantity(const QueryResult& bom)
{
    const int assy = FindColumn(bom, QStringLiteral("Assy"));
    const int part = FindColumn(bom, QStringLiteral("Part"));
    const struct
    {
        int column;
        const char* name;
    } checked[] = {{FindColumn(bom, QStringLiteral("Quan")), "Quan"},
                   {FindColumn(bom, QStringLiteral("Stock")), "Stock"},
                   {FindColumn(bom, QStringLiteral("Alloc")), "Allocated"}};
    for (int r = 0; r < bom.rowCount; ++r)
        for (const auto& [column, name] : checked) {
            QString error;
            if (column >= 0 && !ParseStoredQuantity(bom.cell(r, column), nullptr, &error))
                return error + QStringLiteral(" (") + (assy >= 0 ? bom.cell(r, assy) : QString()) + QLatin1Char(' ')
                       + (part >= 0 ? bom.cell(r, part) : QString()) + QLatin1Char(' ') + QString::fromLatin1(name)
                       + QLatin1Char(')');
        }
    return {};
}
