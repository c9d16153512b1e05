// Where a shop is opened and written, through koltctl as a script meets it:
// the same bill imported twice, a shop that can only be read, and a location
// that holds no shop at all.
#include "support/testsupport.h"

#include "db/database.h"
#include "db/location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace {

class ShopEdgesTest : public DataFolderTest
{
protected:
    QString writeFile(const QString& name, const QByteArray& text) const
    {
        const QString path = dir.path() + QLatin1Char('/') + name;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return path;
    }
};

} // namespace

TEST_F(ShopEdgesTest, ARepeatedImportIntoTheSameAssemblyIsRefusedUnlessAskedFor)
{
    const QString bill = writeFile("board.csv", "Part Number,Qty,Ref Des\nR-10K,2,\"R1,R2\"\nC-100N,1,C1\nU-MCU,1,U1\n");
    CtlRun r = ctl({"import", bill, "--assembly", "BOARD"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_EQ(sqlite("select count(*) from AssyList where Assy = 'BOARD'"), "3");
    const QString once = snapshot();

    // As a script repeats an import whose outcome it never learnt.
    r = ctl({"import", bill, "--assembly", "BOARD"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("BOARD already holds these lines")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Nothing was written")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("--again")) << r.err.toStdString();
    EXPECT_EQ(snapshot(), once);
    EXPECT_EQ(ctl({"import", bill, "--assembly", "BOARD", "--dry-run"}).code, 1);

    // The same lines in another order, and quantities written otherwise, are the same bill.
    const QString shuffled = writeFile("shuffled.csv", "Part Number,Qty\nU-MCU,1.0\nR-10K,2\nC-100N,1\n");
    EXPECT_EQ(ctl({"import", shuffled, "--assembly", "board"}).code, 1);
    EXPECT_EQ(snapshot(), once);

    // Replacing by the same lines doubles nothing; a file with other
    // quantities adds to the bill as before.
    r = ctl({"import", bill, "--assembly", "BOARD", "--replace"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'BOARD'"), "3");
    const QString more = writeFile("more.csv", "Part Number,Qty\nR-10K,4\n");
    EXPECT_EQ(ctl({"import", more, "--assembly", "BOARD"}).code, 0);
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'BOARD'"), "4");

    // Asked for by name, the file is imported once more.
    const QString other = writeFile("other.csv", "Part Number,Qty\nR-10K,2\n");
    ASSERT_EQ(ctl({"import", other, "--assembly", "SMALL"}).code, 0);
    r = ctl({"import", other, "--assembly", "SMALL", "--again"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'SMALL'"), "2");
}

TEST_F(ShopEdgesTest, ALocationWithoutAShopIsRefusedByEveryCommandButInit)
{
    // A folder that exists but holds no shop, one that does not exist, and
    // one whose kolt.db is no shop of KOLT.
    QTemporaryDir other;
    const QString empty = other.path() + "/empty";
    ASSERT_TRUE(QDir().mkpath(empty));
    const QString missing = other.path() + "/missing";
    const QString foreign = other.path() + "/foreign";
    ASSERT_TRUE(QDir().mkpath(foreign));
    QFile(foreign + "/kolt.db").open(QIODevice::WriteOnly);
    const QStringList env{QStringLiteral("XDG_CONFIG_HOME=") + dir.path() + QStringLiteral("/config")};
    for (const QString& place : {empty, missing, foreign}) {
        for (const QStringList& command : {QStringList{"stock", "check"}, QStringList{"query", "select 1"},
                                           QStringList{"insert", "ReqmList"}, QStringList{"param", "get", "0"}}) {
            const CtlRun r = RunKoltctl(QStringList{"--data", place} + command, env);
            EXPECT_EQ(r.code, 1) << place.toStdString() << " " << command.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains("There is no KOLT shop at this location: " + place)) << r.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(empty + "/kolt.db"));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QFileInfo(foreign + "/kolt.db").size(), 0);

    // init makes it, and says where; from then on it is a shop.
    CtlRun r = RunKoltctl({"--data", empty, "init"}, env);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Database Initialization"));
    r = RunKoltctl({"--data", empty, "stock", "check"}, env);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(RunKoltctl({"--data", missing, "init"}, env).code, 0);
    EXPECT_TRUE(QFile::exists(missing + "/kolt.db"));
}

TEST_F(ShopEdgesTest, AServerSchemaWithoutAShopIsRefusedAndLeftEmpty)
{
    if (!TestOnServer())
        GTEST_SKIP() << "a server location";
    const QString bare = anotherServerLocation();
    ASSERT_FALSE(bare.isEmpty());
    const CtlRun r = RunKoltctl({"--data", bare, "stock", "check"},
                                {QStringLiteral("XDG_CONFIG_HOME=") + dir.path() + QStringLiteral("/config")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("There is no KOLT shop")) << r.err.toStdString();
    const QString name = moreSchemas.last();
    EXPECT_EQ(sqlite(QStringLiteral("select count(*) from information_schema.tables where table_schema = '%1'").arg(name)),
              "0");
}

TEST_F(ShopEdgesTest, AShopOpenedReadOnlyReadsAndRefusesEveryWrite)
{
    SKIP_ON_SERVER("a read-only file or folder is a data folder's");
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make,Stock,Allocated,On_Order) values ('R1','Buy','5','0','0')"));
    ReleaseDatabase();
    const QString before = snapshot();
    const QString bill = writeFile("bill.csv", "Part Number,Qty\nR-10K,2\n");

    // Asked for on the command line: the same as a location this user may
    // not write, which a test run as root cannot make.
    auto readOnly = [&](const QStringList& args) { return ctl(QStringList{"--read-only"} + args); };
    CtlRun r = readOnly({"stock", "check"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = readOnly({"query", "select Part_nBr, Stock from PartList"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("R1\t5")) << r.out.toStdString();
    r = readOnly({"export", "PartList", dir.path() + "/parts.csv"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.path() + "/parts.csv"));
    for (const QStringList& write : {QStringList{"param", "set", "0", "Other"}, QStringList{"insert", "ReqmList"},
                                     QStringList{"import", bill, "--assembly", "BOARD"},
                                     QStringList{"query", "delete from PartList"}}) {
        r = readOnly(write);
        EXPECT_EQ(r.code, 1) << write.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("Writes are unavailable: the shop is open read-only")) << r.err.toStdString();
    }
    EXPECT_EQ(snapshot(), before);

    // In the program: it knows, and a write says why it failed.
    SetReadOnlyOpen(true);
    EXPECT_TRUE(DatabaseReadOnly());
    EXPECT_FALSE(Execute("update PartList set Stock = '6'"));
    EXPECT_TRUE(LastErrorText().startsWith("Writes are unavailable")) << LastErrorText().toStdString();
    SetReadOnlyOpen(false);
    EXPECT_FALSE(DatabaseReadOnly());
    EXPECT_TRUE(Execute("update PartList set Stock = '6'"));
    ReleaseDatabase();
    EXPECT_EQ(ctl({"param", "set", "0", "Other"}).code, 0);
}

TEST_F(ShopEdgesTest, AReadOnlyFileOrFolderOpensForReadingAndLeavesNothingThatBlocksWritesLater)
{
    SKIP_ON_SERVER("a read-only file or folder is a data folder's");
    // Permissions do not stop root: run as root, koltctl runs as nobody, to
    // whom root's files without write permission for others are read-only.
    const bool root = geteuid() == 0;
    if (root && QProcess::execute("runuser", {"-u", "nobody", "--", "true"}) != 0)
        GTEST_SKIP() << "run as root without runuser or the user nobody: permissions cannot stop a write";
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make,Stock,Allocated,On_Order) values ('R1','Buy','5','0','0')"));
    ReleaseDatabase();
    const QString scratch = dir.path() + "/scratch";
    ASSERT_TRUE(QDir().mkpath(scratch));
    QFile::setPermissions(scratch, QFileDevice::Permissions(0x7777));
    auto run = [&](const QStringList& args) -> CtlRun {
        if (!root)
            return ctl(args);
        QProcess p;
        p.start("runuser", QStringList{"-u", "nobody", "--", "env", "-u", "XDG_RUNTIME_DIR",
                                       "XDG_CONFIG_HOME=" + scratch, ProgramDir() + "koltctl", "--data", location}
                               + args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    };
    // Readable by everyone; writable by the owner only, or by every user.
    auto permit = [&](const QString& path, bool writable, bool folder) {
        QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        if (folder)
            permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
        if (writable)
            permissions |= QFileDevice::WriteOwner | (root ? QFileDevice::WriteGroup | QFileDevice::WriteOther
                                                           : QFileDevice::Permissions());
        return QFile::setPermissions(path, permissions);
    };
    const QString database = dbPath();

    // A kolt.db that cannot be written, in a folder that can.
    ASSERT_TRUE(permit(location, true, true));
    ASSERT_TRUE(permit(database, false, false));
    for (const QStringList& read : {QStringList{"stock", "check"}, QStringList{"query", "select count(*) from PartList"},
                                    QStringList{"export", "PartList", scratch + "/parts.csv"}}) {
        const CtlRun r = run(read);
        EXPECT_EQ(r.code, 0) << read.join(' ').toStdString() << r.err.toStdString();
    }
    CtlRun r = run({"param", "set", "0", "Other"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Writes are unavailable")) << r.err.toStdString();
    const QFileInfo shm(database + "-shm");
    EXPECT_TRUE(!shm.exists() || shm.permissions().testFlag(QFileDevice::WriteOther) || !root)
        << "a read-only -shm would block writes later";
    ASSERT_TRUE(permit(database, true, false));
    r = run({"param", "set", "0", "Other"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();

    // A folder that cannot be written: kolt.db itself may be, its journal may not.
    ASSERT_TRUE(permit(location, false, true));
    r = run({"stock", "check"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = run({"param", "set", "0", "Third"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Writes are unavailable")) << r.err.toStdString();
    ASSERT_TRUE(permit(location, true, true));
    EXPECT_EQ(run({"param", "get", "0"}).out, "Other\n");
    QFile::setPermissions(location, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
