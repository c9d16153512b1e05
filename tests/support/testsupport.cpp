#include "support/testsupport.h"

#include "app/startup.h"
#include "core/appstate.h"
#include "db/database.h"
#include "db/engine.h"
#include "db/serveraccess.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>

namespace {

// Tests never need a display; set before any test makes its application.
const bool g_offscreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

} // namespace

int RecordingInterface::showMessage(const QString& text, const QString& caption, int buttons, int)
{
    messages.push_back({text, caption, buttons});
    if (buttons == kButtonsOk)
        return kAnswerOk;
    if (answers.empty())
        return SafeAnswer(buttons);
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingInterface::progressOpen(const QString& caption, int, int max)
{
    ++progressOpened;
    captions << caption;
    maximum = max;
}

bool RecordingInterface::saw(const QString& textPart) const
{
    for (const auto& m : messages)
        if (m.text.contains(textPart))
            return true;
    return false;
}

QString ProgramDir()
{
    return QStringLiteral(KOLT_PROGRAM_DIR);
}

QString SourceDir()
{
    return QStringLiteral(KOLT_SOURCE_DIR);
}

bool TestOnServer()
{
    return qgetenv("KOLT_TEST_BACKEND") == "server";
}

QString TestServerAddress()
{
    return QString::fromUtf8(qgetenv("KOLT_TEST_SERVER"));
}

namespace {

QString withSearchPath(const QString& address, const QString& schema)
{
    return address + (address.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?'))
           + QStringLiteral("options=-csearch_path%3D") + schema;
}

// Runs one statement on the server's own address, outside any test schema.
bool serverStatement(const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("psql"), {TestServerAddress(), QStringLiteral("-q"), QStringLiteral("-v"),
                                     QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"), sql});
    p.waitForFinished(30000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

void DataFolderTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    if (TestOnServer()) {
        if (TestServerAddress().isEmpty())
            GTEST_SKIP() << "KOLT_TEST_SERVER names no server";
        // A schema of its own per test: as fresh as a new data folder, and
        // far quicker to make than a database.
        static int counter = 0;
        schema = QStringLiteral("kolt_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        ASSERT_TRUE(serverStatement(QStringLiteral("drop schema if exists %1 cascade; create schema %1").arg(schema)));
        location = withSearchPath(TestServerAddress(), schema);
    } else {
        location = dir.path();
    }
    SetUserInterface(&ui);
    AppState& app = App();
    app = AppState{};
    // Settings and profile must come from the test, not from the machine.
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toUtf8());
    StartCore(ProgramDir());
    // Each test's location is new: it is made here, as init makes a shop.
    AllowShopCreation(true);
    // Make the next SelectTable see a change, whatever an earlier test left current.
    SelectTable(location, 1);
    ASSERT_TRUE(OpenDataFolder(location)) << (ui.messages.empty() ? std::string() : ui.messages.back().text.toStdString());
    // After the open: on a server the open stamps with the login.
    app.CurrentUser = QStringLiteral("tester");
    ui.clear();
}

void DataFolderTest::TearDown()
{
    InjectStatementFailure(0);
    SetBusyTimeout(5000);
    ReleaseDatabase();
    SetUserInterface(nullptr);
    for (const QString& name : moreSchemas + QStringList{schema})
        if (!name.isEmpty())
            serverStatement(QStringLiteral("drop schema if exists %1 cascade").arg(name));
}

QString DataFolderTest::anotherServerLocation()
{
    const QString name = schema + QStringLiteral("_%1").arg(moreSchemas.size() + 1);
    if (!serverStatement(QStringLiteral("drop schema if exists %1 cascade; create schema %1").arg(name)))
        return QString();
    moreSchemas << name;
    return withSearchPath(TestServerAddress(), name);
}

QString DataFolderTest::dbPath() const
{
    return dir.path() + QStringLiteral("/kolt.db");
}

QString DataFolderTest::sqlite(const QString& sql) const
{
    QProcess p;
    if (TestOnServer())
        p.start(QStringLiteral("psql"), {location, QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"),
                                         QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("|"),
                                         QStringLiteral("-c"), QString::fromUtf8(ServerStatement(sql.toUtf8()))});
    else
        p.start(QStringLiteral("sqlite3"), {dbPath(), sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString DataFolderTest::snapshot() const
{
    // Every table's rows in id order: what a statement that failed half-way
    // must leave as it found it.
    QString text;
    for (const char* table : {"AssyList", "PartList", "VendList", "RescList", "PurcList", "ReqmList", "TaskList",
                              "LabrList", "AlloList", "GlobalParamList"}) {
        text += QString::fromLatin1(table) + QLatin1Char('\n');
        if (hasTable(QString::fromLatin1(table)))
            text += sqlite(QStringLiteral("select * from %1 order by id").arg(QString::fromLatin1(table)))
                    + QLatin1Char('\n');
    }
    return text;
}

bool DataFolderTest::hasTable(const QString& table) const
{
    return sqlite(TestOnServer() ? QStringLiteral("select count(*) from information_schema.tables where "
                                                  "table_schema = current_schema() and table_name = lower('%1')")
                                       .arg(table)
                                 : QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                                                  "name = '%1'")
                                       .arg(table))
           == QStringLiteral("1");
}

QString DataFolderTest::indexNames() const
{
    return sqlite(TestOnServer()
                      ? QStringLiteral("select string_agg(indexname, ',' order by indexname) from pg_indexes where "
                                       "schemaname = current_schema() and indexname not like '%pkey'")
                      : QStringLiteral("select group_concat(name) from (select name from sqlite_master where "
                                       "type = 'index' and sql is not null order by name)"));
}

void DataFolderTest::refuseWrites(const QString& name, const QString& when, const QString& table,
                                  const QString& condition, const QString& message) const
{
    if (TestOnServer()) {
        sqlite(QStringLiteral("create function %1() returns trigger language plpgsql as $$ begin if %2 then raise "
                              "exception '%3'; end if; return new; end $$")
                   .arg(name, condition.isEmpty() ? QStringLiteral("true") : condition, message));
        sqlite(QStringLiteral("create trigger %1 before %2 on %3 for each row execute function %1()")
                   .arg(name, when, table));
    } else {
        sqlite(QStringLiteral("create trigger %1 before %2 on %3 %4 begin select raise(abort, '%5'); end")
                   .arg(name, when, table, condition.isEmpty() ? QString() : QStringLiteral("when ") + condition,
                        message));
    }
}

void DataFolderTest::allowWrites(const QString& name, const QString& table) const
{
    if (TestOnServer())
        sqlite(QStringLiteral("drop trigger %1 on %2; drop function %1()").arg(name, table));
    else
        sqlite(QStringLiteral("drop trigger %1").arg(name));
}

QString DataFolderTest::realText(const QString& sql) const
{
    QString text = sqlite(sql);
    if (TestOnServer()) {
        static const QRegularExpression whole(QStringLiteral("(?<![\\w.])(-?\\d+)(?![\\w.])"));
        text.replace(whole, QStringLiteral("\\1.0"));
    }
    return text;
}

CtlRun RunKoltctl(const QStringList& args, const QStringList& environment)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(env);
    p.start(ProgramDir() + QStringLiteral("koltctl"), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

CtlRun DataFolderTest::ctl(const QStringList& args) const
{
    return RunKoltctl(QStringList{QStringLiteral("--data"), location} + args,
                      {QStringLiteral("XDG_CONFIG_HOME=") + dir.path() + QStringLiteral("/config")});
}
