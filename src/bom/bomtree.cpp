#include "bom/bomtree.h"

#include "core/appstate.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/parts.h"

BomRows::BomRows(const QueryResult& result)
{
    m_assy = BomColumn(result, QStringLiteral("Ass"));
    m_part = BomColumn(result, QStringLiteral("Part"));
    if (m_assy < 0)
        return;
    for (int r = 0; r < result.rowCount; ++r)
        m_lines[result.cell(r, m_assy)].push_back(r);
}

const std::vector<int>& BomRows::linesOf(const QString& assembly) const
{
    static const std::vector<int> none;
    const auto it = m_lines.constFind(assembly);
    return it == m_lines.constEnd() ? none : *it;
}

void CycleReport::add(const QStringList& path, const QString& repeated)
{
    const QString message = CycleMessage(path, repeated);
    if (!m_messages.contains(message))
        m_messages << message;
}

void CycleReport::show() const
{
    if (!m_messages.isEmpty())
        ShowMessage(m_messages.join(QLatin1Char('\n')));
}

int TreeCategoryImage(const QString& category)
{
    const QString text = category.toUpper();
    int image = kTreeImageOther;
    if (text.contains(QLatin1String("PCB")))
        image = kTreeImageBoard;
    if (text.contains(QLatin1String("CIRCUIT BOARD")))
        image = kTreeImageBoard;
    if (text.contains(QLatin1String("WIRE")))
        image = kTreeImageWire;
    if (text.contains(QLatin1String("CABLE")))
        image = kTreeImageWire;
    if (text.contains(QLatin1String("PACKAGING")))
        image = kTreeImagePackaging;
    if (text.contains(QLatin1String("SHIPPING")))
        image = kTreeImagePackaging;
    if (text.contains(QLatin1String("COMPONENT")))
        image = kTreeImageComponent;
    return image;
}

namespace {

// Walks the lines of one assembly under its item. The path holds the
// assemblies from the root down to the one being filled, so a line that names
// one of them is a cycle: it is listed but not expanded.
struct TreeWalk
{
    const QueryResult& result;
    const BomRows& rows;
    const AssemblyLookup& index;
    CycleReport& cycles;
    bool assembliesOnly;
    QStringList path;
    QHash<QString, QString> categories; // part -> category of its first loaded row
    int categoryColumn = -1;

    QString categoryOf(const QString& part)
    {
        const auto it = categories.constFind(part);
        if (it != categories.constEnd())
            return *it;
        const QString category = ReadPartRecord(part).category;
        categories.insert(part, category);
        return category;
    }

    void fill(BomTreeItem& item, const QString& assembly)
    {
        path << assembly;
        const qint64 base = static_cast<qint64>(index.indexOf(assembly)) * 256;
        int running = 0;
        for (int r : rows.linesOf(assembly)) {
            const QString& part = rows.partColumn() >= 0 ? result.cell(r, rows.partColumn()) : QString();
            const bool isAssembly = index.contains(part);
            if (assembliesOnly && !isAssembly)
                continue;
            BomTreeItem child;
            child.text = part;
            child.assembly = assembly;
            child.part = part;
            child.data = base + running++;
            child.image = isAssembly ? kTreeImageSubAssembly : TreeCategoryImage(categoryOf(part));
            if (isAssembly) {
                if (path.contains(part))
                    cycles.add(path, part);
                else
                    fill(child, part);
            }
            item.children.push_back(std::move(child));
        }
        path.removeLast();
    }
};

std::vector<BomTreeItem> walkTopLevel(const QueryResult& result, CycleReport& cycles, bool assembliesOnly,
                                      int topImage)
{
    const AssemblyLookup index;
    const BomRows rows(result);
    TreeWalk walk{result, rows, index, cycles, assembliesOnly, {}, {}, -1};
    const int parColumn = BomColumn(result, QStringLiteral("Par"));
    walk.categoryColumn = BomColumn(result, QStringLiteral("Cat"));
    if (parColumn >= 0 && walk.categoryColumn >= 0)
        for (int r = 0; r < result.rowCount; ++r)
            if (!walk.categories.contains(result.cell(r, parColumn)))
                walk.categories.insert(result.cell(r, parColumn), result.cell(r, walk.categoryColumn));
    std::vector<BomTreeItem> items;
    for (const QString& name : index.topLevel()) {
        BomTreeItem item;
        item.text = name;
        item.assembly = name;
        item.image = topImage;
        item.data = static_cast<qint64>(index.indexOf(name)) * 256;
        walk.fill(item, name);
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

std::vector<BomTreeItem> AssemblyTreeItems(const QueryResult& result, CycleReport& cycles)
{
    return walkTopLevel(result, cycles, true, kTreeImageAssembly);
}

std::vector<BomTreeItem> AssemblyViewItems(const QueryResult& result, CycleReport& cycles)
{
    return walkTopLevel(result, cycles, false, kTreeImageAssembly);
}

namespace {

void addSteps(BomTreeItem& item, const QHash<QString, std::vector<int>>& stepsByAssy, const QueryResult& steps,
              int stepColumn, int descColumn, const AssemblyLookup& index)
{
    for (BomTreeItem& child : item.children)
        addSteps(child, stepsByAssy, steps, stepColumn, descColumn, index);
    const QString assembly = item.part.isEmpty() ? item.assembly : item.part;
    const qint64 base = static_cast<qint64>(index.indexOf(assembly)) * 256;
    int running = static_cast<int>(item.children.size());
    for (int r : stepsByAssy.value(assembly)) {
        BomTreeItem step;
        step.isStep = true;
        step.assembly = assembly;
        step.step = stepColumn >= 0 ? steps.cell(r, stepColumn) : QString();
        const QString description = descColumn >= 0 ? steps.cell(r, descColumn) : QString();
        step.text = Format("[%s]%s", {step.step, description});
        step.image = kTreeImageStep;
        step.data = base + running++;
        item.children.push_back(std::move(step));
    }
}

} // namespace

std::vector<BomTreeItem> RoutingViewItems(const QueryResult& assemblies, const QueryResult& steps,
                                          CycleReport& cycles)
{
    if (App().assemblyNames.isEmpty())
        RebuildAssemblyIndex(assemblies);
    std::vector<BomTreeItem> items = walkTopLevel(assemblies, cycles, true, kTreeImageAssembly);
    const AssemblyLookup index;
    const int assyColumn = BomColumn(steps, QStringLiteral("Ass"));
    const int stepColumn = BomColumn(steps, QStringLiteral("Step"));
    const int descColumn = BomColumn(steps, QStringLiteral("Desc"));
    QHash<QString, std::vector<int>> stepsByAssy;
    if (assyColumn >= 0)
        for (int r = 0; r < steps.rowCount; ++r)
            stepsByAssy[steps.cell(r, assyColumn)].push_back(r);
    for (BomTreeItem& item : items)
        addSteps(item, stepsByAssy, steps, stepColumn, descColumn, index);
    return items;
}
