#pragma once
// The routing sheet of a requirement: for its assembly and each sub-assembly,
// the units to build, the bill of materials and the routing steps.
#include <QDateTime>
#include <QString>

class QPagedPaintDevice;

QString RoutingDocumentName(const QString& orderNumber);
// Paints every page; returns the number of pages.
int PaintRouting(QPagedPaintDevice* device, const QString& orderNumber, const QDateTime& printTime);
bool PrintRoutingPdf(const QString& orderNumber, const QString& file);
