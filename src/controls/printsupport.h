#pragma once
// Small painting helpers shared by the order, routing and schedule printouts.
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <vector>

class QPagedPaintDevice;

// Arial at a point size; QPainter scales points with the device's resolution.
QFont PrintFont(double pointSize, bool bold = false, const QString& family = QStringLiteral("Arial"));

// The number as a Code 39 barcode centred in rect, as high as fits.
void DrawCode39(QPainter& painter, const QRectF& rect, const QString& text);

// Column widths that bring a table onto a page width.
struct FittedColumns
{
    std::vector<double> widths; // at the scaled type
    double scale = 1.0;         // of the type the natural widths were measured in
    bool wraps = false;         // some columns are narrower than their text
};

// natural: each column's width for its widest text (padding included) in
// the type of scale 1; minimum: what a column never goes below at scale 1
// (a heading's longest word, a picture). When the columns are wider than
// available the type shrinks, not below minimumScale; then the widest
// columns are narrowed to a common width and their text wraps.
FittedColumns FitColumns(const std::vector<double>& natural, const std::vector<double>& minimum, double available,
                         double minimumScale);

// Device pixels per millimetre.
double PixelsPerMm(const QPaintDevice* device);
