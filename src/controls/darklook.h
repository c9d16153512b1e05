#pragma once
// The dark look the workflow dialogs share (palette, panels, small grids,
// progress bars).
#include <QColor>
#include <QIcon>

class QWidget;

void ApplyDarkLook(QWidget* dialog);
// Check boxes and radio buttons with light text (those of the dark dialogs)
// get a dark box with a light edge and a white tick; the others keep the
// platform's look. Installed once on the application.
void InstallDarkIndicators();
// 32 x 32 stage icons: 2 "current" (an arrow), 3 "done" (a tick).
QIcon StageIcon(int image);

class QProgressBar;
class QTableWidget;

// White text on RGB(64,64,64), the grid's teal gradient for the selected row.
void StyleSmallGrid(QTableWidget* grid);
void StyleProgressBar(QProgressBar* bar);
