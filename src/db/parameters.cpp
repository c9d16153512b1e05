#include "db/parameters.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"
#include "db/location.h"
#include "db/schema.h"
#include "db/serveraccess.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

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
    return QueryTextBound(QStringLiteral("SELECT Param from GlobalParamList where ParamName = ?"),
                          {Format("Param%i", {number})});
}

void SetParam(int number, const QString& text)
{
    QueryTextBound(QStringLiteral("Update GlobalParamList Set Param = ? where ParamName = ?"),
                   {text, Format("Param%i", {number})});
}

QString DefaultDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/KOLT");
}

namespace {

// The location as a message names it: a server address without its password.
QString shownLocation(const QString& location)
{
    if (IsServerAddress(location)) {
        QUrl address(location);
        address.setPassword(QString());
        return address.toString();
    }
    return QDir::toNativeSeparators(location);
}

// Whether the location holds a shop, asked without making anything there:
// a folder's kolt.db with its parameter table, or that table on the server.
// -1 when it could not be told.
int shopPresent(const QString& location)
{
    if (!IsServerAddress(location) && !QFileInfo(location + QStringLiteral("/kolt.db")).isFile())
        return 0;
    SelectDataLocation(location);
    return TableExists(QStringLiteral("GlobalParamList"));
}

} // namespace

bool InitializeDatabase()
{
    return InitializeDatabase(true);
}

bool InitializeDatabase(bool createShop)
{
    AppState& app = App();
    if (app.DataFolder.isEmpty())
        app.DataFolder = DefaultDataFolder();
    // The folder must exist before SQLite can make kolt.db in it.
    const bool server = IsServerAddress(app.DataFolder);
    if (!server && IsUriLocation(app.DataFolder)) {
        ShowMessage(TranslateLabel(QStringLiteral("A data location is a folder or a postgresql:// address, not:"))
                        + QLatin1Char(' ') + app.DataFolder,
                    QStringLiteral("Database Status"));
        return false;
    }
    // A server location is checked before anything is read or made there:
    // its shop's schema must exist and be this login's to read, or only
    // init may make it; the refusal is said once, with its cause.
    if (server) {
        if (!OpenServerShop(app.DataFolder))
            return false;
    } else {
        ForgetServerAccess();
    }
    // A schema that is there but holds no shop is no shop either.
    if (!createShop) {
        const int present = shopPresent(app.DataFolder);
        if (present <= 0) {
            ShowMessage(present < 0 ? LastErrorText()
                                    : TranslateLabel(QStringLiteral("There is no KOLT shop at this location:"))
                                          + QLatin1Char(' ') + shownLocation(app.DataFolder) + QLatin1Char('\n')
                                          + Translate(QStringLiteral("Nothing was made there. koltctl init sets up a new shop.")),
                        QStringLiteral("Database Status"));
            return false;
        }
    }
    if (!server && !QDir().mkpath(app.DataFolder)) {
        ShowMessage(TranslateLabel(QStringLiteral("Cannot create the data folder:")) + QLatin1Char(' ')
                        + QDir::toNativeSeparators(app.DataFolder),
                    QStringLiteral("Database Status"));
        return false;
    }
    SelectTable(app.DataFolder, 0);

    // Whether the folder is new must be known for certain: a count that
    // failed (another program holding the file, a damaged file) is not an
    // empty table, and the parameters of a working shop are never rebuilt.
    const int exists = TableExists(QStringLiteral("GlobalParamList"));
    if (exists < 0) {
        ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
        return false;
    }
    int rows = 0;
    if (exists > 0) {
        const QString count = QueryText(QStringLiteral("Select count(*) FROM GlobalParamList"), false);
        if (LastResultCode() != 0) {
            ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
            return false;
        }
        rows = TextToInt(count);
    }
    if (rows == 0) {
        // Say where the new shop will live: a folder that was not meant
        // is found now, before any work goes into it. A server address is
        // shown without its password.
        const QString where =
            shownLocation(DatabaseOnServer() || DatabasePath().isEmpty() ? app.DataFolder : DatabasePath());
        ShowMessage(Translate(QStringLiteral("Database Initialization")) + QStringLiteral("\n\n")
                        + TranslateLabel(QStringLiteral("A new database is set up in:")) + QLatin1Char('\n') + where,
                    Translate(QStringLiteral("Database Initialization")));
    }
    // A shop open for reading keeps its journal and its rows as they are.
    const bool readOnly = DatabaseReadOnly();
    if (!readOnly)
        SetJournalForFolder(app.DataFolder);

    // One transaction: a start that is killed half-way leaves the file as
    // it was, and the next start completes it. A parameter table with rows
    // missing gets the missing ones; the rows that exist keep their values.
    if (rows < kParamCount && !(readOnly && rows > 0)) {
        Transaction transaction;
        for (int t = 0; t < kTableCount; ++t)
            CreateTable(t);
        Execute(QStringLiteral("Create Table if not exists GlobalParamList ( ") + IdColumnDefinition()
                + QStringLiteral(",ParamName ") + ColumnType(QStringLiteral("text")) + QStringLiteral(", Param ")
                + ColumnType(QStringLiteral("text")) + QLatin1Char(')'));
        for (int n = 0; n < kParamCount; ++n)
            ExecuteBound(QStringLiteral("Insert into GlobalParamList (ParamName,Param) select ?,? where not exists " "(select 1 from GlobalParamList where ParamName = ?)"), {Format("Param%i", {n}), defaultValue(n), Format("Param%i", {n})});
        if (!transaction.commit()) {
            ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
            return false;
        }
    }
    // A shop of an earlier release is brought forward before anything reads
    // it; one that is current writes nothing here.
    QString migrationError;
    if (!MigrateSchema(&migrationError)) {
        ShowMessage(migrationError, QStringLiteral("Database Status"));
        return false;
    }
    OpenDatabase();
    CreateTable(LabrList);
    CloseDatabase();
    app.CurrentCurrency = GetParam(ParamCurrency);
    // On a server every write is stamped with the database login, which
    // the server vouches for; Setup's User names the desk on a folder.
    if (server && !CurrentServerAccess().login.isEmpty())
        app.CurrentUser = CurrentServerAccess().login;
    QDir().mkpath(DataPictureFolder());
    QDir().mkpath(DataDocumentFolder());
    return true;
}
