#include "core/userinterface.h"

namespace {

class SilentInterface final : public UserInterface
{
public:
    int showMessage(const QString&, const QString&, int buttons, int) override { return SafeAnswer(buttons); }
    void progressOpen(const QString&, int, int) override {}
    void progressCaption(const QString&) override {}
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void progressClose() override {}
};

SilentInterface g_silent;
UserInterface* g_current = nullptr;

} // namespace

void SetUserInterface(UserInterface* ui)
{
    g_current = ui;
}

UserInterface& CurrentInterface()
{
    return g_current ? *g_current : g_silent;
}

int SafeAnswer(int buttons)
{
    switch (buttons) {
    case kButtonsOkCancel:
    case kButtonsYesNoCancel:
        return kAnswerCancel;
    case kButtonsYesNo:
        return kAnswerNo;
    default:
        return kAnswerOk;
    }
}

int ShowMessage(const QString& text, const QString& caption, int buttons, int alignment)
{
    return CurrentInterface().showMessage(text, caption, buttons, alignment);
}

WaitScope::WaitScope(const QString& caption, int minimum, int maximum)
    : m_ui(CurrentInterface())
{
    m_ui.progressOpen(caption, minimum, maximum);
}

WaitScope::~WaitScope()
{
    m_ui.progressClose();
}

void WaitScope::setCaption(const QString& caption)
{
    m_ui.progressCaption(caption);
}

void WaitScope::setRange(int minimum, int maximum)
{
    m_ui.progressRange(minimum, maximum);
}

void WaitScope::setPosition(int position)
{
    m_ui.progressPosition(position);
}
