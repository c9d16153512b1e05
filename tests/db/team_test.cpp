// A team on one server, set up as the README's team section says: a private
// cluster with password logins, an owner, two users and a read-only desk,
// driven through koltctl as each of them.
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A port nobody listens on right now.
int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

QString run(const QString& program, const QStringList& args, int* code = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(120000);
    if (code)
        *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll()).trimmed();
}

class TeamServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!TestOnServer())
            return;
        s_root = new QTemporaryDir();
        QFile::setPermissions(s_root->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ReadOther | QFileDevice::ExeOther
                                                  | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
        s_port = freePort();
        int code = 0;
        const QString address = run(SourceDir() + QStringLiteral("/tools/pgtest"),
                                    {QStringLiteral("start"), cluster(), QString::number(s_port)}, &code);
        if (code != 0)
            return;
        s_super = address.section(QLatin1Char('@'), 0, 0).section(QStringLiteral("//"), 1);
        // The README's setup: logins with passwords, a database its owner
        // owns, and a LAN's pg_hba line (here the loopback's).
        for (const QString& sql :
             {QStringLiteral("create role anna login password 'anna-pw'"),
              QStringLiteral("create role ben login password 'ben-pw'"),
              QStringLiteral("create role cleo login password 'cleo-pw'"),
              QStringLiteral("create role dora login password 'dora-pw'")})
            superSql(QStringLiteral("postgres"), sql);
        run(QStringLiteral("createdb"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                         QString::number(s_port), QStringLiteral("-U"), s_super,
                                         QStringLiteral("--owner"), QStringLiteral("anna"), QStringLiteral("kolt")});
        QFile hba(cluster() + QStringLiteral("/data/pg_hba.conf"));
        if (hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
            hba.write(QStringLiteral("local all all trust\nhost all %1 127.0.0.1/32 trust\n"
                                     "host all all 127.0.0.1/32 scram-sha-256\n")
                          .arg(s_super)
                          .toUtf8());
        hba.close();
        superSql(QStringLiteral("postgres"), QStringLiteral("select pg_reload_conf()"));
        QFile pass(s_root->path() + QStringLiteral("/pgpass"));
        if (pass.open(QIODevice::WriteOnly))
            for (const char* user : {"anna", "ben", "cleo", "dora"})
                pass.write(QStringLiteral("127.0.0.1:%1:*:%2:%2-pw\n").arg(s_port).arg(QString::fromLatin1(user)).toUtf8());
        pass.close();
        QFile::setPermissions(pass.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        s_ready = true;
    }

    static void TearDownTestSuite()
    {
        if (s_root)
            run(SourceDir() + QStringLiteral("/tools/pgtest"), {QStringLiteral("stop"), cluster()});
        delete s_root;
        s_root = nullptr;
        s_ready = false;
    }

    void SetUp() override
    {
        if (!TestOnServer())
            GTEST_SKIP() << "runs its own cluster once, in the server run";
        ASSERT_TRUE(s_ready) << "the private cluster did not start";
    }

    static QString cluster() { return s_root->path() + QStringLiteral("/cluster"); }

    static QString superSql(const QString& database, const QString& sql)
    {
        return run(QStringLiteral("psql"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                            QString::number(s_port), QStringLiteral("-U"), s_super,
                                            QStringLiteral("-d"), database, QStringLiteral("-X"),
                                            QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-q"),
                                            QStringLiteral("-c"), sql});
    }

    static QString address(const QString& user, const QString& database = QStringLiteral("kolt"))
    {
        return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user).arg(s_port).arg(database);
    }

    // koltctl as user, passwords from the team's password file.
    CtlRun as(const QString& user, const QStringList& args, const QString& database = QStringLiteral("kolt"),
              const QStringList& environment = {}) const
    {
        return RunKoltctl(QStringList{QStringLiteral("--data"), address(user, database)} + args,
                          QStringList{QStringLiteral("XDG_CONFIG_HOME=") + m_config.path(),
                                      QStringLiteral("PGPASSFILE=") + s_root->path() + QStringLiteral("/pgpass")}
                              + environment);
    }

    CtlRun plain(const QStringList& args) const
    {
        return RunKoltctl(args, {QStringLiteral("XDG_CONFIG_HOME=") + m_config.path(),
                                 QStringLiteral("PGPASSFILE=") + s_root->path() + QStringLiteral("/pgpass")});
    }

    // The shop of database kolt, made once by its owner and opened to the team.
    void teamShop()
    {
        const CtlRun init = as(QStringLiteral("anna"), {QStringLiteral("init")});
        ASSERT_EQ(init.code, 0) << init.err.toStdString();
        ASSERT_EQ(as(QStringLiteral("anna"), {QStringLiteral("server"), QStringLiteral("grant"), QStringLiteral("ben")}).code, 0);
        ASSERT_EQ(as(QStringLiteral("anna"), {QStringLiteral("server"), QStringLiteral("grant"), QStringLiteral("cleo")}).code, 0);
        ASSERT_EQ(as(QStringLiteral("anna"), {QStringLiteral("server"), QStringLiteral("grant"), QStringLiteral("dora"),
                                              QStringLiteral("--read-only")})
                      .code,
                  0);
    }

    static int occurrences(const QString& text, const QString& part) { return static_cast<int>(text.count(part)); }

    static inline QTemporaryDir* s_root = nullptr;
    static inline int s_port = 0;
    static inline QString s_super;
    static inline bool s_ready = false;
    QTemporaryDir m_config;
};

} // namespace

TEST_F(TeamServer, OnlyInitMakesAShopAndOwnSchemasNeverHoldOne)
{
    // A database without a shop is refused by name, and nothing is made.
    run(QStringLiteral("createdb"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                     QString::number(s_port), QStringLiteral("-U"), s_super, QStringLiteral("--owner"),
                                     QStringLiteral("anna"), QStringLiteral("empty")});
    const CtlRun refused = as(QStringLiteral("anna"), {QStringLiteral("stock"), QStringLiteral("check")}, QStringLiteral("empty"));
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(occurrences(refused.err, QStringLiteral("There is no KOLT shop in database empty (schema kolt).")), 1)
        << refused.err.toStdString();
    EXPECT_EQ(superSql(QStringLiteral("empty"), QStringLiteral("select count(*) from pg_namespace where nspname = 'kolt'")),
              QStringLiteral("0"));
    // A user who may not create in the database cannot init there either.
    const CtlRun notAllowed = as(QStringLiteral("ben"), {QStringLiteral("init")}, QStringLiteral("empty"));
    EXPECT_EQ(notAllowed.code, 1);
    EXPECT_TRUE(notAllowed.err.contains(QStringLiteral("Login ben may not create a shop in database empty")))
        << notAllowed.err.toStdString();

    // Ben keeps a schema of his own: before the grant he is refused, after it
    // he sees the owner's shop; his schema stays empty throughout.
    superSql(QStringLiteral("kolt"), QStringLiteral("create schema if not exists ben authorization ben"));
    ASSERT_EQ(as(QStringLiteral("anna"), {QStringLiteral("init")}).code, 0);
    ASSERT_EQ(as(QStringLiteral("anna"), {QStringLiteral("param"), QStringLiteral("set"), QStringLiteral("0"),
                                          QStringLiteral("ANNA WORKS")})
                  .code,
              0);
    const CtlRun before = as(QStringLiteral("ben"), {QStringLiteral("param"), QStringLiteral("get"), QStringLiteral("0")});
    EXPECT_EQ(before.code, 1);
    EXPECT_EQ(occurrences(before.err, QStringLiteral("Login ben may not read the shop in database kolt (schema kolt).")), 1)
        << before.err.toStdString();
    EXPECT_TRUE(before.err.contains(QStringLiteral("koltctl server grant ben")));
    teamShop();
    const CtlRun after = as(QStringLiteral("ben"), {QStringLiteral("param"), QStringLiteral("get"), QStringLiteral("0")});
    EXPECT_EQ(after.code, 0) << after.err.toStdString();
    EXPECT_EQ(after.out.trimmed(), QStringLiteral("ANNA WORKS"));
    // Naming his own schema shows no empty shop either.
    const CtlRun own = as(QStringLiteral("ben"), {QStringLiteral("stock"), QStringLiteral("check")},
                          QStringLiteral("kolt?schema=ben"));
    EXPECT_EQ(own.code, 1);
    EXPECT_TRUE(own.err.contains(QStringLiteral("There is no KOLT shop in database kolt (schema ben).")))
        << own.err.toStdString();
    EXPECT_EQ(superSql(QStringLiteral("kolt"), QStringLiteral("select count(*) from pg_tables where schemaname = 'ben'")),
              QStringLiteral("0"));
}

TEST_F(TeamServer, ShopOfAnEarlierReleaseInPublicStillOpens)
{
    run(QStringLiteral("createdb"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                     QString::number(s_port), QStringLiteral("-U"), s_super, QStringLiteral("--owner"),
                                     QStringLiteral("anna"), QStringLiteral("older")});
    // Made as the earlier release made it: the tables in public.
    ASSERT_EQ(as(QStringLiteral("anna"), {QStringLiteral("init")}, QStringLiteral("older?schema=public")).code, 0);
    ASSERT_EQ(superSql(QStringLiteral("older"), QStringLiteral("select count(*) from pg_tables where schemaname = 'public' "
                                                               "and tablename = 'partlist'")),
              QStringLiteral("1"));
    const CtlRun opened = as(QStringLiteral("anna"), {QStringLiteral("param"), QStringLiteral("get"), QStringLiteral("0")},
                             QStringLiteral("older"));
    EXPECT_EQ(opened.code, 0) << opened.err.toStdString();
    EXPECT_EQ(opened.out.trimmed(), QStringLiteral("YOUR COMPANY"));
    EXPECT_EQ(superSql(QStringLiteral("older"), QStringLiteral("select count(*) from pg_namespace where nspname = 'kolt'")),
              QStringLiteral("0"));
}

TEST_F(TeamServer, GrantsGiveEachDeskWhatItMayDo)
{
    teamShop();
    // Writes by a user are stamped with his login, not a typed name.
    const CtlRun inserted = as(QStringLiteral("ben"), {QStringLiteral("insert"), QStringLiteral("VendList")});
    ASSERT_EQ(inserted.code, 0) << inserted.err.toStdString();
    const QString id = inserted.out.trimmed();
    ASSERT_EQ(as(QStringLiteral("cleo"), {QStringLiteral("set"), QStringLiteral("VendList"), id, QStringLiteral("Vendor"),
                                          QStringLiteral("ACME")})
                  .code,
              0);
    EXPECT_EQ(superSql(QStringLiteral("kolt"), QStringLiteral("select vendor || '|' || \"user\" from kolt.vendlist where id = ") + id),
              QStringLiteral("ACME|cleo"));

    // The read-only desk reads, and every write is refused in words.
    const CtlRun read = as(QStringLiteral("dora"), {QStringLiteral("query"), QStringLiteral("select Vendor from VendList")});
    EXPECT_EQ(read.code, 0) << read.err.toStdString();
    EXPECT_TRUE(read.out.contains(QStringLiteral("ACME")));
    for (const QStringList& write :
         {QStringList{QStringLiteral("insert"), QStringLiteral("PartList")},
          QStringList{QStringLiteral("set"), QStringLiteral("VendList"), id, QStringLiteral("Vendor"), QStringLiteral("X")},
          QStringList{QStringLiteral("param"), QStringLiteral("set"), QStringLiteral("0"), QStringLiteral("DORA")}}) {
        const CtlRun refused = as(QStringLiteral("dora"), write);
        EXPECT_EQ(refused.code, 1) << write.join(' ').toStdString();
        EXPECT_TRUE(refused.err.contains(QStringLiteral("for login dora. This desk is read-only.")))
            << refused.err.toStdString();
    }
    EXPECT_EQ(superSql(QStringLiteral("kolt"), QStringLiteral("select vendor from kolt.vendlist where id = ") + id),
              QStringLiteral("ACME"));

    // Only the owner grants; revoking takes everything back.
    const CtlRun notOwner = as(QStringLiteral("ben"), {QStringLiteral("server"), QStringLiteral("grant"), QStringLiteral("dora")});
    EXPECT_EQ(notOwner.code, 1);
    EXPECT_TRUE(notOwner.err.contains(QStringLiteral("Only the shop's owner (anna) may change its grants")))
        << notOwner.err.toStdString();
    const CtlRun noSuchUser = as(QStringLiteral("anna"), {QStringLiteral("server"), QStringLiteral("grant"), QStringLiteral("zed")});
    EXPECT_EQ(noSuchUser.code, 1);
    EXPECT_TRUE(noSuchUser.err.contains(QStringLiteral("No such user on the server: zed")));
    const CtlRun revoked = as(QStringLiteral("anna"), {QStringLiteral("server"), QStringLiteral("revoke"), QStringLiteral("cleo")});
    EXPECT_EQ(revoked.code, 0) << revoked.err.toStdString();
    EXPECT_EQ(revoked.out.trimmed(), QStringLiteral("cleo\tno access"));
    EXPECT_EQ(as(QStringLiteral("cleo"), {QStringLiteral("stock"), QStringLiteral("check")}).code, 1);
    const CtlRun again = as(QStringLiteral("anna"), {QStringLiteral("server"), QStringLiteral("grant"), QStringLiteral("cleo")});
    EXPECT_EQ(again.out.trimmed(), QStringLiteral("cleo\tread and write"));

    // The owner made the indexes; no desk tried to.
    EXPECT_EQ(superSql(QStringLiteral("kolt"), QStringLiteral("select count(*) from pg_indexes where schemaname = 'kolt' "
                                                              "and indexname in ('partlist_part_nbr', 'assylist_assy', "
                                                              "'resclist_assy')")),
              QStringLiteral("3"));
    QFile log(cluster() + QStringLiteral("/server.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_FALSE(log.readAll().contains("must be owner of"));
}

TEST_F(TeamServer, ConnectionFailuresNameTheirCauseOnce)
{
    teamShop();
    struct Case
    {
        QString user;
        QString database;
        QStringList environment;
        QString expected;
    };
    superSql(QStringLiteral("postgres"), QStringLiteral("create role if_expired login password 'old-pw' valid until '2001-01-01'"));
    const int closed = freePort();
    const std::vector<Case> cases = {
        {QStringLiteral("ben"), QStringLiteral("kolt"), {QStringLiteral("PGPASSWORD=wrong"), QStringLiteral("PGPASSFILE=/dev/null")},
         QStringLiteral("Authentication failed for user ben at 127.0.0.1:%1. The password is wrong or has expired.").arg(s_port)},
        {QStringLiteral("if_expired"), QStringLiteral("kolt"), {QStringLiteral("PGPASSWORD=old-pw")},
         QStringLiteral("Authentication failed for user if_expired at 127.0.0.1:%1. The password is wrong or has expired.").arg(s_port)},
        {QStringLiteral("ben"), QStringLiteral("kolt"), {QStringLiteral("PGPASSFILE=/dev/null")},
         QStringLiteral("The server at 127.0.0.1:%1 asks user ben for a password, and none was found.").arg(s_port)},
        {QStringLiteral("ben"), QStringLiteral("nowhere"), {},
         QStringLiteral("No such database on the server at 127.0.0.1:%1: nowhere").arg(s_port)},
    };
    for (const Case& c : cases) {
        const CtlRun failed = as(c.user, {QStringLiteral("stock"), QStringLiteral("check")}, c.database, c.environment);
        EXPECT_EQ(failed.code, 1);
        EXPECT_EQ(occurrences(failed.err, c.expected), 1) << failed.err.toStdString();
        EXPECT_EQ(occurrences(failed.err, QStringLiteral("Database Status")), 1) << failed.err.toStdString();
        EXPECT_FALSE(failed.err.contains(QStringLiteral("not open")));
    }
    const CtlRun unreachable = plain({QStringLiteral("--data"),
                                      QStringLiteral("postgresql://ben@127.0.0.1:%1/kolt").arg(closed),
                                      QStringLiteral("stock"), QStringLiteral("check")});
    EXPECT_EQ(unreachable.code, 1);
    EXPECT_EQ(occurrences(unreachable.err, QStringLiteral("Server unreachable at 127.0.0.1:%1").arg(closed)), 1)
        << unreachable.err.toStdString();
    // Permission denied names the table: a login with the schema but not the table.
    superSql(QStringLiteral("kolt"), QStringLiteral("revoke select on kolt.partlist from dora"));
    const CtlRun denied = as(QStringLiteral("dora"), {QStringLiteral("query"), QStringLiteral("select * from PartList")});
    superSql(QStringLiteral("kolt"), QStringLiteral("grant select on kolt.partlist to dora"));
    EXPECT_EQ(denied.code, 1);
    EXPECT_TRUE(denied.err.contains(QStringLiteral("Permission denied on PartList for login dora."))) << denied.err.toStdString();
}

TEST_F(TeamServer, BackupAndRestoreRoundTripOnBothDatabases)
{
    teamShop();
    ASSERT_EQ(as(QStringLiteral("anna"), {QStringLiteral("add-assy"), QStringLiteral("BOARD"), QStringLiteral("3")}).code, 0);
    const QString listing = QStringLiteral("select Assy, Item from AssyList order by id");
    const QString before = as(QStringLiteral("ben"), {QStringLiteral("query"), listing}).out;
    ASSERT_TRUE(before.contains(QStringLiteral("BOARD")));

    // The server's shop into one file, and back into a new folder.
    const QString file = s_root->path() + QStringLiteral("/kolt-backup.db");
    const CtlRun backup = plain({QStringLiteral("backup"), address(QStringLiteral("ben")), file});
    ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
    EXPECT_TRUE(backup.out.contains(QStringLiteral("AssyList\t3")));
    const QString folder = s_root->path() + QStringLiteral("/restored");
    const CtlRun restored = plain({QStringLiteral("restore"), file, folder});
    ASSERT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_EQ(plain({QStringLiteral("--data"), folder, QStringLiteral("query"), listing}).out, before);

    // The folder into a file, and that into a new database of the owner's.
    const QString second = s_root->path() + QStringLiteral("/folder-backup.db");
    ASSERT_EQ(plain({QStringLiteral("backup"), folder, second}).code, 0);
    run(QStringLiteral("createdb"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                     QString::number(s_port), QStringLiteral("-U"), s_super, QStringLiteral("--owner"),
                                     QStringLiteral("anna"), QStringLiteral("kolt_restored")});
    const CtlRun intoServer = plain({QStringLiteral("restore"), second, address(QStringLiteral("anna"), QStringLiteral("kolt_restored"))});
    ASSERT_EQ(intoServer.code, 0) << intoServer.err.toStdString();
    EXPECT_EQ(as(QStringLiteral("anna"), {QStringLiteral("query"), listing}, QStringLiteral("kolt_restored")).out, before);
    EXPECT_EQ(superSql(QStringLiteral("kolt_restored"), QStringLiteral("select count(*) from pg_indexes where schemaname = 'kolt' "
                                                                       "and indexname = 'assylist_assy'")),
              QStringLiteral("1"));

    // A location that holds a shop with data is never restored over.
    const CtlRun over = plain({QStringLiteral("restore"), second, address(QStringLiteral("anna"))});
    EXPECT_EQ(over.code, 1);
    EXPECT_TRUE(over.err.contains(QStringLiteral("The target already holds data"))) << over.err.toStdString();
    EXPECT_EQ(as(QStringLiteral("ben"), {QStringLiteral("query"), listing}).out, before);
    // A backup of a database without a shop writes no file.
    const CtlRun none = plain({QStringLiteral("backup"), address(QStringLiteral("anna"), QStringLiteral("postgres")),
                               s_root->path() + QStringLiteral("/none.db")});
    EXPECT_EQ(none.code, 1);
    EXPECT_FALSE(QFile::exists(s_root->path() + QStringLiteral("/none.db")));
}
