#pragma once
// The import dialog's grid and progress bar in the dark dialog look.
class QProgressBar;
class QTableWidget;

// White text on RGB(64,64,64), the grid's teal gradient for the selected row.
void StyleSmallGrid(QTableWidget* grid);
void StyleProgressBar(QProgressBar* bar);
