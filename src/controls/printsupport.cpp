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

FittedColumns FitColumns(const std::vector<double>& natural, const std::vector<double>& minimum, double available,
                         double minimumScale)
{
    FittedColumns fitted;
    double total = 0;
    for (double width : natural)
        total += width;
    fitted.widths = natural;
    if (total <= available || total <= 0 || available <= 0)
        return fitted;
    fitted.scale = std::max(minimumScale, available / total);
    std::vector<double> floor(natural.size(), 0.0);
    for (size_t c = 0; c < natural.size(); ++c) {
        fitted.widths[c] = natural[c] * fitted.scale;
        floor[c] = std::min(fitted.widths[c], c < minimum.size() ? minimum[c] * fitted.scale : 0.0);
    }
    auto widthAtCap = [&](double cap) {
        double sum = 0;
        for (size_t c = 0; c < natural.size(); ++c)
            sum += std::max(floor[c], std::min(fitted.widths[c], cap));
        return sum;
    };
    double floors = 0;
    for (double width : floor)
        floors += width;
    if (widthAtCap(0) > available) {
        // Not even the shortest words fit: every column gives up its share.
        for (size_t c = 0; c < natural.size(); ++c)
            fitted.widths[c] = floors > 0 ? floor[c] * available / floors : available / natural.size();
        fitted.wraps = true;
        return fitted;
    }
    if (widthAtCap(*std::max_element(fitted.widths.begin(), fitted.widths.end())) <= available)
        return fitted;
    // The common width of the widest columns, found by halving.
    double low = 0, high = *std::max_element(fitted.widths.begin(), fitted.widths.end());
    for (int step = 0; step < 40; ++step) {
        const double middle = (low + high) / 2;
        (widthAtCap(middle) > available ? high : low) = middle;
    }
    for (size_t c = 0; c < natural.size(); ++c) {
        const double width = std::max(floor[c], std::min(fitted.widths[c], low));
        fitted.wraps = fitted.wraps || width < fitted.widths[c];
        fitted.widths[c] = width;
    }
    return fitted;
}
