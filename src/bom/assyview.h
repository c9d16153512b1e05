#pragma once
// CAssyView: the scrollable "Tree View" window that draws the assembly tree chart.
#include <QDialog>

#include "bom/treelayout.h"

class QScrollBar;

class CAssyView : public QDialog
{
    Q_OBJECT
public:
    explicit CAssyView(QWidget* parent = nullptr);

    // Empty: every top-level assembly.
    void setSelectedAssembly(const QString& name) { m_layout.selectedAssembly = name; }
    // Lays the chart out again and repaints.
    void buildTree();
    // Prints the chart on one page through the print dialog.
    void print();

    const TreeLayout& layout() const { return m_layout; }
    QPoint scrollOffset() const;
    // The chart as the window shows it (for the tests and screenshots).
    void paintChart(QPainter& painter, const QRect& client) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setScrollRanges();

    TreeLayout m_layout;
    QWidget* m_canvas = nullptr;
    QScrollBar* m_horizontal = nullptr;
    QScrollBar* m_vertical = nullptr;
};
