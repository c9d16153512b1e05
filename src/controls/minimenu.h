#pragma once
// The record command strip: Insert, Delete, Error Check, Columns, Print (and
// Add Assy on the bill of materials), driving the grid's record commands.
#include <QStringList>
#include <QWidget>
#include <vector>

class CMiniMenu : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kItemWidth = 126;
    static constexpr int kHeight = 36;
    static constexpr int kCommandChosen = 1503;

    explicit CMiniMenu(QWidget* parent = nullptr);

    // Builds the items for the table the grid shows.
    void setup(int table);
    // all: every item enabled; otherwise only Insert and Columns (Add Assy and
    // Columns on the bill of materials).
    void setEnabledAll(bool all);

    int itemCount() const { return int(m_items.size()); }
    QString itemLabel(int index) const { return m_items.value(index); }
    bool itemEnabled(int index) const;
    int itemAt(const QPoint& pos) const;
    // The item last released on, -1 before any; read when command() arrives.
    int chosen() const { return m_chosen; }
    int pressedItem() const { return m_pressed; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // Sent with kCommandChosen when an item is chosen.
    void command(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_table = 0;
    QStringList m_items;
    std::vector<bool> m_enabled;
    int m_pressed = -1;
    int m_chosen = -1;
};
