#pragma once
// The GUI's answer to the engines: questions in CMessageBox, progress in CWait.
#include "core/userinterface.h"

#include "controls/wait.h"

#include <QPointer>
#include <QWidget>

class CWait;
class QWidget;

class GuiInterface final : public UserInterface
{
public:
    GuiInterface() = default;
    ~GuiInterface() override;

    // The window message boxes and the progress window belong to; the active
    // window when none is set.
    void setMainWindow(QWidget* window) { m_main = window; }

    int showMessage(const QString& text, const QString& caption, int buttons, int alignment) override;
    void progressOpen(const QString& caption, int minimum, int maximum) override;
    void progressCaption(const QString& caption) override;
    void progressRange(int minimum, int maximum) override;
    void progressPosition(int position) override;
    void progressClose() override;

    CWait* waitWindow() const { return m_wait; }

private:
    QWidget* owner() const;

    QPointer<QWidget> m_main;
    QPointer<CWait> m_wait;
    int m_depth = 0; // progress scopes may nest; the outermost owns the window
};
