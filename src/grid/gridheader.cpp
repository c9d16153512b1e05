#include "grid/gridheader.h"

CGridHeader::CGridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    // As the table view's own heading row: a click sorts.
    setSectionsClickable(true);
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
    QHeaderView::paintSection(painter, rect.adjusted(0, m_band, 0, 0), logicalIndex);
}
