#pragma once
// The assembly trees filled a branch at a time: the index of assemblies and
// the assembly-to-sub-assembly links are read once (two columns of AssyList,
// no join), and a branch's lines are read, through the index on
// AssyList.Assy, when the branch is opened. A product shared along many paths
// thus costs nothing until someone opens one of them.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "bom/bomtree.h"

class AssemblyGraph
{
public:
    // Reads every line's assembly and part in the order the navigation view
    // lists them and rebuilds App()'s assembly index from them; false when the
    // read failed (the database layer has said why).
    bool load();
    // The same from loaded rows with an "Ass" and a "Part" column.
    void build(const QueryResult& rows);

    bool isAssembly(const QString& name) const { return m_lookup.contains(name); }
    const AssemblyLookup& lookup() const { return m_lookup; }
    // The top-level assemblies in index order.
    QStringList topLevel() const { return m_lookup.topLevel(); }
    // The lines of the assembly that name an assembly, in line order, repeats kept.
    const QStringList& subAssemblies(const QString& assembly) const;
    // A path of assemblies from a top-level one down to the assembly, the
    // assembly last; empty when it is no assembly or no top-level one reaches it.
    QStringList pathTo(const QString& assembly) const;
    // Every cycle reachable from a top-level assembly, each named once by the
    // path on which a depth-first walk meets it.
    void findCycles(CycleReport& cycles) const;

private:
    AssemblyLookup m_lookup;
    QHash<QString, QStringList> m_children;
    QHash<QString, QStringList> m_parents; // distinct, first use first
};

// The top-level items of a tree: one per top-level assembly, nothing below
// them yet (expandable says a branch is there to open).
std::vector<BomTreeItem> TopLevelItems(const AssemblyGraph& graph);

// The items of the branches of the assemblies, read in one statement: every
// line of each (assembliesOnly: the lines that name an assembly), numbered as
// the whole tree numbers them. A line naming an assembly is expandable; the
// caller, which knows the path above the branch, lists one that names an
// assembly on that path without opening it.
QHash<QString, std::vector<BomTreeItem>> AssemblyBranches(const QStringList& assemblies,
                                                          const AssemblyGraph& graph, bool assembliesOnly);

// The routing view's branches: the sub-assemblies (as above) and then the
// routing steps of each assembly.
QHash<QString, std::vector<BomTreeItem>> RoutingBranches(const QStringList& assemblies, const AssemblyGraph& graph);

// The assembly the search text finds: an assembly of that name, else (when
// not searching on from `after`) the first bill that holds a part of that
// name (read from the database), else the first assembly whose name holds
// the text (letter case aside) after `after` in index order, wrapping
// around. Only assemblies a top-level one reaches; empty when none.
QString FindTreeAssembly(const AssemblyGraph& graph, const QString& text, const QString& after = QString());
