#include "controls/wait.h"

#include "controls/artwork.h"
#include "controls/dialogstyle.h"
#include "controls/drawing.h"
#include "core/dictionary.h"

#include <QCoreApplication>
#include <QPainter>
#include <QProgressBar>

CWait::CWait(QWidget* parent, const QString& caption)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(Translate(caption));
    setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    setFixedSize(350, 62);
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    m_bar = new QProgressBar(this);
    m_bar->setGeometry(12, 18, 326, 24);
    m_bar->setTextVisible(false);
    m_bar->setStyleSheet(QStringLiteral(
        "QProgressBar { background-color: rgb(32,32,32); border: 1px solid black; border-radius: 4px; }"
        " QProgressBar::chunk { background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(120,120,255), stop:1 rgb(0,0,128)); border-radius: 3px; }"));
    if (parent && parent->window()) {
        const QRect p = parent->window()->geometry();
        move(p.center() - rect().center());
    }
}

void CWait::setCaption(const QString& caption)
{
    setWindowTitle(Translate(caption));
    refresh();
}

void CWait::setRange(int minimum, int maximum)
{
    m_bar->setRange(minimum, maximum);
    refresh();
}

void CWait::setPosition(int position)
{
    m_bar->setValue(position);
    refresh();
}

void CWait::refresh()
{
    if (isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CWait::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FillDialogBackground(painter, rect(), kBackgroundDark);
}
