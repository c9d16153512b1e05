#include "app/startup.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "db/database.h"
#include "db/location.h"
#include "db/parameters.h"
#include "db/settingsfile.h"

#include <QCoreApplication>
#include <QDir>

void StartCore(const QString& programFolder)
{
    AppState& app = App();
    app.ProgramFolder = programFolder;
    if (!app.ProgramFolder.isEmpty() && !app.ProgramFolder.endsWith(QLatin1Char('/')))
        app.ProgramFolder += QLatin1Char('/');
    LoadDatabaseLibrary();
    ReadSettingsFile();
    app.CurrentUser = ReadProfileUser();
    LoadDictionary(app.language);
    LoadAllTableDefinitions();
}

bool OpenDataFolder(const QString& folder, bool createShop)
{
    AppState& app = App();
    if (!folder.isEmpty()) {
        app.DataFolder = QDir::fromNativeSeparators(folder);
        while (app.DataFolder.size() > 1 && app.DataFolder.endsWith(QLatin1Char('/')))
            app.DataFolder.chop(1);
    }
    if (!InitializeDatabase(createShop))
        return false;
    SelectTable(app.DataFolder, 0);
    return true;
}

QString ExecutableFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
