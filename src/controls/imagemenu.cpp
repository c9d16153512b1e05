#include "controls/imagemenu.h"

#include "controls/artwork.h"
#include "core/dictionary.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>

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
    font.setPixelSize(18);
    font.setBold(true);
    return font;
}

int CImageMenu::textHeight() const
{
    return QFontMetrics(labelFont()).height();
}

int CImageMenu::barHeight() const
{
    const int th = textHeight();
    return 3 * th + th / 2 + 48;
}

QSize CImageMenu::sizeHint() const
{
    int width = 0;
    for (const auto& e : m_entries)
        width += e.width;
    return QSize(width, barHeight());
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
            e.width = 64;
        }
        m_entries.push_back(e);
    }
    m_pressed = -1;
    setFixedHeight(barHeight());
    update();
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
    int right = 0;
    for (int i = 0; i <= index; ++i)
        right += m_entries[size_t(i)].width;
    const int width = (m_entries[size_t(index)].width / 2) * 2;
    const int th = textHeight();
    return QRect(QPoint(right - width, th / 2), QPoint(right, 3 * th + 48)).adjusted(2, 2, -2, -2);
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
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(128, 128, 128));
    gradient.setColorAt(1, QColor(0, 0, 0));
    painter.fillRect(rect, gradient);
}

void CImageMenu::drawEntry(QPainter& painter, int index) const
{
    const ImageMenuEntry& e = m_entries[size_t(index)];
    const QRect r = entryRect(index);
    if (e.image < 0) {
        // A group caption ends its group with a thin divider.
        const int x = r.center().x();
        painter.setPen(QPen(QColor(0, 0, 0, 160), 1));
        painter.drawLine(x, r.top() + 4, x, height() - 6);
        painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
        painter.drawLine(x + 1, r.top() + 4, x + 1, height() - 6);
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
    const int th = textHeight();
    painter.drawImage(QPoint(r.center().x() - 24 + 1, th / 2 + 4), image);
    // Long labels (and long translations) step down in size rather than run
    // into their neighbours.
    const QString label = Translate(e.label);
    QFont font = labelFont();
    while (font.pixelSize() > 9 && QFontMetrics(font).horizontalAdvance(label) > r.width() + 2)
        font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect labelRect(r.left() - 4, th / 2 + 52, r.width() + 8, th + 2);
    painter.drawText(labelRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, label);
}

void CImageMenu::drawGroupCaptions(QPainter& painter) const
{
    // Each caption stands centred under the entries of its group.
    QFont font = labelFont();
    font.setPixelSize(13);
    font.setBold(false);
    painter.setFont(font);
    const int th = textHeight();
    const int top = 3 * th + 48 - 2;
    int groupStart = 0;
    int x = 0;
    for (const ImageMenuEntry& e : m_entries) {
        if (e.image < 0) {
            const QRect captionRect(groupStart, top, x - groupStart, height() - top);
            painter.setPen(QColor(200, 200, 210));
            painter.drawText(captionRect, Qt::AlignCenter, Translate(e.label));
            const QFontMetrics metrics(font);
            const int textWidth = metrics.horizontalAdvance(Translate(e.label));
            const int y = captionRect.center().y();
            painter.setPen(QPen(QColor(255, 255, 255, 50), 1));
            painter.drawLine(groupStart + 8, y, captionRect.center().x() - textWidth / 2 - 6, y);
            painter.drawLine(captionRect.center().x() + textWidth / 2 + 6, y, x - 4, y);
            groupStart = x + e.width;
        }
        x += e.width;
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
        if (i == index)
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
    if (index < 0)
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
    if (wasPressed)
        Q_EMIT command(m_entries[size_t(index)].command);
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
