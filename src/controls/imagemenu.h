#pragma once
// The main window's command bar: a strip of large icon entries with labels,
// grouped by caption entries, with hover, press and a sticky selected state.
// Each entry is as wide as its translated label; when the window is too
// narrow for them in one row the bar shows small icons alone, their labels
// as tooltips, and wraps only when even those do not fit (a whole group at a
// time where it can), so every command stays in reach.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>
#include <vector>

// Paints into an off-screen image the size of a rectangle and copies it to
// the target painter when it goes out of scope, so a bar repaints without
// flicker.
class CDoubleBuffer
{
public:
    CDoubleBuffer(QPainter& target, const QRect& rect, const QColor& background);
    ~CDoubleBuffer();
    CDoubleBuffer(const CDoubleBuffer&) = delete;
    CDoubleBuffer& operator=(const CDoubleBuffer&) = delete;

    QPainter& painter() { return m_painter; }

private:
    QPainter& m_target;
    QRect m_rect;
    QImage m_image;
    QPainter m_painter;
};

struct ImageMenuEntry
{
    QString label;   // without the "&" of a group caption
    int command = 0; // 0 for a group caption
    int image = -1;  // -1 for a group caption
    int width = 64;  // 16 for a group caption; wider for a long translated label
    int x = 0;       // left edge in the row it was laid out in
    int row = 0;
    int state = 0;   // 0 normal, 1 hover, 2 pressed
    bool selected = false; // sticky mark of the table on view
    bool enabled = true;   // a disabled entry is drawn faded and sends nothing
};

class CImageMenu : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kStateNormal = 0;
    static constexpr int kStateHover = 1;
    static constexpr int kStateSelected = 2;
    static constexpr int kEntryWidth = 64;  // the narrowest entry: the image and a short label
    static constexpr int kLabelMargin = 16; // beside a label that widens its entry
    // The compact bar of a narrow window: icons of this size, no labels.
    static constexpr int kCompactIcon = 32;
    static constexpr int kCompactEntryWidth = 40;
    static constexpr int kCompactCaptionWidth = 10;

    explicit CImageMenu(QWidget* parent = nullptr);

    // Lays out the entries from (label, command) pairs; a label beginning or
    // ending with "&" is the caption of the group of entries before it.
    void setup(const std::vector<std::pair<QString, int>>& entries);

    int entryCount() const { return int(m_entries.size()); }
    const ImageMenuEntry& entry(int index) const { return m_entries[size_t(index)]; }
    int entryForCommand(int command) const;
    // Measures the labels again in the selected language and lays the bar out.
    void retranslate();
    // Rows the bar needs at a width, and the height of one row.
    int rowsForWidth(int width) const;
    int rowCount() const { return m_rows; }
    // State 2 marks the entry as selected (it stays marked through hover and
    // clicks until set to another state); 0 and 1 clear the mark.
    void setState(int index, int state);
    // Enables or disables the entries of a command (a read-only desk's
    // writing commands): disabled, they are drawn faded and never sent.
    void setCommandEnabled(int command, bool enabled);
    bool commandEnabled(int command) const;
    // The state drawn: selected or pressed entries draw as 2.
    int drawnState(int index) const;

    // The entry whose rectangle holds pos; -1 for none and for group captions.
    int hitTest(const QPoint& pos) const;
    QRect entryRect(int index) const;
    int textHeight() const;
    // Height of one row of the bar as it is laid out now.
    int barHeight() const;
    // True while the bar shows icons alone.
    bool isCompact() const { return m_compact; }
    QFont labelFont() const;
    int pressedEntry() const { return m_pressed; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

Q_SIGNALS:
    void command(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void drawBackground(QPainter& painter, const QRect& rect) const;
    void drawEntry(QPainter& painter, int index) const;
    void drawGroupCaptions(QPainter& painter) const;
    void setHover(int index);
    // Places the entries in rows for the width; returns the number of rows.
    static int layOut(std::vector<ImageMenuEntry>& entries, int width, bool compact);
    // Whether the bar at that width shows icons alone, and its rows then.
    bool compactAt(int width) const;
    int fullBarHeight() const;
    void applyLayout();

    std::vector<ImageMenuEntry> m_entries;
    int m_pressed = -1;
    int m_rows = 1;
    bool m_compact = false;
};
