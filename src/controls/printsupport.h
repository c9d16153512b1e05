#pragma once
// Small painting helpers shared by the order, routing and schedule printouts.
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

class QPagedPaintDevice;

// Arial at a point size; QPainter scales points with the device's resolution.
QFont PrintFont(double pointSize, bool bold = false, const QString& family = QStringLiteral("Arial"));

// The number as a Code 39 barcode centred in rect, as high as fits.
void DrawCode39(QPainter& painter, const QRectF& rect, const QString& text);

// Device pixels per millimetre.
double PixelsPerMm(const QPaintDevice* device);
