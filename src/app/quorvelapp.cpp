#include "app/quorvelapp.h"

#include "app/quorveldlg.h"
#include "controls/artwork.h"
#include "controls/darklook.h"
#include "core/appstate.h"
#include "core/version.h"
#include "core/windowhooks.h"
#include "db/database.h"

#include <QApplication>
#include <QIcon>

CQuorvelApp::CQuorvelApp(const QString& programFolder)
{
    LoadDatabaseLibrary();
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("KOLT"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOLT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(KOLT_APP_ID));
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    App().ProgramFolder = folder;
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    InstallDarkIndicators();
    SetUserInterface(&m_ui);
}

CQuorvelApp::~CQuorvelApp()
{
    m_main.reset();
    SetUserInterface(nullptr);
}

CQuorvelDlg* CQuorvelApp::createMainWindow(bool showSplash)
{
    m_main = std::make_unique<CQuorvelDlg>();
    m_ui.setMainWindow(m_main.get());
    m_main->initialize(showSplash);
    return m_main.get();
}

int CQuorvelApp::run(bool showSplash)
{
    CQuorvelDlg* window = createMainWindow(showSplash);
    window->setWindowState(Qt::WindowMaximized);
    return window->exec();
}

void RegisterEveryWindow()
{
    RegisterControlsWindows();
    RegisterGridWindows();
    RegisterBomWindows();
    RegisterOrdersWindows();
    RegisterScheduleWindows();
    RegisterInterchangeWindows();
    RegisterPartinfoWindows();
}
