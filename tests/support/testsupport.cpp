#include "support/testsupport.h"

#include "app/startup.h"
#include "core/appstate.h"
#include "db/database.h"
#include "db/engine.h"

#include <QCoreApplication>
#include <QProcess>

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
    app.CurrentUser = QStringLiteral("tester");
    if (TestOnServer()) {
        app.PictureFolder = dir.path() + QStringLiteral("/Picture");
        app.DocumentFolder = dir.path() + QStringLiteral("/Document");
    }
    // Make the next SelectTable see a change, whatever an earlier test left current.
    SelectTable(location, 1);
    ASSERT_TRUE(OpenDataFolder(location)) << (ui.messages.empty() ? std::string() : ui.messages.back().text.toStdString());
    ui.clear();
}

void DataFolderTest::TearDown()
{
    InjectStatementFailure(0);
    SetBusyTimeout(5000);
    ReleaseDatabase();
    SetUserInterface(nullptr);
    if (!schema.isEmpty())
        serverStatement(QStringLiteral("drop schema if exists %1 cascade").arg(schema));
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
