#pragma once
// CDBView: the main window's navigation panel: the assembly and routing trees,
// the details of the selected part or step, and the divider to the grid.
#include <QWidget>

#include "bom/navigationtree.h"
#include "bom/treedetails.h"

class QLineEdit;
class QSplitter;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct BomTreeItem;

// Commands between the main window's children.
constexpr int kCommandTreeRefresh = 1505;
constexpr int kCommandGridLoaded = 1506;
constexpr int kCommandRecordChosen = 1503;

class CDBView : public QWidget
{
    Q_OBJECT
public:
    explicit CDBView(QWidget* parent = nullptr);

    // The grid stands right of the divider; without one the view is the panel alone.
    void setGridWidget(QWidget* grid);
    QWidget* gridWidget() const { return m_grid; }

    void showAssemblyView();
    void showRoutingView();

    QTreeWidget* assemblyTree() const { return m_assemblyTree; }
    QLineEdit* searchBox() const { return m_search; }
    QTreeWidget* routingTree() const { return m_routingTree; }
    QWidget* detailsArea() const { return m_details; }
    QSplitter* splitter() const { return m_splitter; }
    QString currentAssembly() const { return m_currentAssembly; }

    enum class Selection { None, Part, Step };
    Selection selection() const { return m_selection; }
    const PartDetails& partDetails() const { return m_part; }
    const StepDetails& stepDetails() const { return m_step; }
    QString selectedPart() const { return m_selectedPart; }
    QString selectedStep() const { return m_selectedStep; }

public Q_SLOTS:
    // 1505 reloads the view of the current table (assemblies or routing).
    void onCommand(int command);
    void refresh();
    // Reads the selected part's or step's values again and repaints them.
    void reloadDetails();
    // Finds an assembly (or the bill that holds a part) by name, or the next
    // assembly whose name holds the text, opens the branches of its path in
    // the tree on view and selects it; false when nothing matches.
    bool findInTree(const QString& text);

Q_SIGNALS:
    // Asks the grid to select the row of an assembly (or routing step): row -1
    // searches the key; the assembly becomes the grid's current assembly.
    void showAssemblyRow(int row, const QString& assembly, const QString& key);
    // Asks the grid to run one of its record commands.
    void recordCommand(int command);

private:
    // Fills the branches in place, level by level: a branch that is open is
    // read again (one statement per level for all of them), one that is
    // closed is emptied, to be read when it is opened.
    void refreshTree(QTreeWidget* tree);
    // The details repainted, the part's last changes as their tooltip.
    void showLastChanges();
    void applyItems(QTreeWidget* tree, QTreeWidgetItem* parent, const std::vector<BomTreeItem>& items);
    void fillBranch(QTreeWidget* tree, QTreeWidgetItem* item);
    QHash<QString, std::vector<BomTreeItem>> branches(QTreeWidget* tree, const QStringList& assemblies) const;
    void selectionChanged(QTreeWidget* tree);
    void showTreeMenu(QTreeWidget* tree, const QPoint& position);
    void updateDividerState();

    QSplitter* m_splitter = nullptr;
    QWidget* m_panel = nullptr;
    QStackedWidget* m_stack = nullptr;
    QTreeWidget* m_assemblyTree = nullptr;
    QTreeWidget* m_routingTree = nullptr;
    QLineEdit* m_search = nullptr;
    AssemblyGraph m_graph;
    QString m_lastSearch; // the text of the last search and what it found
    QString m_lastFound;
    QWidget* m_details = nullptr;
    QWidget* m_grid = nullptr;
    QString m_currentAssembly;
    Selection m_selection = Selection::None;
    PartDetails m_part;
    StepDetails m_step;
    QString m_selectedPart;
    QString m_selectedStep;
    QString m_selectedAssembly;

    friend class DetailsArea;
};
