#include "app/splash.h"

#include "controls/artwork.h"
#include "controls/drawing.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/version.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

namespace {

QString versionLine()
{
    return Translate(QStringLiteral("Version")) + QLatin1Char(' ') + QStringLiteral(KOLT_VERSION);
}

} // namespace

CSplash::CSplash(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setFixedSize(Artwork(kArtSplash).size());
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(kShowMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &QDialog::accept);
    m_timer->start();
}

void CSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Artwork(kArtSplash));
    painter.setPen(QColor(220, 220, 230));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    painter.setFont(font);
    painter.drawText(QRect(36, height() - 44, width() - 72, 24), Qt::AlignLeft | Qt::AlignVCenter, versionLine());
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("About KOLT")));
    setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    setFixedSize(380, 170);
    auto* ok = new CImageButton(QStringLiteral("OK"), kIconOk, 1, this);
    ok->setGeometry(width() - 96 - 20, height() - 48 - 16, 96, 48);
    connect(ok, &CImageButton::command, this, &QDialog::accept);
    ok->setFocus();
}

void CAboutDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(64, 64, 128));
    gradient.setColorAt(1, QColor(16, 16, 32));
    painter.fillRect(rect(), gradient);
    painter.drawImage(QRect(24, 24, 64, 64), Artwork(kArtWindowIcon));
    painter.setPen(Qt::white);
    QFont name(QStringLiteral("Arial"));
    name.setPixelSize(26);
    name.setBold(true);
    painter.setFont(name);
    painter.drawText(QRect(108, 22, width() - 120, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KOLT"));
    QFont line(QStringLiteral("Arial"));
    line.setPixelSize(14);
    line.setBold(true);
    painter.setFont(line);
    painter.drawText(QRect(108, 60, width() - 120, 24), Qt::AlignLeft | Qt::AlignVCenter, versionLine());
}
