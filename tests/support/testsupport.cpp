#include "support/testsupport.h"

#include "app/startup.h"
#include "core/appstate.h"
#include "db/database.h"

#include <QCoreApplication>
#include <QProcess>

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

void DataFolderTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    SetUserInterface(&ui);
    AppState& app = App();
    app = AppState{};
    // Settings and profile must come from the test, not from the machine.
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
    StartCore(ProgramDir());
    app.CurrentUser = QStringLiteral("tester");
    // Make the next SelectTable see a change, whatever an earlier test left current.
    SelectTable(dir.path(), 1);
    OpenDataFolder(dir.path());
    ui.clear();
}

void DataFolderTest::TearDown()
{
    InjectStatementFailure(0);
    SetBusyTimeout(5000);
    ReleaseDatabase();
    SetUserInterface(nullptr);
}

QString DataFolderTest::dbPath() const
{
    return dir.path() + QStringLiteral("/kolt.db");
}

QString DataFolderTest::sqlite(const QString& sql) const
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {dbPath(), sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
