#pragma once
// The dark three-button message box behind ShowMessage.
#include <QDialog>
#include <array>

class CImageButton;

class CMessageBox : public QDialog
{
    Q_OBJECT
public:
    // Size the box never shrinks below.
    static constexpr int kTemplateWidth = 360;
    static constexpr int kTemplateHeight = 150;
    static constexpr int kButtonWidth = 96;
    static constexpr int kButtonHeight = 48;

    // buttons: 0 OK; 1 OK, Cancel; 3 Yes, No, Cancel; 4 Yes, No.
    // alignment: 0 left, 2 centred, 1 right.
    CMessageBox(const QString& text, const QString& caption, int buttons, int alignment, QWidget* parent = nullptr);

    // The size the box takes for a text: text plus margins and the button
    // row, never below the template.
    static QSize SizeForText(const QString& text);
    static QFont TextFont();

    // Buttons 1097, 1098, 1099 from left to right; null when the set hides one.
    CImageButton* button(int position) const { return m_buttons[size_t(position)]; }

    // The close box and Esc answer Cancel.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void addButton(int position, const QString& label, int icon, int answer);
    void placeButtons();

    QString m_text;
    int m_alignment = 0;
    std::array<CImageButton*, 3> m_buttons{};
};
