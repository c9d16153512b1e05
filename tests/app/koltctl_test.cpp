#include "support/testsupport.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <memory>

namespace {

struct CtlRun
{
    int code = -1;
    QString out;
    QString err;
};

CtlRun koltctl(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QDir::tempPath() + "/koltctl-test-config");
    p.setProcessEnvironment(env);
    p.start(ProgramDir() + "koltctl", args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
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
