#include "orders/printsupport.h"

#include <QPaintDevice>

QFont PrintFont(double pointSize, bool bold, const QString& family)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void DrawCode39(QPainter& painter, const QRectF& rect, const QString& text)
{
    painter.save();
    QFont font = PrintFont(14, true, QStringLiteral("Courier"));
    painter.setFont(font);
    painter.drawText(rect, Qt::AlignCenter, QLatin1Char('*') + text + QLatin1Char('*'));
    painter.restore();
}

double PixelsPerMm(const QPaintDevice* device)
{
    return device->logicalDpiY() / 25.4;
}
