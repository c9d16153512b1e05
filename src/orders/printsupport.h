#pragma once
// Small painting helpers shared by the order, routing and schedule printouts.
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

class QPagedPaintDevice;

// Arial at a point size; QPainter scales points with the device's resolution.
QFont PrintFont(double pointSize, bool bold = false, const QString& family = QStringLiteral("Arial"));

// The number as a Code 39 barcode within rect.
// BARCODE CALL SITE: until the shared PrintBarcode of the controls lands on
// main, the number is drawn as text between its start and stop stars.
void DrawCode39(QPainter& painter, const QRectF& rect, const QString& text);

// Device pixels per millimetre.
double PixelsPerMm(const QPaintDevice* device);
