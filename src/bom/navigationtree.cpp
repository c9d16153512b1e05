#include "bom/navigationtree.h"

#include "bom/assemblyindex.h"
#include "core/format.h"
#include "db/database.h"

#include <functional>

namespace {

// Names quoted for an "in (...)" list; a few hundred at a time keeps every
// statement well inside the libraries' limits.
constexpr int kNamesPerStatement = 500;

qint64 branchBase(const AssemblyGraph& graph, const QString& assembly)
{
    return static_cast<qint64>(graph.lookup().indexOf(assembly)) * 256;
}

void addSubAssemblies(QHash<QString, std::vector<BomTreeItem>>& branches, QHash<QString, int>& running,
                      const QString& assembly, const AssemblyGraph& graph)
{
    std::vector<BomTreeItem>& items = branches[assembly];
    const qint64 base = branchBase(graph, assembly);
    for (const QString& part : graph.subAssemblies(assembly)) {
        BomTreeItem child;
        child.text = part;
        child.assembly = assembly;
        child.part = part;
        child.image = kTreeImageSubAssembly;
        child.data = base + running[assembly]++;
        child.expandable = true;
        items.push_back(std::move(child));
    }
}

} // namespace

bool AssemblyGraph::load()
{
    const QueryResult rows = ReadAssemblyIndexRows();
    const bool read = LastResultCode() == 0;
    build(rows);
    return read;
}

void AssemblyGraph::build(const QueryResult& rows)
{
    RebuildAssemblyIndex(rows);
    m_lookup = AssemblyLookup();
    m_children.clear();
    m_parents.clear();
    const int assyColumn = BomColumn(rows, QStringLiteral("Ass"));
    const int partColumn = BomColumn(rows, QStringLiteral("Part"));
    if (assyColumn < 0 || partColumn < 0)
        return;
    QSet<QString> linked;
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString& assembly = rows.cell(r, assyColumn);
        const QString& part = rows.cell(r, partColumn);
        if (assembly.isEmpty() || !m_lookup.contains(part))
            continue;
        m_children[assembly] << part;
        const QString link = assembly + QLatin1Char('\n') + part;
        if (!linked.contains(link)) {
            linked.insert(link);
            m_parents[part] << assembly;
        }
    }
}

const QStringList& AssemblyGraph::subAssemblies(const QString& assembly) const
{
    static const QStringList none;
    const auto it = m_children.constFind(assembly);
    return it == m_children.constEnd() ? none : *it;
}

QStringList AssemblyGraph::pathTo(const QString& assembly) const
{
    if (!m_lookup.contains(assembly))
        return {};
    const QStringList tops = topLevel();
    const QSet<QString> top(tops.cbegin(), tops.cend());
    // Upwards, breadth first: the shortest way from a top-level assembly.
    QHash<QString, QString> below; // assembly -> the one it was reached from
    QStringList queue{assembly};
    below.insert(assembly, QString());
    for (int i = 0; i < queue.size(); ++i) {
        const QString current = queue[i];
        if (top.contains(current)) {
            QStringList path;
            for (QString step = current; !step.isEmpty(); step = below.value(step))
                path << step;
            return path;
        }
        for (const QString& parent : m_parents.value(current)) {
            if (below.contains(parent))
                continue;
            below.insert(parent, current);
            queue << parent;
        }
    }
    return {};
}

void AssemblyGraph::findCycles(CycleReport& cycles) const
{
    // Each assembly's bill is walked once: a second way into an assembly
    // already cleared finds no new cycle below it.
    QSet<QString> onPath;
    QSet<QString> cleared;
    QStringList path;
    std::function<void(const QString&)> walk = [&](const QString& current) {
        onPath.insert(current);
        path << current;
        for (const QString& child : subAssemblies(current)) {
            if (onPath.contains(child))
                cycles.add(path, child);
            else if (!cleared.contains(child))
                walk(child);
        }
        path.removeLast();
        onPath.remove(current);
        cleared.insert(current);
    };
    for (const QString& name : topLevel())
        walk(name);
}

std::vector<BomTreeItem> TopLevelItems(const AssemblyGraph& graph)
{
    std::vector<BomTreeItem> items;
    for (const QString& name : graph.topLevel()) {
        BomTreeItem item;
        item.text = name;
        item.assembly = name;
        item.image = kTreeImageAssembly;
        item.data = branchBase(graph, name);
        item.expandable = true;
        items.push_back(std::move(item));
    }
    return items;
}

QHash<QString, std::vector<BomTreeItem>> AssemblyBranches(const QStringList& assemblies,
                                                          const AssemblyGraph& graph, bool assembliesOnly)
{
    QHash<QString, std::vector<BomTreeItem>> branches;
    QHash<QString, int> running;
    if (assembliesOnly) {
        for (const QString& assembly : assemblies)
            addSubAssemblies(branches, running, assembly, graph);
        return branches;
    }
    for (const QString& assembly : assemblies)
        branches[assembly];
    for (int from = 0; from < assemblies.size(); from += kNamesPerStatement) {
        for (const BranchLine& line : ReadBranchLines(assemblies.mid(from, kNamesPerStatement))) {
            const QString& assembly = line.assembly;
            const QString& part = line.part;
            const bool isAssembly = graph.isAssembly(part);
            BomTreeItem child;
            child.text = part;
            child.assembly = assembly;
            child.part = part;
            child.data = branchBase(graph, assembly) + running[assembly]++;
            child.image = isAssembly ? kTreeImageSubAssembly : TreeCategoryImage(line.third);
            child.expandable = isAssembly;
            branches[assembly].push_back(std::move(child));
        }
    }
    return branches;
}

QHash<QString, std::vector<BomTreeItem>> RoutingBranches(const QStringList& assemblies, const AssemblyGraph& graph)
{
    QHash<QString, std::vector<BomTreeItem>> branches;
    QHash<QString, int> running;
    for (const QString& assembly : assemblies)
        addSubAssemblies(branches, running, assembly, graph);
    for (int from = 0; from < assemblies.size(); from += kNamesPerStatement) {
        for (const BranchLine& line : ReadBranchSteps(assemblies.mid(from, kNamesPerStatement))) {
            const QString& assembly = line.assembly;
            BomTreeItem step;
            step.isStep = true;
            step.assembly = assembly;
            step.step = line.step;
            step.text = Format("[%s]%s", {step.step, line.third});
            step.image = kTreeImageStep;
            step.data = branchBase(graph, assembly) + running[assembly]++;
            branches[assembly].push_back(std::move(step));
        }
    }
    return branches;
}

QString FindTreeAssembly(const AssemblyGraph& graph, const QString& text, const QString& after)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return {};
    for (const QString& name : {wanted, wanted.toUpper()})
        if (graph.isAssembly(name))
            return name;
    // A part: the first bill that holds it and that the tree can reach.
    if (after.isEmpty()) {
        for (const QString& holder : AssembliesHoldingPart(wanted))
            if (!graph.pathTo(holder).isEmpty())
                return holder;
    }
    const QStringList& names = graph.lookup().names();
    const int start = graph.lookup().indexOf(after) + 1;
    for (int k = 0; k < names.size(); ++k) {
        const QString& name = names[(start + k) % names.size()];
        if (name.contains(wanted, Qt::CaseInsensitive) && !graph.pathTo(name).isEmpty())
            return name;
    }
    return {};
}
