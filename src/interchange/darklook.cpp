#include "interchange/darklook.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QTableWidget>

void StyleSmallGrid(QTableWidget* grid)
{
    grid->setStyleSheet(QStringLiteral(
        "QTableWidget { background: rgb(64,64,64); color: white; gridline-color: rgb(192,192,192);"
        " selection-color: white; selection-background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(0,128,128), stop:1 rgb(0,32,32)); border: 1px solid rgb(128,128,128); }"
        "QHeaderView::section { color: white; background: rgb(40,40,40); border: 1px solid rgb(96,96,96);"
        " padding: 2px 4px; }"
        "QComboBox { color: white; background: rgb(24,24,24); }"
        "QComboBox QAbstractItemView { color: white; background: rgb(32,32,32);"
        " selection-background-color: rgb(0,96,96); }"));
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void StyleProgressBar(QProgressBar* bar)
{
    bar->setStyleSheet(QStringLiteral(
        "QProgressBar { background: rgb(24,24,24); border: 1px solid rgb(128,128,128); border-radius: 3px; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(0,160,160), stop:1 rgb(0,64,64)); }"));
}
