#pragma once
// Paints the assembly tree chart on any device: the window, a printer, a PDF.
#include <QColor>
#include <QPainterPath>
#include <QPoint>
#include <QRect>

class QPainter;
class QPagedPaintDevice;
class TreeLayout;

// The vertical background gradient of the chart window.
void PaintTreeBackground(QPainter& painter, const QRect& client);

// Every box of the layout, shifted by the scroll offsets. connectorWidth is
// the pen width of the connectors (3 on screen).
void PaintAssemblyTree(QPainter& painter, const TreeLayout& layout, QPoint scroll, double connectorWidth = 3);

// The connector between a line and the box of its sub-assembly.
QPainterPath ConnectorPath(QPointF from, QPointF to);
// Connector colours cycle yellow, red, blue, green, starting again for every box.
QColor ConnectorColour(int index);

// The date and time of printed footers: "%A, %B %d, %Y %H:%M:%S".
QString PrintTimestamp();

// Prints the whole chart on one page of the device, scaled to 90 % of the
// printable area from the last on-screen build, with its footer. The layout is
// left in its printer form. False when there was nothing to print.
bool PrintAssemblyTree(TreeLayout& layout, QPagedPaintDevice& device);
