#include "grid/gridheader.h"

#include <QPainter>
#include <QPolygonF>

CGridHeader::CGridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    // As the table view's own heading row: a click sorts. The arrow of the
    // sorted column is drawn here, larger than the style's.
    setSectionsClickable(true);
    setSortIndicatorShown(false);
}

void CGridHeader::setBand(int height)
{
    m_band = height;
    updateGeometry();
}

QSize CGridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(size.height() + m_band);
    return size;
}

void CGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const QRect heading = rect.adjusted(0, m_band, 0, 0);
    QHeaderView::paintSection(painter, heading, logicalIndex);
    if (logicalIndex != sortIndicatorSection() || heading.width() < 24)
        return;
    // Pointing up for ascending, down for descending.
    const QPointF centre(heading.right() - 6.5, heading.center().y() + 0.5);
    const double half = 3.5;
    const bool up = sortIndicatorOrder() == Qt::AscendingOrder;
    const QPolygonF arrow = up ? QPolygonF({centre + QPointF(-half, half / 2), centre + QPointF(half, half / 2),
                                            centre + QPointF(0, -half)})
                               : QPolygonF({centre + QPointF(-half, -half / 2), centre + QPointF(half, -half / 2),
                                            centre + QPointF(0, half)});
    painter->save();
    painter->setClipRect(heading);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 220, 220));
    painter->drawPolygon(arrow);
    painter->restore();
}
