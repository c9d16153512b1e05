#pragma once
// The application object: prepares the process and runs the one main window.
#include "controls/guiinterface.h"

#include <QString>
#include <memory>

class CQuorvelDlg;

// Every subsystem's windows registered with the window hooks, once per process.
void RegisterEveryWindow();

class CQuorvelApp
{
public:
    // Loads the database library, sets the profile key and the program folder.
    explicit CQuorvelApp(const QString& programFolder);
    ~CQuorvelApp();

    // Creates the main window and runs its start-up; the window is not shown yet.
    CQuorvelDlg* createMainWindow(bool showSplash = true);
    // Shows the main window maximised and runs it; returns when it closes,
    // after its shutdown.
    int run(bool showSplash = true);

    CQuorvelDlg* mainWindow() const { return m_main.get(); }
    GuiInterface& userInterface() { return m_ui; }

private:
    GuiInterface m_ui;
    std::unique_ptr<CQuorvelDlg> m_main;
};
