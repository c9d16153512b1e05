#pragma once
// The main window's command bar: a strip of large icon entries with labels,
// grouped by caption entries, with hover, press and a sticky selected state.
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
    int width = 64;
    int state = 0;   // 0 normal, 1 hover, 2 pressed
    bool selected = false; // sticky mark of the table on view
};

class CImageMenu : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kStateNormal = 0;
    static constexpr int kStateHover = 1;
    static constexpr int kStateSelected = 2;

    explicit CImageMenu(QWidget* parent = nullptr);

    // Lays out the entries from (label, command) pairs; a label beginning or
    // ending with "&" is the caption of the group of entries before it.
    void setup(const std::vector<std::pair<QString, int>>& entries);

    int entryCount() const { return int(m_entries.size()); }
    const ImageMenuEntry& entry(int index) const { return m_entries[size_t(index)]; }
    int entryForCommand(int command) const;
    // State 2 marks the entry as selected (it stays marked through hover and
    // clicks until set to another state); 0 and 1 clear the mark.
    void setState(int index, int state);
    // The state drawn: selected or pressed entries draw as 2.
    int drawnState(int index) const;

    // The entry whose rectangle holds pos; -1 for none and for group captions.
    int hitTest(const QPoint& pos) const;
    QRect entryRect(int index) const;
    int textHeight() const;
    int barHeight() const;
    QFont labelFont() const;
    int pressedEntry() const { return m_pressed; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void command(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void drawBackground(QPainter& painter, const QRect& rect) const;
    void drawEntry(QPainter& painter, int index) const;
    void drawGroupCaptions(QPainter& painter) const;
    void setHover(int index);

    std::vector<ImageMenuEntry> m_entries;
    int m_pressed = -1;
};
