#pragma once
// CDBView: the main window's navigation panel: the assembly and routing trees,
// the details of the selected part or step, and the divider to the grid.
#include <QWidget>

#include "bom/treedetails.h"

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

Q_SIGNALS:
    // Asks the grid to select the row of an assembly (or routing step): row -1
    // searches the key; the assembly becomes the grid's current assembly.
    void showAssemblyRow(int row, const QString& assembly, const QString& key);
    // Asks the grid to run one of its record commands.
    void recordCommand(int command);

private:
    // The details repainted, the part's last changes as their tooltip.
    void showLastChanges();
    void applyItems(QTreeWidget* tree, QTreeWidgetItem* parent, const std::vector<BomTreeItem>& items);
    void selectionChanged(QTreeWidget* tree);
    void showTreeMenu(QTreeWidget* tree, const QPoint& position);
    void updateDividerState();

    QSplitter* m_splitter = nullptr;
    QWidget* m_panel = nullptr;
    QStackedWidget* m_stack = nullptr;
    QTreeWidget* m_assemblyTree = nullptr;
    QTreeWidget* m_routingTree = nullptr;
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
