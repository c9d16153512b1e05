#include "support/testsupport.h"

#include <QProcess>
#include <QTemporaryDir>

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
