#pragma once
// Code 39 barcodes drawn bar by bar, so printouts need no barcode font.
#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// The nine elements of a character, bar first, alternating bar and space:
// 'n' narrow, 'w' wide. Empty for a character Code 39 cannot show.
QString Code39Pattern(QChar character);

// The elements of the whole symbol: "*" + text + "*", one narrow space
// between characters. Lower-case letters are shown as capitals; characters
// outside the set (and "*" inside the text) are left out and counted in
// *skipped when given.
QString Code39Encode(const QString& text, int* skipped = nullptr);

// Draws the barcode of text at (x, y), its top-left corner, in colour. The bar
// height is pointSize points at the device's vertical resolution; the narrow
// element is a sixteenth of it (at least one device pixel), the wide one three
// times that. Returns the rectangle covered, in the painter's coordinates.
QRectF PrintBarcode(const QString& text, const QColor& colour, double pointSize, double x, double y,
                    QPainter& painter);
