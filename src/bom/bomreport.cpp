#include "bom/bomreport.h"

#include "bom/assemblyindex.h"
#include "bom/explosion.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"

#include <QSet>

#include <functional>

// Description was added last, so the other keys keep their numbers; the
// report shows it beside the part number (reporttable.cpp).
const char* const kReportKeys[kReportKeyCount] = {"Part",         "Assy",        "Quan",  "Item", "Ref Des",
                                                  "Manufacturer", "Distributor", "Price", "Make", "Picture",
                                                  "Description"};


namespace {

int reportColumn(const QueryResult& result, const QString& key)
{
    const int column = BomColumn(result, key);
    if (column < 0)
        ShowMessage(TranslateLabel(QStringLiteral("Internal Error:Header Not Found:")) + key);
    return column;
}

} // namespace

QString BomReport::title() const
{
    return Translate(mode == kFlatBom ? QStringLiteral("Flat BOM") : QStringLiteral("Indented BOM"));
}

bool BomReport::produce(const QString& assemblyName, int reportMode, const ReportColumnChoice& ticked)
{
    if (assemblyName.isEmpty()) {
        ShowMessage(Translate(QStringLiteral("Make Selection")));
        return false;
    }
    result = ReadReportRows(assemblyName);
    mode = reportMode;
    assembly = assemblyName;
    columns.clear();
    for (int k = 0; k < kReportKeyCount; ++k) {
        if (!ticked[k])
            continue;
        const int column = reportColumn(result, QString::fromUtf8(kReportKeys[k]));
        if (column >= 0)
            columns.push_back(column);
    }
    if (mode == kFlatBom)
        explodeFlat(assemblyName);
    else
        explodeIndented(assemblyName);
    if (!cycles.isEmpty())
        ShowMessage(cycles.join(QLatin1Char('\n')));
    return true;
}

void BomReport::prepare()
{
    lines.clear();
    cycles.clear();
    m_assy = BomColumn(result, QStringLiteral("Assy"));
    m_part = reportColumn(result, QStringLiteral("Part"));
    m_quan = reportColumn(result, QStringLiteral("Quan"));
    // The rows come sorted by assembly, so each assembly's lines are one run.
    m_ranges.clear();
    if (m_assy < 0)
        return;
    for (int r = 0; r < result.rowCount; ++r) {
        const QString& name = result.cell(r, m_assy);
        auto it = m_ranges.find(name);
        if (it == m_ranges.end())
            m_ranges.insert(name, {r, r + 1});
        else if (it->second == r)
            it->second = r + 1;
    }
}

void BomReport::explodeIndented(const QString& name)
{
    prepare();
    mode = kIndentedBom;
    QStringList path;
    indented(name, 0, path);
}

void BomReport::indented(const QString& name, int depth, QStringList& path)
{
    const auto range = m_ranges.value(name, {0, 0});
    path << name;
    for (int r = range.first; r < range.second; ++r) {
        lines.push_back({r, depth, QString()});
        const QString& part = m_part >= 0 ? result.cell(r, m_part) : QString();
        if (!isAssembly(part))
            continue;
        if (path.contains(part)) {
            const QString message = CycleMessage(path, part);
            if (!cycles.contains(message))
                cycles << message;
            continue;
        }
        indented(part, depth + 1, path);
    }
    path.removeLast();
}

void BomReport::explodeFlat(const QString& name)
{
    prepare();
    mode = kFlatBom;
    m_flatBills.clear();
    if (!flatByUses(name)) {
        QStringList path;
        const FlatBill bill = flat(name, path);
        for (const FlatEntry& entry : bill.entries)
            lines.push_back({entry.row, entry.total, entry.part});
    }
    // The bill shows totals, not the quantities of single lines.
    if (m_quan >= 0)
        for (const ReportLine& line : lines)
            result.setCell(line.row, m_quan, Format("%i", {line.number}));
}

// The flat bill of a bill free of cycles, each assembly's lines read once: a
// walk that enters every assembly on its first use only meets the parts in the
// order of the full walk, and each part's total is the sum, over the lines
// naming it, of the line's quantity times the units of its assembly in one
// unit of the whole, counted in topological order. False, with nothing
// produced, when the bill contains itself; flat() then cuts and reports.
bool BomReport::flatByUses(const QString& name)
{
    auto quantity = [this](int r) -> long long { return m_quan >= 0 ? TextToInt(result.cell(r, m_quan)) : 0; };
    auto partOf = [this](int r) { return m_part >= 0 ? result.cell(r, m_part) : QString(); };
    QHash<QString, int> state; // 1 while on the path, 2 when walked
    std::vector<QString> finished; // in the order the walk left them
    std::vector<FlatEntry> entries;
    QHash<QString, int> positions;
    bool cycle = false;
    std::function<void(const QString&)> walk = [&](const QString& current) {
        state.insert(current, 1);
        const auto range = m_ranges.value(current, {0, 0});
        for (int r = range.first; r < range.second && !cycle; ++r) {
            const QString part = partOf(r);
            if (!isAssembly(part)) {
                if (!positions.contains(part)) {
                    positions.insert(part, static_cast<int>(entries.size()));
                    entries.push_back({part, r, 0});
                }
                continue;
            }
            const int seen = state.value(part);
            if (seen == 1)
                cycle = true;
            else if (seen == 0)
                walk(part);
        }
        state.insert(current, 2);
        finished.push_back(current);
    };
    walk(name);
    if (cycle)
        return false;
    QHash<QString, long long> units;
    units.insert(name, 1);
    for (auto it = finished.rbegin(); it != finished.rend(); ++it) {
        const long long each = units.value(*it);
        const auto range = m_ranges.value(*it, {0, 0});
        for (int r = range.first; r < range.second; ++r) {
            const QString part = partOf(r);
            if (isAssembly(part))
                units[part] += each * quantity(r);
            else
                entries[static_cast<size_t>(positions.value(part))].total += each * quantity(r);
        }
    }
    for (const FlatEntry& entry : entries)
        lines.push_back({entry.row, entry.total, entry.part});
    return true;
}

// The flat bill of one unit of an assembly. A sub-assembly's bill is the same
// wherever it is used, so it is worked out once and scaled by each use: totals
// are sums of products of whole quantities, and scaling keeps them exact and
// keeps the order in which parts are first met.
BomReport::FlatBill BomReport::flat(const QString& name, QStringList& path)
{
    const auto cached = m_flatBills.constFind(name);
    if (cached != m_flatBills.constEnd())
        return *cached;
    FlatBill bill;
    QHash<QString, int> positions;
    auto merge = [&](const QString& part, int row, long long quantity) {
        const auto it = positions.constFind(part);
        if (it != positions.constEnd()) {
            bill.entries[*it].total += quantity;
            return;
        }
        positions.insert(part, static_cast<int>(bill.entries.size()));
        bill.entries.push_back({part, row, quantity});
    };
    const auto range = m_ranges.value(name, {0, 0});
    path << name;
    for (int r = range.first; r < range.second; ++r) {
        const QString& part = m_part >= 0 ? result.cell(r, m_part) : QString();
        const long long q = m_quan >= 0 ? TextToInt(result.cell(r, m_quan)) : 0;
        if (!isAssembly(part)) {
            merge(part, r, q);
            continue;
        }
        if (path.contains(part)) {
            const QString message = CycleMessage(path, part);
            if (!cycles.contains(message))
                cycles << message;
            bill.complete = false;
            continue;
        }
        const FlatBill sub = flat(part, path);
        if (!sub.complete)
            bill.complete = false;
        for (const FlatEntry& entry : sub.entries)
            merge(entry.part, entry.row, entry.total * q);
    }
    path.removeLast();
    if (bill.complete)
        m_flatBills.insert(name, bill);
    return bill;
}

QString BomReport::columnName(int listColumn) const
{
    if (listColumn < 0 || listColumn >= static_cast<int>(columns.size()))
        return QString();
    return ToColumnName(result.headings[columns[listColumn]]);
}

QString BomReport::cellText(int line, int listColumn) const
{
    if (line < 0 || line >= static_cast<int>(lines.size()) || listColumn < 0 ||
        listColumn >= static_cast<int>(columns.size()))
        return QString();
    const int column = columns[listColumn];
    const QString& text = result.cell(lines[line].row, column);
    if (mode == kIndentedBom && column == m_part)
        return QString(static_cast<int>(3 * lines[line].number), QLatin1Char(' ')) + text;
    return text;
}

bool BomReport::isPictureColumn(int listColumn) const
{
    return columnName(listColumn).contains(QLatin1String("Pict"));
}
