// koltctl killed outright in the middle of an import, a roll-up and a
// Process: whatever the moment, the file passes SQLite's integrity check and
// holds either everything the command writes or nothing of it.
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct KilledRun
{
    bool killed = false;
    int code = -1;
    QString err;
    qint64 statements = -1; // from KOLT_TEST_STATEMENTS=count
};

// statements: "" runs plainly, "count" reports the statements done, a number
// kills the process after that many.
KilledRun koltctlIn(const QString& folder, const QStringList& args, const QString& statements = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", folder + "-config");
    if (!statements.isEmpty())
        env.insert("KOLT_TEST_STATEMENTS", statements);
    p.setProcessEnvironment(env);
    p.start(ProgramDir() + "koltctl", QStringList{"--data", folder, "--yes"} + args);
    p.waitForFinished(60000);
    KilledRun run;
    run.killed = p.exitStatus() == QProcess::CrashExit;
    run.code = p.exitCode();
    run.err = QString::fromUtf8(p.readAllStandardError());
    const QRegularExpressionMatch count = QRegularExpression("statements: (\\d+)").match(run.err);
    if (count.hasMatch())
        run.statements = count.captured(1).toLongLong();
    return run;
}

QString shell(const QString& folder, const QString& sql)
{
    QProcess p;
    p.start("sqlite3", {folder + "/kolt.db", sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Every table, row by row. Times and dates are masked: a command run twice
// stamps its rows with different clocks.
QString contents(const QString& folder)
{
    QString all;
    for (const QString& table : shell(folder, "select name from sqlite_master where type='table' order by name")
                                    .split('\n', Qt::SkipEmptyParts)) {
        all += "== " + table + "\n" + shell(folder, QString("select * from %1 order by id").arg(table)) + "\n";
    }
    static const QRegularExpression clock("\\d{4}-\\d{2}-\\d{2}( \\d{1,2}:\\d{2}(:\\d{2})?)?");
    return all.replace(clock, "<time>");
}

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from + "/" + name, to + "/" + name)) << name.toStdString();
}

class CrashConsistency : public ::testing::Test
{
protected:
    // Kills `args` at `kills` moments drawn with a fixed seed from the
    // statements it runs, each on a fresh copy of the folder `before`.
    void killAtRandom(const QString& before, const QStringList& args, quint32 seed, int kills)
    {
        const QString beforeState = contents(before);
        const QString whole = dir.path() + QString("/whole-%1").arg(seed);
        copyFolder(before, whole);
        const KilledRun full = koltctlIn(whole, args, "count");
        ASSERT_EQ(full.code, 0) << full.err.toStdString();
        ASSERT_GT(full.statements, 0);
        const QString afterState = contents(whole);
        ASSERT_NE(afterState, beforeState) << "the command must change something to be a test";

        // The start-up's own statements read; the moments worth a kill follow them.
        const KilledRun idle = koltctlIn(whole, {"query", "select 1"}, "count");
        const qint64 first = std::max<qint64>(1, idle.statements - 1);
        QRandomGenerator random(seed);
        int beforeSeen = 0;
        int afterSeen = 0;
        for (int k = 0; k < kills; ++k) {
            // The last kill comes after the last statement, when the work is
            // done but the program not yet ended.
            const qint64 moment =
                k == kills - 1 ? full.statements : first + random.bounded(full.statements - first + 1);
            const QString folder = dir.path() + QString("/kill-%1-%2").arg(seed).arg(k);
            copyFolder(before, folder);
            const KilledRun run = koltctlIn(folder, args, QString::number(moment));
            SCOPED_TRACE(QString("%1 killed after statement %2 of %3")
                             .arg(args.join(' ')).arg(moment).arg(full.statements).toStdString());
            EXPECT_TRUE(run.killed) << run.err.toStdString();
            EXPECT_EQ(shell(folder, "pragma integrity_check"), "ok");
            const QString state = contents(folder);
            EXPECT_TRUE(state == beforeState || state == afterState) << state.toStdString();
            beforeSeen += state == beforeState;
            afterSeen += state == afterState;
            ++g_killsSurvived;
        }
        std::printf("[ kills    ] %s (statements %lld to %lld): %d kills, %d left it as before, %d as after\n",
                    qPrintable(args.value(0)), first, full.statements, kills, beforeSeen, afterSeen);
    }

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
    }

    QTemporaryDir dir;
    static inline int g_killsSurvived = 0;
};

} // namespace

// KOLT_CRASH_KILLS and KOLT_CRASH_SEED run a longer campaign by hand; the
// test run keeps to a few kills with fixed seeds.
TEST_F(CrashConsistency, KilledImportRollupAndProcessLeaveAllOrNothing)
{
    const int kills =
        qEnvironmentVariableIsSet("KOLT_CRASH_KILLS") ? qEnvironmentVariableIntValue("KOLT_CRASH_KILLS") : 4;
    const quint32 seed = 1601 + quint32(qEnvironmentVariableIntValue("KOLT_CRASH_SEED"));
    const QString samples = ProgramDir() + "samples/";
    const QString fresh = dir.path() + "/fresh";
    ASSERT_EQ(koltctlIn(fresh, {"init"}).code, 0);
    killAtRandom(fresh, {"import", samples + "sensor-board.csv"}, seed, kills);

    const QString imported = dir.path() + "/imported";
    copyFolder(fresh, imported);
    ASSERT_EQ(koltctlIn(imported, {"import", samples + "sensor-board.csv"}).code, 0);
    ASSERT_EQ(koltctlIn(imported, {"import", samples + "controller-box.csv"}).code, 0);
    killAtRandom(imported, {"rollup"}, seed + 1, kills);

    const KilledRun insert = koltctlIn(imported, {"insert", "ReqmList"});
    ASSERT_EQ(insert.code, 0) << insert.err.toStdString();
    killAtRandom(imported, {"process", "REQ0001", "--quantity", "3", "--assembly", "CONTROLLER-BOX"}, seed + 2,
                 kills);
    EXPECT_EQ(g_killsSurvived, 3 * kills);
}
