#include "db/parameters.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"
#include "db/location.h"
#include "db/recordcheck.h"
#include "db/schema.h"
#include "db/serveraccess.h"

#include <QDir>
#include <QSet>
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

bool StampSettings()
{
    SetParam(ParamSettingsStamp, CurrentUserName() + QLatin1Char('\t') + TimestampText());
    return LastResultCode() == 0;
}

ParamSnapshot ReadParams(const std::vector<int>& numbers, bool* ok)
{
    ParamSnapshot snapshot;
    SqlArgs names;
    for (const int number : numbers)
        names.emplace_back(Format("Param%i", {number}));
    names.emplace_back(Format("Param%i", {static_cast<int>(ParamSettingsStamp)}));
    const QueryResult rows = QueryBound(QStringLiteral("SELECT ParamName,Param from GlobalParamList where ParamName in (")
                                            + Placeholders(static_cast<int>(names.size()))
                                            + QStringLiteral(") order by id"),
                                        names);
    snapshot.read = LastResultCode() == 0;
    if (ok)
        *ok = snapshot.read;
    for (const int number : numbers)
        snapshot.values[number] = QString();
    // The first row of a name answers, as GetParam's does.
    QSet<QString> seen;
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString name = rows.cell(r, 0);
        if (seen.contains(name))
            continue;
        seen.insert(name);
        const int number = TextToInt(name.mid(5));
        if (number == ParamSettingsStamp) {
            const QString stamp = rows.cell(r, 1);
            snapshot.user = stamp.section(QLatin1Char('\t'), 0, 0);
            snapshot.time = stamp.section(QLatin1Char('\t'), 1);
        } else {
            snapshot.values[number] = rows.cell(r, 1);
        }
    }
    return snapshot;
}

QString WriteParamsAsLoaded(const ParamSnapshot& loaded, const std::vector<std::pair<int, QString>>& values,
                            bool* stale)
{
    if (stale)
        *stale = false;
    std::vector<std::pair<int, QString>> changed;
    for (const auto& [number, text] : values) {
        const auto was = loaded.values.find(number);
        if (was == loaded.values.end() || was->second != text)
            changed.emplace_back(number, text);
    }
    if (changed.empty())
        return {};
    Transaction transaction;
    std::vector<int> numbers;
    for (const auto& entry : loaded.values)
        numbers.push_back(entry.first);
    bool read = true;
    const ParamSnapshot now = ReadParams(numbers, &read);
    if (!read) {
        transaction.fail();
        transaction.commit();
        return LastErrorText();
    }
    if (now.values != loaded.values) {
        transaction.fail();
        transaction.commit();
        if (stale)
            *stale = true;
        const bool moved = now.user != loaded.user || now.time != loaded.time;
        return ChangedByText(Translate(QStringLiteral("The company data")), moved ? now.user : QString(),
                             moved ? now.time : QString());
    }
    for (const auto& [number, text] : changed)
        SetParam(number, text);
    StampSettings();
    if (!transaction.commit())
        return WriteRefusedText(LastErrorText());
    return {};
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
