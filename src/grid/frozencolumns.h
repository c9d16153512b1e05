#pragma once
// The leading columns of the table grid (up to the part number) kept in view
// while the rest scrolls sideways: a second view over the same rows and
// selection, laid over the grid's left edge once the grid scrolls sideways,
// that scrolls only up and down.
#include <QTableView>

class CFrozenColumns : public QTableView
{
    Q_OBJECT
public:
    // Shares grid's model and selection; call setColumns after every load.
    explicit CFrozenColumns(QTableView* grid);

    // Shows these columns of the model (in this order) and hides the rest;
    // none hides the view.
    void setColumns(const std::vector<int>& columns);
    const std::vector<int>& columns() const { return m_columns; }
    bool isFrozen(int column) const;
    // Their total width, 0 when none are frozen.
    int frozenWidth() const;
    // Follows the grid: shown while it is scrolled sideways, widths, sort
    // indicator, geometry.
    void follow();

Q_SIGNALS:
    // Before a press is handled: an open editor is stored first.
    void aboutToPress();
    // A press or double click on a cell, in this view's viewport coordinates.
    void cellPressed(const QModelIndex& index, const QPoint& point, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers);
    void cellDoubleClicked(const QModelIndex& index, const QPoint& point);
    void cellHovered(const QPoint& point);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QTableView* m_grid;
    std::vector<int> m_columns;
};
