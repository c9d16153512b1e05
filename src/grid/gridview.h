#pragma once
// The table grid of the main window: shows any of the nine tables through
// CGridModel, draws its rows in the dark look with pictures and action
// icons, edits cells in place and runs the record commands.
#include "grid/celleditor.h"
#include "grid/gridmodel.h"

#include <QAbstractTableModel>
#include <QTableView>

class CGridTableModel;

class CGridView : public QTableView
{
    Q_OBJECT
public:
    explicit CGridView(QWidget* parent = nullptr);
    ~CGridView() override;

    CGridModel& model() { return m_grid; }
    const CGridModel& model() const { return m_grid; }

    void Load(int table);
    void Reload() { Load(m_grid.table()); }
    // Record commands of the command strip and the tree view (numbering depends on table 0).
    void RecordCommand(int command);
    void Print();
    // Used by the database tree view: finds (row -1) or takes a row, switches assembly, selects it.
    bool ShowAssemblyRow(int row, const QString& assembly, const QString& key);
    // Widths and order of the shown table into ColumnLayout (table switch and shutdown).
    void SaveColumnLayout();

    // Hot zone, editors and commit, reachable for tests and the keyboard.
    bool IsHotCell(const QPoint& viewportPoint) const;
    void OpenEditor(int row, int listColumn);
    void Commit();
    CCellEditor& editor() { return m_editor; }
    QList<int> SelectedRows() const;
    int currentRow() const { return m_row; }
    int currentListColumn() const { return m_column; }

Q_SIGNALS:
    // 1505, 1506 and the table commands 1106..1119 for the main window.
    void parentCommand(int command);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void afterLoad();
    // Width that shows the heading and the cells of the first rows, with
    // room for the hot zone; at least minimum.
    int automaticWidth(int listColumn, int minimum) const;
    void captureLayout();
    void runAction(int row, int listColumn);
    void insertRecord();
    void deleteSelected();
    void chooseColumns();
    void attach(int row, int listColumn, bool picture);
    void moveAndEdit(int row, int listColumn);

    CGridModel m_grid;
    // Per list column the width sized to its content at the last load, 0
    // for a width the user chose: an untouched one stays automatic.
    std::vector<int> m_automaticWidths;
    CGridTableModel* m_tableModel = nullptr;
    CCellEditor m_editor;
    int m_row = -1;
    int m_column = -1;
    int m_previousRow = -1;
    int m_previousColumn = -1;
};
