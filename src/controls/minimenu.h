#pragma once
// The record command strip: Insert, Delete, Error Check, Columns, Print (and
// Add Assy on the bill of materials), driving the grid's record commands.
// Items are as wide as their translated labels; a strip narrower than its
// items wraps them onto a second row rather than hiding any.
#include <QStringList>
#include <QWidget>
#include <vector>

class CMiniMenu : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kItemWidth = 126; // the narrowest item; longer labels widen theirs
    static constexpr int kHeight = 36;
    static constexpr int kLabelLeft = 29; // the label starts right of the icon
    static constexpr int kCommandChosen = 1503;

    explicit CMiniMenu(QWidget* parent = nullptr);

    // Builds the items for the table the grid shows.
    void setup(int table);
    // all: every item enabled; otherwise only Insert and Columns (Add Assy and
    // Columns on the bill of materials).
    void setEnabledAll(bool all);
    // A read-only desk: the items that change the shop (Insert, Add Assy,
    // Delete, Refresh) stay disabled whatever the table.
    void setWritable(bool writable);
    bool writable() const { return m_writable; }

    int itemCount() const { return int(m_items.size()); }
    QString itemLabel(int index) const { return m_items.value(index); }
    bool itemEnabled(int index) const;
    int itemAt(const QPoint& pos) const;
    // The item's area: as wide as its icon and translated label need.
    QRect itemRect(int index) const;
    // Labels are measured in the selected language; call after it changes.
    void retranslate();
    // The item last released on, -1 before any; read when command() arrives.
    int chosen() const { return m_chosen; }
    int pressedItem() const { return m_pressed; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int rowCount() const;

Q_SIGNALS:
    // Sent with kCommandChosen when an item is chosen.
    void command(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFont labelFont() const;
    int layoutWidth() const;
    void fitHeight();
    void applyWritable();

    int m_table = 0;
    std::vector<int> m_widths;
    QStringList m_items;
    std::vector<bool> m_enabled;
    int m_pressed = -1;
    int m_chosen = -1;
    bool m_writable = true;
};
