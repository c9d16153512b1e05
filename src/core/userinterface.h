#pragma once
// How engines reach the user. The GUI answers with its message box and progress
// window, koltctl with standard error and --yes, the tests with scripted answers.
#include <QString>

// Button sets and answers of the three-button message box.
constexpr int kButtonsOk = 0;
constexpr int kButtonsOkCancel = 1;
constexpr int kButtonsYesNoCancel = 3;
constexpr int kButtonsYesNo = 4;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Text alignment inside the message box.
constexpr int kAlignLeft = 0;
constexpr int kAlignRight = 1;
constexpr int kAlignCentre = 2;

class UserInterface
{
public:
    virtual ~UserInterface() = default;
    virtual int showMessage(const QString& text, const QString& caption, int buttons, int alignment) = 0;
    virtual void progressOpen(const QString& caption, int minimum, int maximum) = 0;
    virtual void progressCaption(const QString& caption) = 0;
    virtual void progressRange(int minimum, int maximum) = 0;
    virtual void progressPosition(int position) = 0;
    virtual void progressClose() = 0;
};

// The interface in force; without one, messages go nowhere and every question
// gets its safe answer (Cancel, or No when there is no Cancel).
void SetUserInterface(UserInterface* ui);
UserInterface& CurrentInterface();

// The safe answer of a button set: what a user who does nothing would choose.
int SafeAnswer(int buttons);

int ShowMessage(const QString& text, const QString& caption = QString(), int buttons = kButtonsOk,
                int alignment = kAlignLeft);

// The progress window (CWait in the GUI) of long multi-row work, as a scope: opened on
// construction and closed on destruction, whatever way the work ends.
class WaitScope
{
public:
    explicit WaitScope(const QString& caption = QStringLiteral("Database Access..."), int minimum = 0,
                   int maximum = 100);
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    void setCaption(const QString& caption);
    void setRange(int minimum, int maximum);
    void setPosition(int position);

private:
    UserInterface& m_ui;
};
