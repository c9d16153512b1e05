#include "controls/messagebox.h"

#include "controls/artwork.h"
#include "controls/dialogstyle.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int kButtonIds[3] = {1097, 1098, 1099};
// Beyond this a message wraps rather than making the box wider than a screen.
constexpr int kMaxTextWidth = 900;

int textFlags(int alignment)
{
    const int horizontal = alignment == kAlignCentre ? Qt::AlignHCenter
                           : alignment == kAlignRight ? Qt::AlignRight
                                                      : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter | Qt::TextWordWrap;
}

} // namespace

CMessageBox::CMessageBox(const QString& text, const QString& caption, int buttons, int alignment, QWidget* parent)
    : QDialog(parent)
    , m_text(text)
    , m_alignment(alignment)
{
    setWindowTitle(caption.isEmpty() ? Translate(QStringLiteral("Message Box")) : caption);
    setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    ControlColour(this);
    switch (buttons) {
    case kButtonsOkCancel:
        addButton(0, QStringLiteral("OK"), kIconOk, kAnswerOk);
        addButton(2, QStringLiteral("CANCEL"), kIconCancel, kAnswerCancel);
        break;
    case kButtonsYesNoCancel:
        addButton(0, QStringLiteral("Yes"), 0, kAnswerYes);
        addButton(1, QStringLiteral("No"), 0, kAnswerNo);
        addButton(2, QStringLiteral("CANCEL"), kIconCancel, kAnswerCancel);
        break;
    case kButtonsYesNo:
        addButton(0, QStringLiteral("Yes"), 0, kAnswerYes);
        addButton(2, QStringLiteral("No"), 0, kAnswerNo);
        break;
    default:
        addButton(1, QStringLiteral("OK"), kIconOk, kAnswerOk);
        break;
    }
    setFixedSize(SizeForText(text));
    placeButtons();
    // Every Yes/No question of the program confirms something that cannot
    // simply be taken back (exit, delete, cancel an order): Enter says No.
    if (buttons == kButtonsYesNo)
        m_buttons[2]->setFocus();
    else
        for (CImageButton* b : m_buttons)
            if (b) {
                b->setFocus();
                break;
            }
}

QFont CMessageBox::TextFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

QSize CMessageBox::SizeForText(const QString& text)
{
    const QFontMetrics metrics(TextFont());
    const QRect bounds = metrics.boundingRect(QRect(0, 0, kMaxTextWidth, 100000), Qt::TextWordWrap, text);
    QSize size(std::max(bounds.width() + 30, kTemplateWidth),
               std::max(bounds.height() + kButtonHeight + 50, kTemplateHeight));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    return size;
}

void CMessageBox::addButton(int position, const QString& label, int icon, int answer)
{
    auto* button = new CImageButton(label, icon, kButtonIds[position], this);
    button->resize(kButtonWidth, kButtonHeight);
    connect(button, &CImageButton::command, this, [this, answer] { done(answer); });
    m_buttons[size_t(position)] = button;
}

void CMessageBox::placeButtons()
{
    const int y = height() - kButtonHeight - 12;
    if (m_buttons[0])
        m_buttons[0]->move(20, y);
    if (m_buttons[1])
        m_buttons[1]->move((width() - kButtonWidth) / 2, y);
    if (m_buttons[2])
        m_buttons[2]->move(width() - 20 - kButtonWidth, y);
}

void CMessageBox::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeButtons();
}

void CMessageBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(64, 64, 128));
    gradient.setColorAt(1, QColor(16, 16, 32));
    painter.fillRect(rect(), gradient);
    painter.setFont(TextFont());
    painter.setPen(Qt::white);
    const QRect textRect(15, 8, width() - 30, height() - kButtonHeight - 28);
    painter.drawText(textRect, textFlags(m_alignment), m_text);
}

void CMessageBox::reject()
{
    done(kAnswerCancel);
}

void CMessageBox::keyPressEvent(QKeyEvent* event)
{
    // Enter answers with the button that has the focus, as a click would.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* focused = qobject_cast<CImageButton*>(focusWidget())) {
            focused->click();
            return;
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
