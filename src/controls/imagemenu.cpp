#include "controls/imagemenu.h"

#include "controls/artwork.h"
#include "core/dictionary.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

CDoubleBuffer::CDoubleBuffer(QPainter& target, const QRect& rect, const QColor& background)
    : m_target(target)
    , m_rect(rect)
    , m_image(rect.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied)
{
    m_image.fill(background);
    m_painter.begin(&m_image);
    m_painter.translate(-rect.topLeft());
    m_painter.setFont(target.font());
}

CDoubleBuffer::~CDoubleBuffer()
{
    m_painter.end();
    m_target.drawImage(m_rect.topLeft(), m_image);
}

CImageMenu::CImageMenu(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(barHeight());
}

QFont CImageMenu::labelFont() const
{
    QFont font(QStringLiteral("San Serif"));
    font.setStyleHint(QFont::SansSerif);
    // A character cell of about 18 pixels, as the bar was first drawn.
    font.setPixelSize(15);
    font.setBold(true);
    return font;
}

int CImageMenu::textHeight() const
{
    return QFontMetrics(labelFont()).height();
}

int CImageMenu::fullBarHeight() const
{
    const int th = textHeight();
    return 3 * th + th / 2 + 48;
}

int CImageMenu::barHeight() const
{
    return m_compact ? kCompactIcon + 8 : fullBarHeight();
}

bool CImageMenu::compactAt(int width) const
{
    std::vector<ImageMenuEntry> entries = m_entries;
    return layOut(entries, width, false) > 1;
}

QSize CImageMenu::sizeHint() const
{
    int width = 0;
    for (const auto& e : m_entries)
        width += e.width;
    return QSize(width, fullBarHeight());
}

QSize CImageMenu::minimumSizeHint() const
{
    // One icon, so that any width lays every entry out whole.
    return QSize(kCompactEntryWidth, kCompactIcon + 8);
}

int CImageMenu::heightForWidth(int width) const
{
    return compactAt(width) ? rowsForWidth(width) * (kCompactIcon + 8) : fullBarHeight();
}

int CImageMenu::rowsForWidth(int width) const
{
    std::vector<ImageMenuEntry> entries = m_entries;
    const bool compact = compactAt(width);
    return layOut(entries, width, compact);
}

int CImageMenu::layOut(std::vector<ImageMenuEntry>& entries, int width, bool compact)
{
    const auto widthOf = [compact](const ImageMenuEntry& e) {
        return !compact ? e.width : e.image < 0 ? kCompactCaptionWidth : kCompactEntryWidth;
    };
    // A group is its entries and the caption entry that closes it. A group
    // that does not fit in what is left of a row starts the next row; one
    // wider than the bar breaks between its entries. A caption stays with
    // the entry before it.
    int row = 0;
    int x = 0;
    size_t first = 0;
    while (first < entries.size()) {
        size_t end = first;
        int groupWidth = 0;
        while (end < entries.size()) {
            groupWidth += widthOf(entries[end]);
            if (entries[end++].image < 0)
                break;
        }
        if (x > 0 && x + groupWidth > width) {
            ++row;
            x = 0;
        }
        for (size_t i = first; i < end; ++i) {
            ImageMenuEntry& e = entries[i];
            if (x > 0 && e.image >= 0 && x + widthOf(e) > width) {
                ++row;
                x = 0;
            }
            e.x = x;
            e.row = row;
            x += widthOf(e);
        }
        first = end;
    }
    return row + 1;
}

void CImageMenu::applyLayout()
{
    // Until the bar is shown its width is not the window's: one row for now,
    // and the first resize lays it out for real.
    const int available = isVisible() ? width() : sizeHint().width();
    m_compact = compactAt(available);
    m_rows = layOut(m_entries, available, m_compact);
    const int height = m_rows * barHeight();
    if (maximumHeight() != height || minimumHeight() != height)
        setFixedHeight(height);
    update();
}

void CImageMenu::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyLayout();
}

void CImageMenu::retranslate()
{
    const QFontMetrics metrics(labelFont());
    for (ImageMenuEntry& e : m_entries)
        if (e.image >= 0)
            // Even, as the hit rectangle takes an even width.
            e.width = std::max(kEntryWidth, (metrics.horizontalAdvance(Translate(e.label)) + kLabelMargin + 1) / 2 * 2);
    updateGeometry();
    applyLayout();
}

void CImageMenu::setup(const std::vector<std::pair<QString, int>>& entries)
{
    m_entries.clear();
    int image = 0;
    for (const auto& [label, commandId] : entries) {
        ImageMenuEntry e;
        if (label.startsWith(QLatin1Char('&')) || label.endsWith(QLatin1Char('&'))) {
            e.label = QString(label).remove(QLatin1Char('&'));
            e.image = -1;
            e.width = 16;
            e.command = 0;
        } else {
            e.label = label;
            e.command = commandId;
            e.image = image++;
            e.width = kEntryWidth;
        }
        m_entries.push_back(e);
    }
    m_pressed = -1;
    retranslate();
}

int CImageMenu::entryForCommand(int commandId) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].image >= 0 && m_entries[i].command == commandId)
            return int(i);
    return -1;
}

void CImageMenu::setState(int index, int state)
{
    if (index < 0 || index >= entryCount())
        return;
    ImageMenuEntry& e = m_entries[size_t(index)];
    e.selected = state == kStateSelected;
    e.state = state == kStateSelected ? kStateNormal : state;
    update(entryRect(index).adjusted(-4, -4, 4, 4));
}

int CImageMenu::drawnState(int index) const
{
    const ImageMenuEntry& e = m_entries[size_t(index)];
    if (e.selected || e.state == kStateSelected)
        return kStateSelected;
    return e.state;
}

QRect CImageMenu::entryRect(int index) const
{
    if (index < 0 || index >= entryCount())
        return QRect();
    const ImageMenuEntry& e = m_entries[size_t(index)];
    if (m_compact) {
        const int entryWidth = e.image < 0 ? kCompactCaptionWidth : kCompactEntryWidth;
        return QRect(e.x, e.row * barHeight(), entryWidth, barHeight()).adjusted(2, 2, -2, -2);
    }
    const int right = e.x + e.width;
    const int width = (e.width / 2) * 2;
    const int th = textHeight();
    const int top = e.row * barHeight();
    return QRect(QPoint(right - width, top + th / 2), QPoint(right, top + 3 * th + 48)).adjusted(2, 2, -2, -2);
}

int CImageMenu::hitTest(const QPoint& pos) const
{
    for (int i = 0; i < entryCount(); ++i)
        if (m_entries[size_t(i)].image >= 0 && entryRect(i).contains(pos))
            return i;
    return -1;
}

void CImageMenu::drawBackground(QPainter& painter, const QRect& rect) const
{
    for (int row = 0; row < m_rows; ++row) {
        const int top = row * barHeight();
        QLinearGradient gradient(0, top, 0, top + barHeight());
        gradient.setColorAt(0, QColor(128, 128, 128));
        gradient.setColorAt(1, QColor(0, 0, 0));
        painter.fillRect(rect.intersected(QRect(0, top, width(), barHeight())), gradient);
    }
}

void CImageMenu::drawEntry(QPainter& painter, int index) const
{
    const ImageMenuEntry& e = m_entries[size_t(index)];
    const QRect r = entryRect(index);
    if (e.image < 0) {
        // A group caption ends its group with a thin divider.
        const int x = r.center().x();
        painter.setPen(QPen(QColor(0, 0, 0, 160), 1));
        const int bottom = (e.row + 1) * barHeight() - (m_compact ? 2 : 6);
        painter.drawLine(x, r.top() + 4, x, bottom);
        painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
        painter.drawLine(x + 1, r.top() + 4, x + 1, bottom);
        return;
    }
    const int state = drawnState(index);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (state == kStateHover) {
        painter.setPen(QPen(QColor(0, 0, 0), 1));
        painter.setBrush(QColor(128, 128, 150));
        painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    } else if (state == kStateSelected) {
        painter.setPen(QPen(QColor(0, 0, 255), 1));
        painter.setBrush(QColor(0, 0, 128));
        painter.drawRoundedRect(QRectF(r).adjusted(3.5, 3.5, -3.5, -3.5), 10, 10);
    }
    const QImage image = ArtworkCell(kArtCommandBar, e.image);
    if (!e.enabled)
        painter.setOpacity(0.35);
    if (m_compact) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(r.center().x() - kCompactIcon / 2 + 1, r.center().y() - kCompactIcon / 2 + 1,
                                kCompactIcon, kCompactIcon),
                          image);
        painter.setOpacity(1);
        return;
    }
    const int th = textHeight();
    const int top = e.row * barHeight();
    painter.drawImage(QPoint(r.center().x() - 24 + 1, top + th / 2 + 4), image);
    // The entry was made as wide as its label when it was translated.
    const QString label = Translate(e.label);
    painter.setFont(labelFont());
    painter.setPen(Qt::white);
    const QRect labelRect(r.left() - 4, top + th / 2 + 52, r.width() + 8, th + 2);
    painter.drawText(labelRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, label);
    painter.setOpacity(1);
}

void CImageMenu::drawGroupCaptions(QPainter& painter) const
{
    if (m_compact)
        return;
    // Each caption stands centred under the entries of its group.
    QFont font = labelFont();
    font.setPixelSize(13);
    font.setBold(false);
    painter.setFont(font);
    const int th = textHeight();
    const QFontMetrics metrics(font);
    // The caption stands under the part of its group on the caption's row.
    size_t groupFirst = 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const ImageMenuEntry& e = m_entries[i];
        if (e.image >= 0)
            continue;
        int groupStart = e.x;
        for (size_t g = groupFirst; g < i; ++g)
            if (m_entries[g].row == e.row)
                groupStart = std::min(groupStart, m_entries[g].x);
        groupFirst = i + 1;
        const int rowTop = e.row * barHeight();
        const int top = rowTop + 3 * th + 48 - 2;
        const QRect captionRect(groupStart, top, e.x - groupStart, rowTop + barHeight() - top);
        const QString caption = Translate(e.label);
        painter.setPen(QColor(200, 200, 210));
        painter.drawText(captionRect, Qt::AlignCenter, caption);
        const int textWidth = metrics.horizontalAdvance(caption);
        const int y = captionRect.center().y();
        painter.setPen(QPen(QColor(255, 255, 255, 50), 1));
        painter.drawLine(groupStart + 8, y, captionRect.center().x() - textWidth / 2 - 6, y);
        painter.drawLine(captionRect.center().x() + textWidth / 2 + 6, y, e.x - 4, y);
    }
}

void CImageMenu::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    CDoubleBuffer buffer(target, rect(), QColor(0, 0, 0));
    QPainter& painter = buffer.painter();
    drawBackground(painter, rect());
    for (int i = 0; i < entryCount(); ++i)
        drawEntry(painter, i);
    drawGroupCaptions(painter);
}

void CImageMenu::setHover(int index)
{
    for (int i = 0; i < entryCount(); ++i) {
        ImageMenuEntry& e = m_entries[size_t(i)];
        int state = kStateNormal;
        if (i == index && e.enabled)
            state = m_pressed < 0 ? kStateHover : (i == m_pressed ? kStateSelected : kStateNormal);
        if (e.state != state) {
            e.state = state;
            update(entryRect(i).adjusted(-4, -4, 4, 4));
        }
    }
}

void CImageMenu::mouseMoveEvent(QMouseEvent* event)
{
    setHover(hitTest(event->position().toPoint()));
}

void CImageMenu::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = hitTest(event->position().toPoint());
    if (index < 0 || !m_entries[size_t(index)].enabled)
        return;
    m_pressed = index;
    m_entries[size_t(index)].state = kStateSelected;
    update(entryRect(index).adjusted(-4, -4, 4, 4));
}

void CImageMenu::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = hitTest(event->position().toPoint());
    const bool wasPressed = m_pressed >= 0;
    m_pressed = -1;
    if (index < 0)
        return;
    m_entries[size_t(index)].state = kStateNormal;
    update(entryRect(index).adjusted(-4, -4, 4, 4));
    if (wasPressed && m_entries[size_t(index)].enabled)
        Q_EMIT command(m_entries[size_t(index)].command);
}

void CImageMenu::setCommandEnabled(int command, bool enabled)
{
    for (ImageMenuEntry& e : m_entries)
        if (e.command == command && e.image >= 0)
            e.enabled = enabled;
    update();
}

bool CImageMenu::commandEnabled(int command) const
{
    for (const ImageMenuEntry& e : m_entries)
        if (e.command == command && e.image >= 0)
            return e.enabled;
    return false;
}

bool CImageMenu::event(QEvent* event)
{
    // Every entry names itself: the compact bar shows no labels at all.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = hitTest(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), Translate(m_entries[size_t(index)].label), this,
                               entryRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CImageMenu::leaveEvent(QEvent* event)
{
    setHover(-1);
    QWidget::leaveEvent(event);
}

void CImageMenu::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (parentWidget())
        parentWidget()->setFocus();
}
