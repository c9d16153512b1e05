#pragma once
// The table grid of the main window: shows any of the nine tables through
// CGridModel, draws its rows in the dark look with pictures and action
// icons, edits cells in place and runs the record commands.
//
// Like a spreadsheet: a click selects, the arrows move between cells, a
// double click, F2 or typing starts an edit, Enter stores and moves down,
// Ctrl+Enter stores in every selected row, Esc cancels, Ctrl+Z undoes;
// Delete empties the selected cells, Ctrl+Delete deletes their records,
// Ctrl+C, Ctrl+V and Ctrl+D copy, paste and fill down. A filter box above the rows (Ctrl+F) keeps
// the rows holding a text; a status line below says what the check found.
#include "grid/celleditor.h"
#include "grid/gridmodel.h"

#include <QTableView>

class CFrozenColumns;
class CGridTableModel;
class QLabel;
class QLineEdit;
class QTimer;

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
    // Shows the rows as stored now, keeping the current and selected
    // records where they still exist; false (nothing done) while a cell is
    // being edited, so that the typing is not lost.
    bool RefreshFromStore();
    // Record commands of the command strip and the tree view (numbering depends on table 0).
    void RecordCommand(int command);
    void Print();
    // The sources window's Refresh: the distributors' offers for the parts
    // of the selected rows (two or more), else of every row shown, else of
    // every part with a manufacturer part number.
    void refreshSources();
    // Used by the database tree view: finds (row -1) or takes a row, switches assembly, selects it.
    bool ShowAssemblyRow(int row, const QString& assembly, const QString& key);
    // Widths and order of the shown table into ColumnLayout (table switch and shutdown).
    void SaveColumnLayout();
    // Undoes the last edit of this session (Ctrl+Z).
    void Undo();

    // Hot zone, editors and commit, reachable for tests and the keyboard.
    bool IsHotCell(const QPoint& viewportPoint) const;
    void OpenEditor(int row, int listColumn);
    // Stores the open editor's text; toSelection writes it to every selected row.
    void Commit(bool toSelection = false);
    // Spreadsheet commands on the selected cells: copy as tab-separated
    // lines, paste a block at the top left one (one undo step), fill the
    // first row's values down, empty them.
    void CopyCells();
    void PasteCells(const QString& text);
    void FillDown();
    void ClearCells();
    CCellEditor& editor() { return m_editor; }
    QList<int> SelectedRows() const;
    int currentRow() const { return currentIndex().row(); }
    int currentListColumn() const { return currentIndex().column(); }

    // The filter box and the status line; the filter applies at once here
    // (typing applies it after a short pause).
    QLineEdit* filterBox() const { return m_filterBox; }
    void ApplyFilter(const QString& text);
    QString statusText() const;
    // The columns kept in view when scrolling sideways.
    CFrozenColumns* frozenColumns() const { return m_frozen; }

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

Q_SIGNALS:
    // 1505, 1506 and the table commands 1106..1119 for the main window.
    void parentCommand(int command);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Where-used and replace-everywhere for the part of the row (gridcontextmenu.cpp).
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void afterLoad();
    std::vector<int> selectedColumns() const;
    void refreshCells();
    void afterRowsChanged();
    void showSortIndicator();
    void placeBands();
    void freezeLeadingColumns();
    void showFilterCount();
    // Width that shows the heading and the cells of the first rows, with
    // room for the hot zone; at least minimum.
    int automaticWidth(int listColumn, int minimum) const;
    void captureLayout();
    // A press on a cell of either view: hot zones act, anything else selects.
    void cellPressed(const QModelIndex& index, bool hot, Qt::MouseButton button);
    void runAction(int row, int listColumn);
    bool startEditByTyping(QKeyEvent* event);
    void moveTo(int row, int listColumn);
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
    CFrozenColumns* m_frozen = nullptr;
    CCellEditor m_editor;
    QWidget* m_filterBar = nullptr;
    QLineEdit* m_filterBox = nullptr;
    QLabel* m_filterCount = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_filterDelay = nullptr;
    int m_editRow = -1;
    int m_editColumn = -1;
    bool m_keepingFirst = false;
    // The record of the current cell, kept current when the rows are sorted or filtered.
    long long m_currentId = -1;
};
