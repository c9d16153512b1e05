#include "controls/imagebutton.h"

#include "controls/artwork.h"
#include "core/dictionary.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

CImageButton::CImageButton(const QString& text, int iconNumber, int controlId, QWidget* parent)
    : QAbstractButton(parent)
    , m_iconNumber(iconNumber)
    , m_controlId(controlId)
{
    setText(Translate(text));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, true);
    setCursor(Qt::ArrowCursor);
    resize(96, 48);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (isEnabled())
            Q_EMIT command(m_controlId);
    });
}

CImageButton* CImageButton::attach(QWidget* placeholder, int iconNumber, int controlId)
{
    auto* button = new CImageButton(placeholder->property("text").toString(), iconNumber, controlId,
                                    placeholder->parentWidget());
    button->setGeometry(placeholder->geometry());
    button->setObjectName(placeholder->objectName());
    placeholder->hide();
    button->show();
    return button;
}

int CImageButton::state() const
{
    return isEnabled() ? m_state : StateDisabled;
}

void CImageButton::setToggleMode(int mode)
{
    m_toggleMode = mode;
    m_state = mode == 2 ? StatePressed : StateNormal;
    update();
}

int CImageButton::TextHeight(const QString& text)
{
    if (text.size() <= 4)
        return 21;
    if (text.size() <= 10)
        return 18;
    return 15;
}

QFont CImageButton::textFont() const
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(TextHeight(text()));
    font.setWeight(state() == StatePressed ? QFont::Bold : QFont::Medium);
    return font;
}

int CImageButton::BackgroundIndex(int state)
{
    switch (state) {
    case StateHover:
        return 2;
    case StatePressed:
        return 1;
    case StateDisabled:
        return 3;
    default:
        return 0;
    }
}

QSize CImageButton::sizeHint() const
{
    if (m_iconNumber > 0 || text().isEmpty())
        return QSize(96, 48);
    // Wide enough for the text in its pressed (bold) weight, so a translation
    // longer than the key text is never cut.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(TextHeight(text()));
    font.setWeight(QFont::Bold);
    const int textWidth = QFontMetrics(font).horizontalAdvance(text());
    return QSize(std::max(96, textWidth + 2 * kTextMargin), 48);
}

QSize CImageButton::minimumSizeHint() const
{
    return sizeHint();
}

void CImageButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const int s = state();
    const QImage background = ArtworkCell(kArtButtonBackgrounds, BackgroundIndex(s));
    // The background stretches to the button, so dialogs may make buttons
    // narrower or wider than the image.
    painter.drawImage(rect(), background);
    if (hasFocus() && s != StateDisabled) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(0, 255, 255, 120), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5), 7, 7);
    }
    if (m_iconNumber > 0) {
        const int cell = s == StateHover ? 2 * m_iconNumber - 1 : 2 * m_iconNumber - 2;
        QImage icon = ArtworkCell(kArtButtonIcons, cell);
        const int side = std::min(48, height());
        QRect target((width() - side) / 2, (height() - side) / 2, side, side);
        if (s == StatePressed)
            target.translate(2, 2);
        if (s == StateDisabled)
            painter.setOpacity(0.35);
        painter.drawImage(target, icon);
        return;
    }
    // A translation longer than the button was laid out for, or a button
    // made lower than its type, gets a smaller type, never a cut word or
    // a lost accent.
    QFont font = textFont();
    for (int size = font.pixelSize(); size > 8; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(text()) <= width() - 2 * kTextMargin && metrics.height() <= height() - 2)
            break;
    }
    painter.setFont(font);
    painter.setPen(s == StateHover || s == StatePressed ? QColor(0, 255, 255)
                   : s == StateDisabled               ? QColor(150, 150, 150)
                                                      : QColor(255, 255, 255));
    QRect textRect = rect();
    if (s == StatePressed)
        textRect.translate(2, 2);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text());
}

void CImageButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && hitButton(event->position().toPoint())) {
        m_state = StatePressed;
        update();
    }
    QAbstractButton::mousePressEvent(event);
}

void CImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_toggleMode == 1) {
            m_toggleMode = 2; // latched: stays drawn pressed
        } else {
            if (m_toggleMode == 2)
                m_toggleMode = 1;
            m_state = rect().contains(event->position().toPoint()) ? StateHover : StateNormal;
        }
        update();
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void CImageButton::enterEvent(QEnterEvent* event)
{
    if (isEnabled() && m_toggleMode != 2) {
        m_state = StateHover;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void CImageButton::leaveEvent(QEvent* event)
{
    if (isEnabled() && m_toggleMode != 2) {
        m_state = StateNormal;
        update();
    }
    QAbstractButton::leaveEvent(event);
}

bool CImageButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}
