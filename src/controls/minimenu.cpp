#include "controls/minimenu.h"

#include "controls/artwork.h"
#include "core/dictionary.h"
#include "core/tabledefs.h"

#include <QMouseEvent>
#include <QResizeEvent>

#include <algorithm>
#include <QPainter>

CMiniMenu::CMiniMenu(QWidget* parent)
    : QWidget(parent)
{
    setFixedHeight(kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setup(AssyList);
}

void CMiniMenu::setup(int table)
{
    m_table = table;
    if (table == AssyList)
        m_items = {QStringLiteral("Insert"), QStringLiteral("Add Assy"), QStringLiteral("Delete"),
                   QStringLiteral("Error Check"), QStringLiteral("Columns"), QStringLiteral("Print")};
    else
        m_items = {QStringLiteral("Insert"), QStringLiteral("Delete"), QStringLiteral("Error Check"),
                   QStringLiteral("Columns"), QStringLiteral("Print")};
    // Where parts are bought is reached from the parts, and the breaks from their sources.
    if (table == PartList)
        m_items << QStringLiteral("Sources") << QStringLiteral("Currency Rates");
    else if (table == SrcList)
        m_items << QStringLiteral("Price Breaks") << QStringLiteral("Refresh");
    m_enabled.assign(size_t(m_items.size()), true);
    applyWritable();
    m_pressed = -1;
    retranslate();
}

QFont CMiniMenu::labelFont() const
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

void CMiniMenu::retranslate()
{
    const QFontMetrics metrics(labelFont());
    m_widths.clear();
    for (const QString& item : m_items)
        m_widths.push_back(std::max(kItemWidth, kLabelLeft + metrics.horizontalAdvance(Translate(item)) + 12));
    updateGeometry();
    fitHeight();
    update();
}

int CMiniMenu::layoutWidth() const
{
    // Before it is shown the strip has no width of its own: one row.
    return isVisible() ? width() : sizeHint().width();
}

QRect CMiniMenu::itemRect(int index) const
{
    if (index < 0 || index >= itemCount())
        return QRect();
    const int available = layoutWidth();
    int x = 0;
    int row = 0;
    for (int i = 0;; ++i) {
        const int w = m_widths[size_t(i)];
        if (x > 0 && x + w > available) {
            ++row;
            x = 0;
        }
        if (i == index)
            return QRect(x, row * kHeight, w, kHeight);
        x += w;
    }
}

int CMiniMenu::rowCount() const
{
    return itemCount() > 0 ? itemRect(itemCount() - 1).bottom() / kHeight + 1 : 1;
}

void CMiniMenu::fitHeight()
{
    const int height = rowCount() * kHeight;
    if (minimumHeight() != height || maximumHeight() != height)
        setFixedHeight(height);
}

void CMiniMenu::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitHeight();
}

void CMiniMenu::setEnabledAll(bool all)
{
    for (int i = 0; i < itemCount(); ++i) {
        const QString& label = m_items[i];
        const bool keeps = m_table == AssyList ? label == QStringLiteral("Add Assy") || label == QStringLiteral("Columns")
                                               : label == QStringLiteral("Insert") || label == QStringLiteral("Columns");
        m_enabled[size_t(i)] = all || keeps;
    }
    applyWritable();
    update();
}

namespace {

// The items that change the shop.
bool writes(const QString& label)
{
    return label == QLatin1String("Insert") || label == QLatin1String("Add Assy") || label == QLatin1String("Delete")
           || label == QLatin1String("Refresh");
}

} // namespace

void CMiniMenu::setWritable(bool writable)
{
    m_writable = writable;
    setup(m_table);
}

void CMiniMenu::applyWritable()
{
    if (m_writable)
        return;
    for (int i = 0; i < itemCount(); ++i)
        if (writes(m_items[i]))
            m_enabled[size_t(i)] = false;
}

bool CMiniMenu::itemEnabled(int index) const
{
    return index >= 0 && index < itemCount() && m_enabled[size_t(index)];
}

int CMiniMenu::itemAt(const QPoint& pos) const
{
    if (pos.x() < 0 || pos.y() < 0 || pos.y() >= height())
        return -1;
    for (int i = 0; i < itemCount(); ++i)
        if (itemRect(i).contains(pos))
            return i;
    return -1;
}

QSize CMiniMenu::sizeHint() const
{
    int width = 0;
    for (const int w : m_widths)
        width += w;
    return QSize(width, kHeight);
}

QSize CMiniMenu::minimumSizeHint() const
{
    int width = 0;
    for (const int w : m_widths)
        width = std::max(width, w);
    return QSize(width, kHeight);
}

void CMiniMenu::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int icons = m_table == AssyList ? kArtBomMenuIcons : kArtMiniMenuIcons;
    painter.setFont(labelFont());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (int i = 0; i < itemCount(); ++i) {
        const QRect item = itemRect(i);
        const bool enabled = m_enabled[size_t(i)];
        const bool pressed = i == m_pressed;
        // The background stretches to the item, which a long label widens.
        painter.drawImage(item, ArtworkCell(kArtMiniMenuBackgrounds, !enabled ? 2 : pressed ? 1 : 0));
        painter.drawImage(QPoint(item.x() + 5, item.y() + 6), ArtworkCell(icons, enabled ? i : i + 10));
        painter.setPen(!enabled ? QColor(128, 128, 128) : pressed ? QColor(0, 255, 255) : QColor(255, 255, 255));
        painter.drawText(QRect(item.x() + kLabelLeft, item.y(), item.width() - kLabelLeft - 4, item.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, Translate(m_items[i]));
    }
}

void CMiniMenu::mousePressEvent(QMouseEvent* event)
{
    const int index = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && itemEnabled(index)) {
        m_pressed = index;
        update();
    }
}

void CMiniMenu::mouseReleaseEvent(QMouseEvent* event)
{
    const int index = itemAt(event->position().toPoint());
    const bool chosen = event->button() == Qt::LeftButton && index >= 0 && index == m_pressed && itemEnabled(index);
    m_pressed = -1;
    update();
    if (chosen) {
        m_chosen = index;
        Q_EMIT command(kCommandChosen);
    }
}
