#include "controls/printsupport.h"

#include "controls/barcode.h"

#include <QPaintDevice>
#include <algorithm>

QFont PrintFont(double pointSize, bool bold, const QString& family)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void DrawCode39(QPainter& painter, const QRectF& rect, const QString& text)
{
    const double dpiY = painter.device() ? painter.device()->logicalDpiY() : 96;
    // Width of the symbol in narrow elements: a wide one counts three.
    int units = 0;
    for (const QChar element : Code39Encode(text))
        units += element == QLatin1Char('w') ? 3 : 1;
    double pointSize = rect.height() * 0.9 * 72.0 / dpiY;
    const double narrow = std::max(1.0, rect.height() * 0.9 / 16.0);
    if (units * narrow > rect.width())
        pointSize *= rect.width() / (units * narrow);
    const double heightPixels = pointSize * dpiY / 72.0;
    const double width = units * std::max(1.0, heightPixels / 16.0);
    PrintBarcode(text, Qt::black, pointSize, rect.center().x() - width / 2, rect.center().y() - heightPixels / 2,
                 painter);
}

double PixelsPerMm(const QPaintDevice* device)
{
    return device->logicalDpiY() / 25.4;
}
