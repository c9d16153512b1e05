#pragma once
// A light grid for dialogs: shows and edits rows the owner holds in memory
// (SmallGridRecord) and never touches the database. The purchase order uses
// it for its lines (editable), the import dialog to show data.
#include "grid/celleditor.h"
#include "grid/smallgridrecord.h"

#include <QTableWidget>

class CSmallGrid : public QTableWidget
{
    Q_OBJECT
public:
    explicit CSmallGrid(QWidget* parent = nullptr);

    SmallGridRecord& record() { return m_record; }
    const SmallGridRecord& record() const { return m_record; }

    // Rebuilds the list from the record; call after changing the record.
    void Fill();
    // Stores the open editor's text into the record.
    void Commit();
    void InsertRow(int position);
    void DeleteSelectedRows();
    // Sum of the amounts, valid after command 1093.
    double total() const { return m_total; }

    // Opens the editor on a cell as a click would (used by keys and tests).
    void OpenEditor(int row, int column);
    CCellEditor& editor() { return m_editor; }
    QList<int> selectedRowNumbers() const;

    // The row popup's entries, as CSelect returns them.
    static constexpr int kRowInsertUp = 0;
    static constexpr int kRowInsertBelow = 1;
    static constexpr int kRowDelete = 2;
    // What choosing an entry of the row popup over row does (-1: nothing).
    void RunRowCommand(int choice, int row);

Q_SIGNALS:
    // 1093 after the amounts were recomputed.
    void command(int command);
    // 1106 to 1109: the main window should show that table.
    void mainWindowCommand(int command);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    bool isHot(int column, const QPoint& point, int row) const;
    void runAction(int row, int column);
    void recomputeAmounts();
    void moveAndEdit(int row, int column);

    SmallGridRecord m_record;
    CCellEditor m_editor;
    int m_row = -1;
    int m_column = -1;
    int m_previousRow = -1;
    int m_previousColumn = -1;
    double m_total = 0;
};
