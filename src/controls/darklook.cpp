#include "controls/darklook.h"

#include "controls/dialogstyle.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTableWidget>
#include <QWidget>

namespace {

class DarkIndicatorStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const bool indicator = element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton;
        // Light text means a dark dialog, where the platform's box takes the
        // dialog's colours and vanishes.
        if (!indicator || option->palette.color(QPalette::WindowText).lightness() < 160) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const bool enabled = option->state & State_Enabled;
        const QColor edge = enabled ? QColor(200, 202, 206) : QColor(120, 122, 126);
        const QColor mark = enabled ? QColor(Qt::white) : QColor(150, 150, 150);
        const QRectF box = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(edge, 1));
        painter->setBrush(QColor(32, 32, 32));
        if (element == PE_IndicatorRadioButton) {
            painter->drawEllipse(box);
            if (option->state & State_On) {
                painter->setPen(Qt::NoPen);
                painter->setBrush(mark);
                painter->drawEllipse(box.adjusted(box.width() * 0.28, box.height() * 0.28, -box.width() * 0.28,
                                                  -box.height() * 0.28));
            }
        } else {
            painter->drawRoundedRect(box, 2, 2);
            if (option->state & (State_On | State_NoChange)) {
                painter->setPen(QPen(mark, std::max(1.5, box.width() / 7), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                if (option->state & State_NoChange) {
                    painter->drawLine(QPointF(box.left() + box.width() * 0.25, box.center().y()),
                                      QPointF(box.right() - box.width() * 0.25, box.center().y()));
                } else {
                    const QPointF tick[] = {{box.left() + box.width() * 0.22, box.top() + box.height() * 0.52},
                                            {box.left() + box.width() * 0.42, box.top() + box.height() * 0.72},
                                            {box.left() + box.width() * 0.78, box.top() + box.height() * 0.28}};
                    painter->drawPolyline(tick, 3);
                }
            }
        }
        painter->restore();
    }
};

} // namespace

void InstallDarkIndicators()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (dynamic_cast<DarkIndicatorStyle*>(QApplication::style()))
        return;
    QApplication::setStyle(new DarkIndicatorStyle(QApplication::style()->name()));
}

void ApplyDarkLook(QWidget* dialog)
{
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(72, 74, 78));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(40, 42, 46));
    palette.setColor(QPalette::AlternateBase, QColor(52, 54, 58));
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, QColor(96, 98, 104));
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0, 96, 200));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(150, 150, 150));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 160, 160));
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
    dialog->setStyleSheet(QString::fromLatin1(
        "QGroupBox { border: 1px solid #9a9ca0; border-radius: 8px; margin-top: 14px; padding-top: 8px;"
        " background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #5e6066, stop:1 #45474b); }"
        "QGroupBox::title { subcontrol-origin: margin; left: 40px; padding: 0 4px; color: white; }"
        )
                          + DarkFieldStyleSheet());
}

QIcon StageIcon(int image)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(image == 3 ? QColor(0, 160, 60) : QColor(230, 160, 0));
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    QPainterPath mark;
    if (image == 3) {
        mark.moveTo(9, 16);
        mark.lineTo(14, 21);
        mark.lineTo(23, 11);
    } else {
        mark.moveTo(10, 16);
        mark.lineTo(22, 16);
        mark.moveTo(17, 11);
        mark.lineTo(22, 16);
        mark.lineTo(17, 21);
    }
    painter.drawPath(mark);
    return QIcon(pixmap);
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

void StyleProgressBar(QProgressBar* bar)
{
    bar->setStyleSheet(QStringLiteral(
        "QProgressBar { background: rgb(24,24,24); border: 1px solid rgb(128,128,128); border-radius: 3px; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(0,160,160), stop:1 rgb(0,64,64)); }"));
}
