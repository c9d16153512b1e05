// Work at the edges, through koltctl as a user's script meets it: another
// desk committing while this one waits for the lock, a disk that fills up,
// quantities no engine can compute with, counters set back, and a server
// connection cut with COMMIT on its way.
#include "support/testsupport.h"

#include "core/format.h"
#include "core/itemlist.h"
#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <memory>
#include <unistd.h>

namespace {

// Another desk in the middle of its work: it holds the shop's write lock
// from construction until commit(), and runs statements under it.
class OtherDesk
{
public:
    OtherDesk(const QString& location, const QString& database, bool server) : m_server(server)
    {
        if (server) {
            m_process.start(QStringLiteral("psql"), {location, QStringLiteral("-q"), QStringLiteral("-v"),
                                                      QStringLiteral("ON_ERROR_STOP=1")});
            m_process.waitForStarted();
            send("begin;\nselect pg_advisory_xact_lock(1263488084, hashtext(current_schema())) is null;\n");
            // The answer row says the lock is held.
            m_process.waitForReadyRead(10000);
        } else {
            m_process.start(QStringLiteral("python3"),
                            {QStringLiteral("-c"),
                             QStringLiteral("import sqlite3, sys\n"
                                            "c = sqlite3.connect(sys.argv[1], timeout=10, isolation_level=None)\n"
                                            "c.execute('BEGIN IMMEDIATE')\n"
                                            "print('locked', flush=True)\n"
                                            "for line in sys.stdin:\n"
                                            "    c.execute(line)\n"
                                            "c.execute('COMMIT')\n"),
                             database});
            m_process.waitForReadyRead(10000);
        }
    }
    ~OtherDesk() { commit(); }

    void run(const QString& sql) { send((sql + (m_server ? ";\n" : "\n")).toUtf8()); }
    void commit()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        if (m_server)
            send("commit;\n");
        m_process.closeWriteChannel();
        m_process.waitForFinished(20000);
    }

private:
    void send(const QByteArray& text)
    {
        m_process.write(text);
        m_process.waitForBytesWritten(5000);
    }

    bool m_server;
    QProcess m_process;
};

class EdgesTest : public DataFolderTest
{
protected:
    std::unique_ptr<OtherDesk> otherDesk() { return std::make_unique<OtherDesk>(location, dbPath(), TestOnServer()); }

    // koltctl started now, to be waited for later.
    std::unique_ptr<QProcess> start(const QStringList& args)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
        process->setProcessEnvironment(env);
        process->start(ProgramDir() + QStringLiteral("koltctl"), QStringList{"--data", location} + args);
        process->waitForStarted();
        // Long enough to have read what it reads first and to wait for the lock.
        QThread::msleep(1500);
        return process;
    }
    static CtlRun finish(QProcess& process)
    {
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    void addOrder(const QString& number, const QString& part, const QString& quantity)
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into PurcList (PO_nBr,Vendor,Status,Item_List) values ('%s','DIGI','Pending','%s')",
                                      {number, BuildItemList({{"1", quantity, part, "", "1.00", "", "Pending"}})})));
    }
};

} // namespace

TEST_F(EdgesTest, ACopyWaitingForTheLockNeverErasesWhatTheOtherDeskCommitted)
{
    QTemporaryDir source;
    ASSERT_EQ(RunKoltctl({"--data", source.path(), "init"}).code, 0);
    ASSERT_EQ(RunKoltctl({"--data", source.path(), "query", "insert into PartList (Part_nBr) values ('FROM-SOURCE')"}).code,
              0);

    auto desk = otherDesk();
    desk->run("insert into PartList (Part_nBr) values ('DESK-WORK')");
    auto copy = start({"copy", source.path(), location});
    desk->commit();
    const CtlRun r = finish(*copy);
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("already holds data")) << r.err.toStdString();
    EXPECT_EQ(sqlite("select Part_nBr from PartList"), "DESK-WORK");
}

TEST_F(EdgesTest, ReceivingAnOrderCancelledOrChangedMeanwhileIsRefused)
{
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Stock,Allocated,On_Order) values ('R1','5','0','1010')"));
    addOrder("P0005", "R1", "1000");
    addOrder("P0006", "R1", "10");

    // Cancelled on the other desk while receive waits for the lock.
    {
        auto desk = otherDesk();
        auto receive = start({"--yes", "receive", "P0005"});
        desk->run("delete from PurcList where PO_nBr = 'P0005'");
        desk->commit();
        const CtlRun r = finish(*receive);
        EXPECT_EQ(r.code, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("no such purchase order")) << r.err.toStdString();
    }
    // Its line edited meanwhile: what would be received is no longer what was read.
    {
        auto desk = otherDesk();
        auto receive = start({"--yes", "receive", "P0006"});
        desk->run("update PurcList set Item_List = replace(Item_List, '10', '12') where PO_nBr = 'P0006'");
        desk->commit();
        const CtlRun r = finish(*receive);
        EXPECT_EQ(r.code, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("changed meanwhile")) << r.err.toStdString();
    }
    EXPECT_EQ(sqlite("select Stock from PartList where Part_nBr = 'R1'"), "5");
    EXPECT_EQ(sqlite("select Status from PurcList"), "Pending");
    // Unhindered, the order is received once.
    const CtlRun r = ctl({"--yes", "receive", "P0006"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(sqlite("select Stock from PartList where Part_nBr = 'R1'"), "17");
}

TEST_F(EdgesTest, QuantitiesThatAreNoPlainNumberAreRefusedWhereverTheyEnter)
{
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make,Stock,Allocated,On_Order) values "
                        "('R1','Buy','0','0','0'),('BOARD','Make','0','0','0')"));
    ASSERT_TRUE(Execute("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('BOARD',1,'R1','2')"));
    const QString line = sqlite("select id from AssyList");
    const QString part = sqlite("select id from PartList where Part_nBr = 'R1'");
    for (const char* text : {"0x10", "99999999999999999999", "-1", "1e3", "2,5", "7 pcs", "inf"}) {
        CtlRun r = ctl({"set", "AssyList", line, "Quan", text});
        EXPECT_EQ(r.code, 1) << text;
        EXPECT_TRUE(r.err.contains(QStringLiteral("\"%1\"").arg(QString::fromLatin1(text)))) << r.err.toStdString();
        r = ctl({"set", "PartList", part, "Stock", text});
        EXPECT_EQ(r.code, 1) << text;
    }
    EXPECT_EQ(sqlite("select Quan from AssyList"), "2");
    EXPECT_EQ(ctl({"set", "AssyList", line, "Quan", "2.5"}).code, 0);
    EXPECT_EQ(ctl({"set", "PartList", part, "Stock", "0"}).code, 0);

    // Written around the program: Process, completion and the check refuse it.
    ASSERT_TRUE(Execute("update AssyList set Quan = '0x10'"));
    const QString requirement = ctl({"insert", "ReqmList"}).out.trimmed();
    CtlRun r = ctl({"process", requirement, "--quantity", "1", "--assembly", "BOARD"});
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("0x10")) << r.err.toStdString();
    EXPECT_EQ(sqlite("select count(*) from PurcList"), "0");

    ASSERT_TRUE(Execute("update AssyList set Quan = '2'"));
    ASSERT_EQ(ctl({"process", requirement, "--quantity", "1", "--assembly", "BOARD"}).code, 0);
    ASSERT_TRUE(Execute("update AlloList set Quan = '-1'"));
    r = ctl({"stock", "check"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("-1")) << r.err.toStdString();
    r = ctl({"--yes", "complete", requirement});
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_EQ(sqlite("select Stock from PartList where Part_nBr = 'R1'"), "0");
    EXPECT_EQ(sqlite("select Status from ReqmList"), "PO Gen");
}

TEST_F(EdgesTest, NumberingFollowsTheHighestNumberInUseAndNeverWraps)
{
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make,Distributor,Stock,Allocated,On_Order) values "
                        "('R1','Buy','DIGI','0','0','0'),('BOARD','Make','','0','0','0')"));
    ASSERT_TRUE(Execute("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('BOARD',1,'R1','2')"));
    const QString first = ctl({"insert", "ReqmList"}).out.trimmed();
    EXPECT_EQ(first, "REQ0001");
    ASSERT_EQ(ctl({"process", first, "--quantity", "1", "--assembly", "BOARD"}).code, 0);
    EXPECT_EQ(sqlite("select PO_nBr from PurcList"), "P0001");

    // Set back: asked, and refused without --yes; with it, set, but no
    // number in use is handed out again.
    CtlRun r = ctl({"param", "set", "6", "0"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("REQ0001")) << r.err.toStdString();
    EXPECT_EQ(ctl({"param", "get", "6"}).out.trimmed(), "1");
    EXPECT_EQ(ctl({"--yes", "param", "set", "6", "0"}).code, 0);
    EXPECT_EQ(ctl({"--yes", "param", "set", "7", "0"}).code, 0);
    const QString second = ctl({"insert", "ReqmList"}).out.trimmed();
    EXPECT_EQ(second, "REQ0002");
    ASSERT_EQ(ctl({"process", second, "--quantity", "1", "--assembly", "BOARD"}).code, 0);
    EXPECT_EQ(sqlite("select PO_nBr from PurcList order by PO_nBr"), "P0001\nP0002");
    EXPECT_EQ(ctl({"param", "get", "7"}).out.trimmed(), "2");

    // At the largest number there is no next one: refused, nothing written.
    EXPECT_EQ(ctl({"param", "set", "7", "2147483647"}).code, 0);
    const QString third = ctl({"insert", "ReqmList"}).out.trimmed();
    r = ctl({"process", third, "--quantity", "1", "--assembly", "BOARD"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("2147483647")) << r.err.toStdString();
    EXPECT_EQ(sqlite("select count(*) from PurcList"), "2");
    EXPECT_EQ(sqlite("select count(*) from PurcList where PO_nBr like '%-%'"), "0");
    EXPECT_EQ(ctl({"param", "set", "6", "2147483647"}).code, 0);
    r = ctl({"insert", "ReqmList"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(sqlite("select count(*) from ReqmList"), "3");
}

TEST_F(EdgesTest, AFullDiskKeepsThePreviousFileAndSaysWhy)
{
    SKIP_ON_SERVER("the files are written on this machine either way");
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    const QString disk = dir.path() + QStringLiteral("/disk");
    QDir().mkpath(disk);
    QProcess mount;
    // Room for a new shop's file and its write-ahead log while it is made, which
    // grows with every schema step; the disk is filled to the byte anyway.
    mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=1m", "tmpfs", disk});
    mount.waitForFinished();
    if (mount.exitCode() != 0)
        GTEST_SKIP() << "no tmpfs could be mounted: " << mount.readAllStandardError().toStdString();
    struct Unmount
    {
        QString path;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), {path}); }
    } unmount{disk};

    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Description) values ('R1','first')"));
    addOrder("P0001", "R1", "3");
    const QString csv = disk + QStringLiteral("/parts.csv");
    const QString pdf = disk + QStringLiteral("/po.pdf");
    ASSERT_EQ(ctl({"export", "PartList", csv}).code, 0);
    ASSERT_EQ(ctl({"print", "po", "P0001", "--pdf", pdf}).code, 0);
    QFile previousCsv(csv);
    ASSERT_TRUE(previousCsv.open(QIODevice::ReadOnly));
    const QByteArray csvBefore = previousCsv.readAll();
    QFile previousPdf(pdf);
    ASSERT_TRUE(previousPdf.open(QIODevice::ReadOnly));
    const QByteArray pdfBefore = previousPdf.readAll();

    // Fill the disk to the last byte.
    {
        QFile filler(disk + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        QByteArray byte(1, 'x');
        while (filler.write(byte) == 1) {
        }
    }
    ASSERT_TRUE(Execute(QStringLiteral("update PartList set Description = '%1'").arg(QString(4000, QLatin1Char('y')))));

    CtlRun r = ctl({"export", "PartList", csv});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("No space left on device")) << r.err.toStdString();
    r = ctl({"print", "po", "P0001", "--pdf", pdf});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("No space left on device")) << r.err.toStdString();
    previousCsv.seek(0);
    previousPdf.seek(0);
    QFile csvNow(csv);
    ASSERT_TRUE(csvNow.open(QIODevice::ReadOnly));
    EXPECT_EQ(csvNow.readAll(), csvBefore);
    QFile pdfNow(pdf);
    ASSERT_TRUE(pdfNow.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdfNow.readAll(), pdfBefore);
    // Nothing half-written is left beside them.
    EXPECT_EQ(QDir(disk).entryList(QDir::Files).size(), 3);

    // A shop on that disk: the receipt that cannot be written says why, in
    // the words of the statement that failed, and stores nothing.
    QFile::remove(disk + QStringLiteral("/filler"));
    const QString shop = disk + QStringLiteral("/shop");
    const QStringList env{QStringLiteral("XDG_CONFIG_HOME=") + dir.path() + QStringLiteral("/config")};
    ASSERT_EQ(RunKoltctl({"--data", shop, "init"}, env).code, 0);
    ASSERT_EQ(RunKoltctl({"--data", shop, "query",
                          "insert into PartList (Part_nBr,Stock) values ('R1','1')"},
                         env)
                  .code,
              0);
    ASSERT_EQ(RunKoltctl({"--data", shop, "query",
                          QStringLiteral("insert into PurcList (PO_nBr,Status,Item_List) values ('P0001','Pending','%1')")
                              .arg(BuildItemList({{"1", "3", "R1", QString(6000, QLatin1Char('d')), "1.00", "",
                                                   "Pending"}}))},
                         env)
                  .code,
              0);
    {
        QFile filler(disk + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        QByteArray byte(1, 'x');
        while (filler.write(byte) == 1) {
        }
        // Room for SQLite's shared-memory file, none for the change.
        filler.resize(filler.size() - 36 * 1024);
    }
    r = RunKoltctl({"--data", shop, "--yes", "receive", "P0001"}, env);
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains("full")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("already exists")) << r.err.toStdString();
    QFile::remove(disk + QStringLiteral("/filler"));
    EXPECT_EQ(RunKoltctl({"--data", shop, "query", "select Stock from PartList"}, env).out, "Key\n1\n");
}

TEST_F(EdgesTest, AConnectionCutWithCommitOnItsWaySaysTheOutcomeIsUnknown)
{
    if (!TestOnServer())
        GTEST_SKIP() << "only a server connection can be cut after COMMIT";
    const QRegularExpression hostPort(QStringLiteral("@([^:/]+):(\\d+)/"));
    const QRegularExpressionMatch address = hostPort.match(location);
    ASSERT_TRUE(address.hasMatch()) << location.toStdString();
    // Passes everything on, until the client's COMMIT that follows the
    // trigger text: the client is cut off first, then the COMMIT goes on to
    // the server, so the answer can never reach the client however fast the
    // server replies.
    QProcess proxy;
    proxy.start(QStringLiteral("python3"),
                {QStringLiteral("-c"),
                 QStringLiteral(
                     "import socket, sys, threading\n"
                     "host, port, trigger = sys.argv[1], int(sys.argv[2]), sys.argv[3].encode()\n"
                     "listener = socket.socket(); listener.bind(('127.0.0.1', 0)); listener.listen(8)\n"
                     "print(listener.getsockname()[1], flush=True)\n"
                     "armed = [False]\n"
                     "def pump(a, b, client):\n"
                     "    try:\n"
                     "        while True:\n"
                     "            data = a.recv(65536)\n"
                     "            if not data: break\n"
                     "            if client and trigger in data: armed[0] = True\n"
                     "            if client and armed[0] and b'COMMIT\\x00' in data:\n"
                     "                armed[0] = False\n"
                     "                a.shutdown(socket.SHUT_RDWR); a.close()\n"
                     "                b.sendall(data); return\n"
                     "            b.sendall(data)\n"
                     "    except OSError: pass\n"
                     "    for s in (a, b):\n"
                     "        try: s.shutdown(socket.SHUT_RDWR)\n"
                     "        except OSError: pass\n"
                     "while True:\n"
                     "    c, _ = listener.accept()\n"
                     "    s = socket.create_connection((host, port))\n"
                     "    threading.Thread(target=pump, args=(c, s, True), daemon=True).start()\n"
                     "    threading.Thread(target=pump, args=(s, c, False), daemon=True).start()\n"),
                 address.captured(1), address.captured(2), QStringLiteral("Insert into ReqmList")});
    ASSERT_TRUE(proxy.waitForReadyRead(10000));
    const QString proxyPort = QString::fromUtf8(proxy.readLine()).trimmed();
    QString throughProxy = location;
    throughProxy.replace(address.capturedStart(2), address.capturedLength(2), proxyPort);

    const CtlRun r = RunKoltctl({"--data", throughProxy, "insert", "ReqmList"},
                                {QStringLiteral("XDG_CONFIG_HOME=") + dir.path() + QStringLiteral("/config")});
    proxy.kill();
    proxy.waitForFinished();
    EXPECT_EQ(r.code, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("the connection was lost while the change was being committed; it may have been "
                               "stored: check before repeating"))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Nothing was written")) << r.err.toStdString();
    // It was stored.
    EXPECT_EQ(sqlite("select Order_nBr from ReqmList"), "REQ0001");
}
