#pragma once
// The contents of the assembly tree controls, built from loaded AssyList rows
// and the assembly index; the windows copy them into their tree widgets.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "bom/assemblyindex.h"

struct QueryResult;

struct BomTreeItem
{
    QString text;
    int image = 0;
    qint64 data = 0;         // (index of the assembly) * 256 + running number
    QString assembly;        // the assembly the item belongs to
    QString part;            // the line's part number, empty for an assembly item
    QString step;            // the routing step of a step item
    bool isStep = false;
    bool expandable = false; // a branch not filled yet lies below (see navigationtree.h)
    std::vector<BomTreeItem> children;
};

// Image cells of the navigation tree's image list.
constexpr int kTreeImageBoard = 0;
constexpr int kTreeImageComponent = 1;
constexpr int kTreeImageOther = 2;
constexpr int kTreeImageSubAssembly = 3;
constexpr int kTreeImageWire = 4;
constexpr int kTreeImagePackaging = 7;
constexpr int kTreeImageStep = 9;
constexpr int kTreeImageAssembly = 10;
constexpr int kTreeImageCount = 11;

// Rows of one loaded result grouped by assembly, in row order.
class BomRows
{
public:
    BomRows(const QueryResult& result);
    const std::vector<int>& linesOf(const QString& assembly) const;
    int assyColumn() const { return m_assy; }
    int partColumn() const { return m_part; }

private:
    QHash<QString, std::vector<int>> m_lines;
    int m_assy = -1;
    int m_part = -1;
};

// Collects the assembly paths that lead back into themselves while a tree is
// walked, and reports them once at the end.
class CycleReport
{
public:
    void add(const QStringList& path, const QString& repeated);
    bool empty() const { return m_messages.isEmpty(); }
    const QStringList& messages() const { return m_messages; }
    // One message box naming every cycle met; nothing when there was none.
    void show() const;

private:
    QStringList m_messages;
};

// The filler of the assembly tree controls (report, order dialog): every
// top-level assembly, and under it, depth first, each line that names an
// assembly. A branch that would re-enter an assembly on its own path is listed
// but not expanded again, and reported in cycles.
std::vector<BomTreeItem> AssemblyTreeItems(const QueryResult& result, CycleReport& cycles);

// The navigation panel's assembly view: top-level assemblies with all their
// lines, sub-assemblies expanded in place.
std::vector<BomTreeItem> AssemblyViewItems(const QueryResult& result, CycleReport& cycles);

// The navigation panel's routing view: the assembly hierarchy (assemblies only)
// with the routing steps of each assembly under it.
std::vector<BomTreeItem> RoutingViewItems(const QueryResult& assemblies, const QueryResult& steps,
                                          CycleReport& cycles);

// The navigation tree's image for a part category (last match wins).
int TreeCategoryImage(const QString& category);
