// The client against the stand-in service on a free loopback port, the
// koltctl commands, and the transfer into a part's row.
#include "core/appstate.h"
#include "partinfo/partinfo.h"
#include "partinfo/hostileservice.h"
#include "partinfo/partservice.h"
#include "partinfo/standin.h"
#include "support/testsupport.h"

#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>

namespace {

class PartServiceTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        EnsureCoreApplication();
        DataFolderTest::SetUp();
    }
    void TearDown() override
    {
        SetPartServiceTimeout(0);
        SetPartServiceLimits(PartServiceLimits{});
        SetShowServiceAnswers(false); // the profile outlives the test
        DataFolderTest::TearDown();
    }
    QStringList documents() const
    {
        return QDir(DataDocumentFolder()).entryList(QDir::Files | QDir::Hidden);
    }
};

#define START_STAND_IN(service)                                                                                  \
    StandInService service;                                                                                      \
    if (!service.running())                                                                                      \
    GTEST_SKIP() << service.why().toStdString()

} // namespace

TEST_F(PartServiceTest, SearchesTheStandIn)
{
    START_STAND_IN(service);

    std::vector<PartMatch> rows = SearchParts(service.address(), QStringLiteral("SMD"));
    ASSERT_EQ(rows.size(), 10u); // the service finds 19 and sends 15
    EXPECT_EQ(rows[0].fields[0], QStringLiteral("RC0603FR-0710KL"));
    EXPECT_TRUE(ui.messages.empty()) << "the raw answer is shown only when asked for";
    // Asked for, the whole answer is shown, as sent.
    SetShowServiceAnswers(true);
    rows = SearchParts(service.address(), QStringLiteral("SMD"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("\"hits\": 19")));
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("KOLT"));

    // Part numbers that would end or change the query unless encoded.
    for (const char* mpn : {"LT1763CS8-3.3#PBF", "MAX3232CPE+", "BC847C,215", "24LC256-I/P"}) {
        rows = SearchParts(service.address(), QString::fromLatin1(mpn));
        ASSERT_EQ(rows.size(), 1u) << mpn;
        EXPECT_EQ(rows[0].fields[0], QString::fromLatin1(mpn));
    }
    rows = SearchParts(service.address(), QStringLiteral("Tape & Reel"));
    EXPECT_EQ(rows.size(), 2u);

    // Text outside ASCII arrives as sent, both ways.
    rows = SearchParts(service.address(), QStringLiteral("würth"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].fields[3], QStringLiteral("Würth Elektronik"));
    EXPECT_EQ(rows[0].fields[1], QStringLiteral("Capacitor ceramic 1 µF 50 V X7R 0805 SMD, Tape & Reel"));

    bool reached = false;
    rows = SearchParts(service.address(), QStringLiteral("no such part"), &reached);
    EXPECT_TRUE(reached);
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(ui.saw(QStringLiteral("Internet Connection Error")));
}

TEST_F(PartServiceTest, DownloadsTheDatasheetIntoTheDocumentFolder)
{
    START_STAND_IN(service);
    const std::vector<PartMatch> rows = SearchParts(service.address(), QStringLiteral("LM317T"));
    ASSERT_EQ(rows.size(), 1u);

    PartDatasheet sheet = FetchPartDatasheet(service.address(), rows[0].uid, rows[0].fields[0]);
    EXPECT_TRUE(sheet.fetched);
    EXPECT_EQ(sheet.datasheetUrl, service.address() + QStringLiteral("/datasheets/LM317T-NOPB.pdf"));
    EXPECT_EQ(sheet.imageUrl, service.address() + QStringLiteral("/images/LM317T-NOPB.png"));
    EXPECT_EQ(sheet.path, DataDocumentFolder() + QStringLiteral("/LM317T-NOPB.pdf"));
    QFile file(sheet.path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.contains("%%EOF"));

    // A hostile part number cannot climb out of the Document folder.
    sheet = FetchPartDatasheet(service.address(), rows[0].uid, QStringLiteral("../../escaped"));
    EXPECT_EQ(QFileInfo(sheet.path).absolutePath(), QFileInfo(DataDocumentFolder()).absoluteFilePath());
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/escaped.pdf")));
    EXPECT_EQ(documents(), (QStringList{QStringLiteral("..-..-escaped.pdf"), QStringLiteral("LM317T-NOPB.pdf")}));

    // An unknown uid is refused by the service: no file, and the user is told.
    ui.clear();
    sheet = FetchPartDatasheet(service.address(), QStringLiteral("1"), QStringLiteral("GHOST"));
    EXPECT_FALSE(sheet.fetched);
    EXPECT_TRUE(sheet.path.isEmpty());
    EXPECT_TRUE(ui.saw(QStringLiteral("Internet Connection Error")));
    EXPECT_EQ(documents().size(), 2);
}

TEST_F(PartServiceTest, UnreachableServiceIsReported)
{
    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(ClosedLoopbackPort());
    bool reached = true;
    EXPECT_TRUE(SearchParts(closed, QStringLiteral("LM358"), &reached).empty());
    EXPECT_FALSE(reached);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Internet Connection Error"));
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("KOLT"));

    ui.clear();
    EXPECT_FALSE(DownloadFile(closed + QStringLiteral("/datasheets/x.pdf"), dir.path() + QStringLiteral("/x.pdf")));
    EXPECT_TRUE(ui.saw(QStringLiteral("Internet Connection Error")));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/x.pdf")));

    // Only web addresses are fetched; an empty datasheet address fails the same way.
    ui.clear();
    EXPECT_FALSE(DownloadFile(QStringLiteral("file:///etc/hostname"), dir.path() + QStringLiteral("/y")));
    EXPECT_FALSE(DownloadFile(QString(), dir.path() + QStringLiteral("/y")));
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/y")));

    // A service that accepts the connection but never answers is given up.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    SetPartServiceTimeout(300);
    ui.clear();
    EXPECT_TRUE(FetchText(QStringLiteral("http://127.0.0.1:%1/api").arg(silent.serverPort())).isEmpty());
    EXPECT_TRUE(ui.saw(QStringLiteral("Internet Connection Error")));
}

TEST_F(PartServiceTest, AddressSettingIsKept)
{
    EXPECT_EQ(PartServiceAddress(), QStringLiteral("http://127.0.0.1:8642"));
    SetPartServiceAddress(QStringLiteral("parts.example.com:8080/"));
    EXPECT_EQ(PartServiceAddress(), QStringLiteral("http://parts.example.com:8080"));
    SetPartServiceAddress(QStringLiteral("https://parts.example.com"));
    EXPECT_EQ(PartServiceAddress(), QStringLiteral("https://parts.example.com"));
}

TEST_F(PartServiceTest, KoltctlSearchAndDatasheet)
{
    START_STAND_IN(service);
    auto koltctl = [this](const QStringList& args, QString* errors = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
        p.setProcessEnvironment(env);
        p.start(ProgramDir() + QStringLiteral("koltctl"), QStringList{QStringLiteral("--data"), location} + args);
        p.waitForFinished(60000);
        if (errors)
            *errors = QString::fromUtf8(p.readAllStandardError());
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };

    QString errors;
    auto [code, out] = koltctl({QStringLiteral("partinfo"), QStringLiteral("answers")});
    EXPECT_EQ(out, QStringLiteral("off\n"));
    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("--service"), service.address(),
                                   QStringLiteral("search"), QStringLiteral("MAX3232CPE+")},
                                  &errors);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(errors.contains(QStringLiteral("\"hits\"")));
    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("answers"), QStringLiteral("on")});
    EXPECT_EQ(out, QStringLiteral("on\n"));
    EXPECT_EQ(koltctl({QStringLiteral("partinfo"), QStringLiteral("answers"), QStringLiteral("maybe")}).first, 2);
    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("--service"), service.address(),
                                   QStringLiteral("search"), QStringLiteral("MAX3232CPE+")},
                                  &errors);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, QStringLiteral("MAX3232CPE+\tRS-232 transceiver 3 V to 5.5 V PDIP-16\t2.95USD\tMaxim Integrated"
                                  "\twww.maximintegrated.com\t48392092\n"));
    // The answer is a message, so it goes to standard error.
    EXPECT_TRUE(errors.contains(QStringLiteral("\"hits\": 1")));

    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("--service"), service.address(),
                                   QStringLiteral("search"), QStringLiteral("SMD")});
    EXPECT_EQ(out.count(QLatin1Char('\n')), 10);

    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("--service"), service.address(),
                                   QStringLiteral("datasheet"), QStringLiteral("48392092"),
                                   QStringLiteral("MAX3232CPE+")});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out.trimmed(), DataDocumentFolder() + QStringLiteral("/MAX3232CPE+.pdf"));

    // The saved address applies without --service.
    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("service"), service.address()});
    EXPECT_EQ(out.trimmed(), service.address());
    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("search"), QStringLiteral("NE555")});
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("NE555P\t")));

    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(ClosedLoopbackPort());
    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("--service"), closed,
                                   QStringLiteral("search"), QStringLiteral("NE555")},
                                  &errors);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("Internet Connection Error")));
    std::tie(code, out) = koltctl({QStringLiteral("partinfo"), QStringLiteral("search")});
    EXPECT_EQ(code, 2);
}

TEST_F(PartServiceTest, TransferWritesTheCheckedValues)
{
    ASSERT_TRUE(Execute(QStringLiteral("INSERT INTO PartList (Part_nBr, Description, Manufacturer, Price, Currency,"
                                       " Web_Page, User, Time_Stamp) VALUES ('LM358DR', 'old', 'OLD', '9.99', 'EUR',"
                                       " 'old.example', 'someone', '2001-01-01 00:00:00')")));
    const QString id = sqlite(QStringLiteral("SELECT id FROM PartList WHERE Part_nBr='LM358DR'"));

    PartInfoTransfer values;
    values.descriptionText = QStringLiteral("Op amp 'dual' – 32 V");
    values.priceText = QStringLiteral("0.1412USD");
    values.manufacturerText = QStringLiteral("Würth Elektronik");
    values.websiteText = QStringLiteral("www.ti.com");

    // Nothing checked: nothing written.
    EXPECT_FALSE(TransferPartInfo(id.toInt(), values));
    EXPECT_TRUE(ui.saw(QStringLiteral("Check the values to transfer.")));

    values.description = values.price = values.manufacturer = true;
    ASSERT_TRUE(TransferPartInfo(id.toInt(), values));
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Description, Manufacturer, Price, Currency, Web_Page, User FROM PartList")),
              QStringLiteral("Op amp 'dual' – 32 V|WüRTH ELEKTRONIK|0.1412|USD|old.example|tester"));
    EXPECT_NE(sqlite(QStringLiteral("SELECT Time_Stamp FROM PartList")), QStringLiteral("2001-01-01 00:00:00"));

    // A row deleted meanwhile is reported, not silently "updated".
    ui.clear();
    values.website = true;
    EXPECT_FALSE(TransferPartInfo(id.toInt() + 1, values));
    EXPECT_TRUE(ui.saw(QStringLiteral("The part is no longer in the parts list.")));
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Web_Page FROM PartList")), QStringLiteral("old.example"));

    // All or nothing: a failing statement leaves the row as it was.
    ui.clear();
    values.descriptionText = QStringLiteral("changed");
    InjectStatementFailure(3);
    EXPECT_FALSE(TransferPartInfo(id.toInt(), values));
    InjectStatementFailure(0);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Description, Web_Page FROM PartList")),
              QStringLiteral("Op amp 'dual' – 32 V|old.example"));
}

TEST_F(PartServiceTest, ASlowOrFloodingServiceIsGivenUp)
{
    // Silence alone would never end these: the service always sends a little.
    SetPartServiceTimeout(5000);
    PartServiceLimits limits;
    limits.answerDeadline = 300;
    limits.datasheetDeadline = 300;
    limits.answerBytes = 64 * 1024;
    limits.datasheetBytes = 256 * 1024;
    SetPartServiceLimits(limits);

    HostileService trickle(HostileService::Mode::Trickle);
    ASSERT_TRUE(trickle.listening());
    EXPECT_TRUE(FetchText(trickle.address() + QStringLiteral("/api")).isEmpty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Internet Connection Error\nThe part service did not answer in time."));

    // More than the limit, announced or not, is refused without waiting for
    // the deadline (now far off): the message says which bound ended it.
    limits.answerDeadline = 30000;
    SetPartServiceLimits(limits);
    for (const HostileService::Mode mode : {HostileService::Mode::Flood, HostileService::Mode::Announce}) {
        HostileService flood(mode, 1024 * 1024);
        ui.clear();
        EXPECT_TRUE(FetchText(flood.address() + QStringLiteral("/api")).isEmpty());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  QStringLiteral("Internet Connection Error\nThe answer is larger than the limit: 0.0625 MB"));
    }

    // Within the limits an answer arrives whole.
    HostileService fine(HostileService::Mode::Serve, 60 * 1024);
    ui.clear();
    EXPECT_EQ(FetchText(fine.address() + QStringLiteral("/api")).toLatin1(), HostileService::Body(60 * 1024));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PartServiceTest, AFailedDownloadLeavesThePreviousFile)
{
    PartServiceLimits limits;
    limits.datasheetBytes = 256 * 1024;
    SetPartServiceTimeout(5000);
    const QString folder = dir.path() + QStringLiteral("/sheets");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/LM358.pdf");
    auto contents = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    };
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("%PDF- the datasheet kept from last time");
    }

    // Too large, cut off, too slow: each fails, says so, and neither a half
    // file nor a temporary one is left behind.
    HostileService flood(HostileService::Mode::Flood, 1024 * 1024);
    HostileService brokenOff(HostileService::Mode::BreakOff, 100 * 1024);
    HostileService trickle(HostileService::Mode::Trickle);
    for (const HostileService* service : {&flood, &brokenOff, &trickle}) {
        // Only the trickle needs the deadline; the others end on their own.
        limits.datasheetDeadline = service == &trickle ? 300 : 30000;
        SetPartServiceLimits(limits);
        ui.clear();
        EXPECT_FALSE(DownloadFile(service->address() + QStringLiteral("/x.pdf"), path));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Internet Connection Error")));
        EXPECT_EQ(contents(), QByteArray("%PDF- the datasheet kept from last time"));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("LM358.pdf")});
    }

    // One that arrives whole replaces it, byte for byte, in pieces larger
    // than one read.
    HostileService fine(HostileService::Mode::Serve, 200 * 1024);
    ui.clear();
    EXPECT_TRUE(DownloadFile(fine.address() + QStringLiteral("/x.pdf"), path));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(contents(), HostileService::Body(200 * 1024));

    // A folder that cannot be written to is told before anything is fetched.
    ui.clear();
    EXPECT_FALSE(DownloadFile(fine.address() + QStringLiteral("/x.pdf"), folder + QStringLiteral("/no/such/x.pdf")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Cannot write the file:")));
}
