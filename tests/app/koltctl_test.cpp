#include "core/version.h"
#include "db/settingsfile.h"
#include "support/testsupport.h"

#include "core/tabledefs.h"

#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <memory>

namespace {

CtlRun koltctl(const QStringList& args, const QMap<QString, QString>& environment = {})
{
    QStringList entries{QStringLiteral("XDG_CONFIG_HOME=") + QDir::tempPath() + "/koltctl-test-config"};
    for (auto it = environment.begin(); it != environment.end(); ++it)
        entries << it.key() + QLatin1Char('=') + it.value();
    return RunKoltctl(args, entries);
}

} // namespace

TEST(Koltctl, InitParamAndQuery)
{
    QTemporaryDir data;
    CtlRun r = koltctl({"--data", data.path(), "init"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Database Initialization"));
    EXPECT_TRUE(QFile::exists(data.path() + "/kolt.db"));

    r = koltctl({"--data", data.path(), "param", "set", "0", "Smith's Shop"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = koltctl({"--data", data.path(), "param", "get", "0"});
    EXPECT_EQ(r.out, "Smith's Shop\n");

    r = koltctl({"--data", data.path(), "query", "select ParamName, Param from GlobalParamList where id < 3"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Key\tParam\nParam0\tSmith's Shop\nParam1\t\n");

    r = koltctl({"--data", data.path(), "query", "select * from Nowhere"});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains("Database Status"));

    EXPECT_EQ(koltctl({"--data", data.path(), "frobnicate"}).code, 2);
    EXPECT_EQ(koltctl({"--data", data.path(), "param", "get", "99"}).code, 2);
    EXPECT_EQ(koltctl({}).code, 2);
}

TEST(Koltctl, CopyPrintsEachTableAndFailsOnATargetWithData)
{
    QTemporaryDir data;
    ASSERT_EQ(koltctl({"--data", data.path(), "init"}).code, 0);
    ASSERT_EQ(koltctl({"--data", data.path(), "query", "insert into PartList (Part_nBr) values ('P1')"}).code, 0);
    CtlRun r = koltctl({"--data", data.path(), "copy", data.path(), data.path() + "/moved"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("PartList\t1\n"));
    EXPECT_EQ(r.out.count(QLatin1Char(10)), kTableCount + 1); // and the parameters
    r = koltctl({"--data", data.path(), "copy", data.path(), data.path() + "/moved"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("The target already holds data")) << r.err.toStdString();
    EXPECT_EQ(koltctl({"--data", data.path(), "copy", data.path()}).code, 2);
}

TEST(Koltctl, CopyNeedsNoDefaultLocationAndTheVersionIsTheBuildsOwn)
{
    // The settings name a data folder that cannot be made (below a file):
    // commands on the default location fail, a copy between named ones does not.
    QTemporaryDir home;
    QFile blocker(home.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsData settings;
    settings.dataFolder = home.path() + "/file/shop";
    QDir().mkpath(home.path() + "/config/KOLT");
    QFile file(home.path() + "/config/KOLT/KOLT.prm");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeSettings(settings));
    file.close();
    const QMap<QString, QString> env{{"XDG_CONFIG_HOME", home.path() + "/config"},
                                     {"XDG_DATA_HOME", home.path() + "/share"}};
    EXPECT_EQ(koltctl({"init"}, env).code, 1);

    const QString from = home.path() + "/from";
    ASSERT_EQ(koltctl({"--data", from, "init"}, env).code, 0);
    ASSERT_EQ(koltctl({"--data", from, "query", "insert into PartList (Part_nBr) values ('P1')"}, env).code, 0);
    const CtlRun r = koltctl({"copy", from, home.path() + "/to"}, env);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("PartList\t1\n")) << r.out.toStdString();

    const CtlRun version = koltctl({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("koltctl " KOLT_VERSION "\n"));
    EXPECT_EQ(koltctl({"--version", "init"}).code, 2) << "--version takes nothing after it";
}

TEST(Koltctl, FailuresAreToldNotPrintedAsValues)
{
    QTemporaryDir data;
    ASSERT_EQ(koltctl({"--data", data.path(), "init"}).code, 0);
    auto sql = [&](const QString& statement) {
        return koltctl({"--data", data.path(), "query", statement});
    };

    // Tabs, line breaks and backslashes inside cells keep each row on one line.
    CtlRun r = sql("select 'a'||char(9)||'b' as x, 'one'||char(13)||char(10)||'two' as y, 'C:\\dir\\n' as z");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Key\ty\tz\na\\tb\tone\\r\\ntwo\tC:\\\\dir\\\\n\n");

    // A parameter row that is missing is not an empty value, for get or set.
    ASSERT_EQ(sql("delete from GlobalParamList where ParamName='Param5';"
                  " insert into GlobalParamList (ParamName,Param) values ('Param14','twice')").code, 0);
    r = koltctl({"--data", data.path(), "param", "get", "5"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains("Param5 is missing")) << r.err.toStdString();
    r = koltctl({"--data", data.path(), "param", "set", "5", ""});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Param5 is missing")) << r.err.toStdString();
    EXPECT_EQ(koltctl({"--data", data.path(), "param", "get", "4"}).code, 0);

    // Damage the reading cannot get past: param and rollup fail and say why.
    ASSERT_EQ(sql("alter table GlobalParamList rename column Param to Value").code, 0);
    r = koltctl({"--data", data.path(), "param", "get", "0"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Param0 could not be read: no such column: Param")) << r.err.toStdString();
    ASSERT_EQ(sql("drop table AssyList").code, 0);
    r = koltctl({"--data", data.path(), "rollup"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains("The cost roll-up could not be written.\nno such table: AssyList")) << r.err.toStdString();
}

TEST(Koltctl, ADamagedSettingsFileIsIgnored)
{
    // A settings file cut short inside the data folder's name: the start of
    // the name decodes, the rest does not. None of it may be used.
    QTemporaryDir home;
    const QString half = home.path() + "/half";
    QByteArray bytes("\xFF\xFE\xFF");
    const QString folder = half + "/decoded/folder/name";
    bytes.append(char(folder.size()));
    for (const QChar c : folder)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    bytes.truncate(bytes.size() - 8);
    QDir().mkpath(home.path() + "/config/KOLT");
    QFile file(home.path() + "/config/KOLT/KOLT.prm");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    const CtlRun r = koltctl({"init"}, {{"XDG_CONFIG_HOME", home.path() + "/config"},
                                        {"XDG_DATA_HOME", home.path() + "/share"}});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("The settings file is damaged; the defaults are used:")) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), home.path() + "/share/KOLT");
    EXPECT_FALSE(QFileInfo::exists(half));
}

TEST(Koltctl, TwoProgramsNeverHandOutTheSameNumber)
{
    QTemporaryDir data;
    ASSERT_EQ(koltctl({"--data", data.path(), "init"}).code, 0);
    // Two programs insert requirements and purchase orders at the same time;
    // each number is read, advanced and written back under one lock.
    QStringList numbers;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int program = 0; program < 2; ++program) {
        auto p = std::make_unique<QProcess>();
        QStringList script;
        for (int i = 0; i < 15; ++i)
            script << QStringLiteral("%1 --data '%2' insert %3").arg(ProgramDir() + "koltctl", data.path(),
                                                                   i % 2 ? "PurcList" : "ReqmList");
        p->start("sh", {"-c", script.join(" && ")});
        running.push_back(std::move(p));
    }
    for (auto& p : running) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        numbers << QString::fromUtf8(p->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    ASSERT_EQ(numbers.size(), 30);
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), 30);
    const CtlRun counts = koltctl({"--data", data.path(), "query",
                                   "select (select count(distinct Order_nBr) from ReqmList),"
                                   " (select count(distinct PO_nBr) from PurcList)"});
    EXPECT_TRUE(counts.out.endsWith("16\t14\n")) << counts.out.toStdString();
}

TEST(Koltctl, TwoProgramsWritingAtOnceLoseNothing)
{
    QTemporaryDir data;
    ASSERT_EQ(koltctl({"--data", data.path(), "init"}).code, 0);
    const QString csv = ProgramDir() + "samples/sensor-board.csv";
    // Each worker's own part row to edit.
    QString partRow[2];
    for (int w = 0; w < 2; ++w) {
        const CtlRun r = koltctl({"--data", data.path(), "insert", "PartList"});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        partRow[w] = r.out.trimmed();
    }

    struct Step
    {
        QStringList args;
        int worker = 0;
        CtlRun result;
    };
    std::vector<Step> steps;
    // Round by round, the two workers start the same kind of write at the same time.
    for (int round = 0; round < 3; ++round)
        for (int w = 0; w < 2; ++w) {
            const QString tag = QString("W%1-%2").arg(w).arg(round);
            steps.push_back({{"insert", "PurcList"}, w, {}});
            steps.push_back({{"insert", "ReqmList"}, w, {}});
            steps.push_back({{"import", csv, "--assembly", tag}, w, {}});
            steps.push_back({{"set", "PartList", partRow[w], "Description", tag}, w, {}});
        }
    const int kinds = 4;
    for (size_t i = 0; i < steps.size(); i += 2 * kinds)
        for (int k = 0; k < kinds; ++k) {
            QProcess running[2];
            for (int w = 0; w < 2; ++w) {
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert("XDG_CONFIG_HOME", QDir::tempPath() + "/koltctl-test-config");
                running[w].setProcessEnvironment(env);
                running[w].start(ProgramDir() + "koltctl", QStringList{"--data", data.path()} + steps[i + w * kinds + k].args);
            }
            for (int w = 0; w < 2; ++w) {
                ASSERT_TRUE(running[w].waitForFinished(60000));
                CtlRun& r = steps[i + w * kinds + k].result;
                r.code = running[w].exitCode();
                r.out = QString::fromUtf8(running[w].readAllStandardOutput());
                r.err = QString::fromUtf8(running[w].readAllStandardError());
            }
        }

    auto query = [&](const QString& sql) { return koltctl({"--data", data.path(), "query", sql}).out; };
    // The one value of a one-row, one-column statement.
    auto scalar = [&](const QString& sql) { return query(sql).split('\n').value(1); };
    QStringList numbers;
    QString lastDescription[2];
    int landed = 0;
    int importLines = -1;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args.join(' ').toStdString());
        // A write that did not land says so: a non-zero exit and a message.
        if (step.result.code != 0) {
            EXPECT_FALSE(step.result.err.trimmed().isEmpty());
            if (step.args[0] == "import") {
                EXPECT_EQ(scalar(QString("select count(*) from AssyList where Assy='%1'").arg(step.args[3])), "0");
            }
            continue;
        }
        ++landed;
        if (step.args[0] == "insert")
            numbers << step.result.out.trimmed();
        else if (step.args[0] == "import") {
            // Every import that landed holds the whole bill, as the first did.
            const int lines = scalar(QString("select count(*) from AssyList where Assy='%1'").arg(step.args[3])).toInt();
            EXPECT_GT(lines, 0);
            if (importLines < 0)
                importLines = lines;
            EXPECT_EQ(lines, importLines);
        }
        else
            lastDescription[step.worker] = step.args[4];
    }
    // No number handed out twice, and every one handed out is stored once.
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), numbers.size()) << numbers.join(' ').toStdString();
    for (const QString& number : numbers)
        EXPECT_EQ(scalar(QString("select (select count(*) from PurcList where PO_nBr='%1')"
                                 " + (select count(*) from ReqmList where Order_nBr='%1')").arg(number)),
                  "1") << number.toStdString();
    // Both imports met the same new parts: each is stored once.
    EXPECT_EQ(query("select Part_nBr, count(*) from PartList where Part_nBr <> ''"
                    " group by Part_nBr having count(*) > 1"),
              "");
    for (int w = 0; w < 2; ++w)
        if (!lastDescription[w].isEmpty()) {
            EXPECT_EQ(scalar(QString("select Description from PartList where id=%1").arg(partRow[w])),
                      lastDescription[w]);
        }
    std::printf("[ writes   ] %d of %zu concurrent writes landed, the rest reported\n", landed, steps.size());
}
