#pragma once
// CReport: the "Report" dialog: indented and flat bills, the tree window, printing.
#include "controls/dialogstyle.h"

#include "bom/bomreport.h"

class CAssyView;
class QListWidget;
class QTableWidget;
class QTreeWidget;
struct BomTreeItem;

class CReport : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CReport(QWidget* parent = nullptr);

    QTreeWidget* assemblyTree() const { return m_tree; }
    QListWidget* columnChoices() const { return m_choices; }
    QTableWidget* billList() const { return m_bill; }
    CAssyView* treeWindow() const { return m_treeView; }
    const BomReport& report() const { return m_report; }

    // Selects the assembly's first item in the tree; false when it is not there.
    bool selectAssembly(const QString& name);

public Q_SLOTS:
    void produceReport(int mode);
    void showTree();
    void print();
    // The report as shown (its columns, its lines, a flat bill's totals) as
    // an .xlsx workbook; a failure is reported.
    bool exportWorkbook(const QString& path);
    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString selectedAssembly() const;
    void placePanels();
    ReportColumnChoice checkedColumns() const;

    QTreeWidget* m_tree = nullptr;
    QListWidget* m_choices = nullptr;
    QTableWidget* m_bill = nullptr;
    CAssyView* m_treeView = nullptr;
    QWidget* m_assemblyBox = nullptr;
    QWidget* m_columnBox = nullptr;
    BomReport m_report;
};

// Copies tree items into a tree widget; used by every assembly tree control.
class QTreeWidgetItem;
void AddBomTreeItems(QTreeWidget* tree, const std::vector<BomTreeItem>& items);
// The tree-control filler: dark colours, the image list, top-level assemblies
// with their sub-assemblies (cycles are reported once).
void FillAssemblyTreeControl(QTreeWidget* tree, const QueryResult& rows);
QIcon BomTreeIcon(int cell);
