#pragma once
// The dark dialog look of this subsystem's windows: grey gradient
// background, rounded captioned panels, white text on dark fields.
#include <QRect>
#include <QString>

class QPainter;
class QTableWidget;
class QWidget;

void ApplyDarkLook(QWidget* dialog);
void PaintDarkBackground(QPainter& painter, const QRect& area);
void PaintDarkPanel(QPainter& painter, const QRect& area, const QString& caption);
// The small in-dialog grid: white text on RGB(64,64,64), full-row selection colours.
void StyleSmallGrid(QTableWidget* grid);
