#pragma once
// The shared dark look of the order and schedule dialogs, in plain Qt until
// the image buttons and panels of the controls are on hand.
#include <QColor>
#include <QIcon>

class QWidget;

void ApplyDarkLook(QWidget* dialog);
// 32 x 32 stage icons: 2 "current" (an arrow), 3 "done" (a tick).
QIcon StageIcon(int image);
