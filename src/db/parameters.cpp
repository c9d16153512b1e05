#include "db/parameters.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString defaultValue(int number)
{
    switch (number) {
    case ParamCompanyName:
        return QStringLiteral("YOUR COMPANY");
    case ParamDaysOff:
        return QStringLiteral("65");
    case ParamWorkingHours:
        return QStringLiteral("8");
    default:
        return QString();
    }
}

} // namespace

QString GetParam(int number)
{
    return QueryText(SqlFormat("SELECT Param from GlobalParamList where ParamName = 'Param%i'", {number}), false);
}

void SetParam(int number, const QString& text)
{
    QueryText(SqlFormat("Update GlobalParamList Set Param = '%s' where ParamName = 'Param%i'", {text, number}),
              false);
}

QString DefaultDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/KOLT");
}

void InitializeDatabase()
{
    AppState& app = App();
    if (app.DataFolder.isEmpty())
        app.DataFolder = DefaultDataFolder();
    // The folder must exist before SQLite can make kolt.db in it.
    QDir().mkpath(app.DataFolder);
    SelectTable(app.DataFolder, 0);

    QString count = QueryText(QStringLiteral("Select count(*) FROM GlobalParamList"), true);
    count.chop(1);
    if (TextToInt(count) == 0) {
        ShowMessage(Translate(QStringLiteral("Database Initialization")));
        for (int t = 0; t < kTableCount; ++t)
            SelectTable(app.DataFolder, t);
        // SelectTable skips the table that was current already; a new folder
        // still needs all nine.
        OpenDatabase();
        for (int t = 0; t < kTableCount; ++t)
            CreateTable(t);
        CloseDatabase();
        QueryText(QStringLiteral("Drop Table GlobalParamList"), false);
        QueryText(QStringLiteral("Create Table GlobalParamList ( id integer primary key,ParamName text, Param text)"),
                  false);
        for (int n = 0; n < kParamCount; ++n)
            QueryText(SqlFormat("Insert into GlobalParamList (ParamName,Param) values ('%s','%s')",
                                {Format("Param%i", {n}), defaultValue(n)}),
                      false);
    }
    OpenDatabase();
    CreateTable(LabrList);
    CloseDatabase();
    app.CurrentCurrency = GetParam(ParamCurrency);
    QDir().mkpath(app.DataFolder + QStringLiteral("/Picture"));
    QDir().mkpath(app.DataFolder + QStringLiteral("/Document"));
}
