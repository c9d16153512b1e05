#include "controls/minimenu.h"

#include "controls/artwork.h"
#include "core/dictionary.h"
#include "core/tabledefs.h"

#include <QMouseEvent>
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
    m_enabled.assign(size_t(m_items.size()), true);
    m_pressed = -1;
    updateGeometry();
    update();
}

void CMiniMenu::setEnabledAll(bool all)
{
    for (int i = 0; i < itemCount(); ++i) {
        const QString& label = m_items[i];
        const bool keeps = m_table == AssyList ? label == QStringLiteral("Add Assy") || label == QStringLiteral("Columns")
                                               : label == QStringLiteral("Insert") || label == QStringLiteral("Columns");
        m_enabled[size_t(i)] = all || keeps;
    }
    update();
}

bool CMiniMenu::itemEnabled(int index) const
{
    return index >= 0 && index < itemCount() && m_enabled[size_t(index)];
}

int CMiniMenu::itemAt(const QPoint& pos) const
{
    if (pos.x() < 0 || pos.y() < 0 || pos.y() >= height())
        return -1;
    const int index = pos.x() / kItemWidth;
    return index < itemCount() ? index : -1;
}

QSize CMiniMenu::sizeHint() const
{
    return QSize(kItemWidth * itemCount(), kHeight);
}

void CMiniMenu::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int icons = m_table == AssyList ? kArtBomMenuIcons : kArtMiniMenuIcons;
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    font.setBold(true);
    painter.setFont(font);
    for (int i = 0; i < itemCount(); ++i) {
        const int x = kItemWidth * i;
        const bool enabled = m_enabled[size_t(i)];
        const bool pressed = i == m_pressed;
        painter.drawImage(QPoint(x, 0), ArtworkCell(kArtMiniMenuBackgrounds, !enabled ? 2 : pressed ? 1 : 0));
        painter.drawImage(QPoint(x + 5, 6), ArtworkCell(icons, enabled ? i : i + 10));
        painter.setPen(!enabled ? QColor(128, 128, 128) : pressed ? QColor(0, 255, 255) : QColor(255, 255, 255));
        painter.drawText(QRect(x + 29, (height() - 50) / 2, 100, 50), Qt::AlignLeft | Qt::AlignVCenter,
                         Translate(m_items[i]));
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
