#include "controls/select.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

CSelect::CSelect(const QStringList& items, const QPoint& anchor, QWidget* reference)
    : QDialog(reference, Qt::Popup | Qt::FramelessWindowHint)
    , m_items(items)
{
    setMouseTracking(true);
    const QFontMetrics metrics(itemFont());
    int widest = 0;
    for (const QString& item : m_items)
        widest = std::max(widest, metrics.horizontalAdvance(item));
    const int w = widest + kStripWidth + 12;
    const int h = kRowHeight * int(m_items.size()) + 8;
    QPoint topLeft = anchor;
    if (reference) {
        const int overflow = anchor.y() + h - reference->height();
        if (overflow > 0)
            topLeft.ry() -= overflow;
        topLeft = reference->mapToGlobal(topLeft);
    }
    setGeometry(QRect(topLeft, QSize(w, h)));
}

int CSelect::Run(const QStringList& items, const QPoint& anchor, QWidget* reference)
{
    CSelect popup(items, anchor, reference);
    popup.exec();
    return popup.chosen();
}

QFont CSelect::itemFont() const
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    return font;
}

int CSelect::itemAt(int y) const
{
    if (y < 4)
        return -1;
    const int index = (y - 4) / kRowHeight;
    return index < m_items.size() ? index : -1;
}

void CSelect::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient body(0, 0, width(), height());
    body.setColorAt(0, QColor(128, 128, 128));
    body.setColorAt(1, QColor(32, 32, 32));
    painter.fillRect(rect(), body);
    QLinearGradient strip(0, 0, kStripWidth, height());
    strip.setColorAt(0, QColor(128, 128, 255));
    strip.setColorAt(1, QColor(32, 32, 32));
    painter.fillRect(QRect(0, 0, kStripWidth, height()), strip);
    painter.setFont(itemFont());
    for (int i = 0; i < m_items.size(); ++i) {
        const QRect row(kStripWidth + 4, 4 + i * kRowHeight, width() - kStripWidth - 8, kRowHeight);
        if (i == m_hover)
            painter.fillRect(row.adjusted(-4, 0, 4, 0), QColor(0, 0, 128, 160));
        painter.setPen(i == m_hover ? QColor(0, 255, 255) : QColor(255, 255, 255));
        painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, m_items[i]);
    }
    painter.setPen(QColor(0, 0, 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CSelect::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_chosen = rect().contains(pos) ? itemAt(pos.y()) : -1;
    done(m_chosen);
}

void CSelect::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int hover = rect().contains(pos) ? itemAt(pos.y()) : -1;
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
}

void CSelect::keyPressEvent(QKeyEvent* event)
{
    // The keyboard can choose too: arrows move, Enter takes, Esc leaves.
    switch (event->key()) {
    case Qt::Key_Down:
        m_hover = std::min(int(m_items.size()) - 1, m_hover + 1);
        update();
        return;
    case Qt::Key_Up:
        m_hover = std::max(0, m_hover - 1);
        update();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_chosen = m_hover;
        done(m_chosen);
        return;
    case Qt::Key_Escape:
        m_chosen = -1;
        done(-1);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
