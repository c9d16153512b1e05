#include "controls/barcode.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTransform>
#include <cmath>

namespace {

struct Code39Entry
{
    char character;
    const char* wide; // nine elements, '1' for wide
};

// The 43 characters and the start/stop "*"; each has three wide elements.
constexpr Code39Entry kCode39[] = {
    {'0', "000110100"}, {'1', "100100001"}, {'2', "001100001"}, {'3', "101100000"}, {'4', "000110001"},
    {'5', "100110000"}, {'6', "001110000"}, {'7', "000100101"}, {'8', "100100100"}, {'9', "001100100"},
    {'A', "100001001"}, {'B', "001001001"}, {'C', "101001000"}, {'D', "000011001"}, {'E', "100011000"},
    {'F', "001011000"}, {'G', "000001101"}, {'H', "100001100"}, {'I', "001001100"}, {'J', "000011100"},
    {'K', "100000011"}, {'L', "001000011"}, {'M', "101000010"}, {'N', "000010011"}, {'O', "100010010"},
    {'P', "001010010"}, {'Q', "000000111"}, {'R', "100000110"}, {'S', "001000110"}, {'T', "000010110"},
    {'U', "110000001"}, {'V', "011000001"}, {'W', "111000000"}, {'X', "010010001"}, {'Y', "110010000"},
    {'Z', "011010000"}, {'-', "010000101"}, {'.', "110000100"}, {' ', "011000100"}, {'$', "010101000"},
    {'/', "010100010"}, {'+', "010001010"}, {'%', "000101010"}, {'*', "010010100"},
};

} // namespace

QString Code39Pattern(QChar character)
{
    const QChar upper = character.toUpper();
    for (const Code39Entry& entry : kCode39) {
        if (upper == QLatin1Char(entry.character)) {
            QString pattern;
            for (const char* p = entry.wide; *p; ++p)
                pattern += *p == '1' ? QLatin1Char('w') : QLatin1Char('n');
            return pattern;
        }
    }
    return QString();
}

QString Code39Encode(const QString& text, int* skipped)
{
    int left = 0;
    QString elements = Code39Pattern(QLatin1Char('*'));
    for (const QChar c : text) {
        const QString pattern = c == QLatin1Char('*') ? QString() : Code39Pattern(c);
        if (pattern.isEmpty()) {
            ++left;
            continue;
        }
        elements += QLatin1Char('n'); // the gap between characters
        elements += pattern;
    }
    elements += QLatin1Char('n');
    elements += Code39Pattern(QLatin1Char('*'));
    if (skipped)
        *skipped = left;
    return elements;
}

QRectF PrintBarcode(const QString& text, const QColor& colour, double pointSize, double x, double y,
                    QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    const int dpiY = device ? device->logicalDpiY() : 96;
    // Work in device pixels so every bar is a whole number of them, then map
    // back through the painter's scale: printouts often draw in their own units.
    const QTransform transform = painter.deviceTransform();
    const double scaleX = std::abs(transform.m11()) > 1e-9 ? std::abs(transform.m11()) : 1.0;
    const double scaleY = std::abs(transform.m22()) > 1e-9 ? std::abs(transform.m22()) : 1.0;
    const double heightPixels = std::max(1.0, std::round(pointSize * dpiY / 72.0));
    const double narrowPixels = std::max(1.0, std::round(heightPixels / 16.0));

    const QString elements = Code39Encode(text);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    double position = 0; // in device pixels from x
    bool bar = true;
    for (const QChar element : elements) {
        const double width = element == QLatin1Char('w') ? 3 * narrowPixels : narrowPixels;
        if (bar)
            painter.drawRect(QRectF(x + position / scaleX, y, width / scaleX, heightPixels / scaleY));
        position += width;
        // Each character ends on a bar and the gap after it is a space, so
        // bars and spaces simply alternate over the whole symbol.
        bar = !bar;
    }
    painter.restore();
    return QRectF(x, y, position / scaleX, heightPixels / scaleY);
}
