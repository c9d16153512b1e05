#include "interchange/darklook.h"

#include <QHeaderView>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTableWidget>
#include <QWidget>

void ApplyDarkLook(QWidget* dialog)
{
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(64, 64, 64));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(24, 24, 24));
    palette.setColor(QPalette::AlternateBase, QColor(48, 48, 48));
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, QColor(72, 72, 72));
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0, 96, 96));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    dialog->setPalette(palette);
    dialog->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: transparent; }"
        "QLineEdit { color: white; background: rgb(24,24,24); border: 1px solid rgb(128,128,128);"
        " border-radius: 3px; padding: 1px 4px; }"
        "QPushButton { color: white; border: 1px solid rgb(150,150,150); border-radius: 5px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(112,112,112), stop:1 rgb(40,40,40)); }"
        "QPushButton:pressed { background: rgb(32,32,32); }"
        "QPushButton:disabled { color: rgb(128,128,128); }"
        "QPushButton:default { border: 1px solid rgb(0,160,160); }"
        "QProgressBar { background: rgb(24,24,24); border: 1px solid rgb(128,128,128); border-radius: 3px; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(0,160,160), stop:1 rgb(0,64,64)); }"));
}

void PaintDarkBackground(QPainter& painter, const QRect& area)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0.0, QColor(104, 104, 104));
    gradient.setColorAt(1.0, QColor(32, 32, 32));
    painter.fillRect(area, gradient);
}

void PaintDarkPanel(QPainter& painter, const QRect& area, const QString& caption)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.fillPath(path, QColor(0, 0, 0, 60));
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.drawPath(path);
    if (!caption.isEmpty()) {
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(210, 210, 210));
        painter.drawText(area.adjusted(10, 3, -10, 0), Qt::AlignLeft | Qt::AlignTop, caption);
    }
    painter.restore();
}

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
