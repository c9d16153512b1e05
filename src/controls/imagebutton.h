#pragma once
// The owner-drawn dialog button: a dark background image with either a text
// or a pair of icons (normal and hover), hover and pressed looks, and an
// optional latching mode.
#include <QAbstractButton>

class CImageButton : public QAbstractButton
{
    Q_OBJECT
public:
    // Button states as drawn.
    static constexpr int StateNormal = 0;
    static constexpr int StateHover = 1;
    static constexpr int StatePressed = 2;
    static constexpr int StateDisabled = 9;

    // iconNumber 0 shows the (translated) text; n > 0 shows icon pair n.
    // controlId is sent with command() on every click.
    CImageButton(const QString& text, int iconNumber, int controlId, QWidget* parent);

    // Puts a button over placeholder (taking its geometry, text and object
    // name) and hides the placeholder; the usual way dialogs get them.
    static CImageButton* attach(QWidget* placeholder, int iconNumber, int controlId);

    int controlId() const { return m_controlId; }
    int iconNumber() const { return m_iconNumber; }
    // The state drawn next: disabled whenever the widget is disabled.
    int state() const;
    // 0 plain push; 1 latching (released), 2 latching (held down).
    void setToggleMode(int mode);
    int toggleMode() const { return m_toggleMode; }
    bool latched() const { return m_toggleMode == 2; }

    // The text font: Arial of pixel height 21 up to 4 characters, 18 up to
    // 10, 15 beyond; bold while pressed.
    static int TextHeight(const QString& text);
    QFont textFont() const;
    // Background image index for a state: 0 normal, 1 pressed, 2 hover, 3 disabled.
    static int BackgroundIndex(int state);

    // At least 96 x 48, and wide enough for the text however it was translated.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void command(int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    static constexpr int kTextMargin = 14; // each side; the background's rounded edge
    int m_iconNumber = 0;
    int m_controlId = 0;
    int m_state = StateNormal;
    int m_toggleMode = 0;
};
