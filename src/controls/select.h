#pragma once
// A popup list that returns the index of the item chosen, -1 for none.
#include <QDialog>
#include <QStringList>

class CSelect : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 22;
    static constexpr int kStripWidth = 26;

    // anchor is in the reference window's coordinates; the popup keeps inside
    // the reference window's bottom edge.
    CSelect(const QStringList& items, const QPoint& anchor, QWidget* reference);

    // Runs the popup modally and returns the chosen index or -1.
    static int Run(const QStringList& items, const QPoint& anchor, QWidget* reference);

    // The item at height y inside the popup, -1 when none.
    int itemAt(int y) const;
    int chosen() const { return m_chosen; }
    QFont itemFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList m_items;
    int m_chosen = -1;
    int m_hover = -1;
};
