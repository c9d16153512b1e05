// The distributors' offers refreshed into the sources against the stand-ins
// of tools/partservice/distributors.py: sources updated by vendor and order
// code or added, the preferred one kept, the parts not found and obsolete
// counted, failures writing nothing, and the statements a refresh sends.
#include "db/database.h"
#include "db/schema.h"
#include "db/sources.h"
#include "partinfo/httpexchange.h"
#include "partinfo/providers.h"
#include "partinfo/sourcerefresh.h"
#include "partinfo/standin.h"
#include "support/testsupport.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace {

int g_statements = 0;

void countStatement(const QByteArray&, int)
{
    ++g_statements;
}

class SourceRefreshTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        EnsureCoreApplication();
        DataFolderTest::SetUp();
        // The same settings folder koltctl gets from ctl(); a cache of the test's own.
        qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
        qputenv("XDG_CACHE_HOME", (dir.path() + "/cache").toUtf8());
    }

    void configure(const QString& name, const QString& address)
    {
        QMap<QString, QString> values{{"address", address}};
        if (name == "mouser")
            values.insert("key", "MOUSER-KEY");
        else if (name == "digikey")
            values.insert({{"client-id", "DK-ID"}, {"client-secret", "DK-SECRET"}});
        else
            values.insert({{"client-id", "NX-ID"}, {"client-secret", "NX-SECRET"}});
        QString error;
        ASSERT_TRUE(SetProviderValues(name, values, &error)) << error.toStdString();
    }

    void addPart(const QString& part, const QString& mpn)
    {
        ASSERT_TRUE(Execute(QStringLiteral("insert into PartList (Part_nBr, Mfr_Part_nBr, Make) values ('%1', '%2', 'Buy')")
                                .arg(part, mpn)));
    }

    static SourceRefreshSummary refresh(const QStringList& parts, const QString& provider = QString(),
                                        const QString& assembly = QString())
    {
        SourceRefreshRequest request;
        request.parts = parts;
        request.provider = provider;
        request.assembly = assembly;
        return RefreshSources(request);
    }

    static int requests(const QString& address, const QString& service)
    {
        HttpRequest request;
        request.url = address + "/stats";
        return QJsonDocument::fromJson(HttpExchange(request).body).object().value(service).toInt();
    }

    // A copy, not a pointer: the lists come from a const QHash, whose
    // operator[] hands back a temporary.
    static std::optional<SourceRecord> source(const std::vector<SourceRecord>& sources, const QString& vendor,
                                              const QString& code)
    {
        for (const SourceRecord& s : sources)
            if (s.vendor == vendor && s.orderCode == code)
                return s;
        return std::nullopt;
    }
};

#define START_DISTRIBUTORS(service, ...)                                                                         \
    StandInService service(QStringLiteral("distributors.py"), QStringList{__VA_ARGS__});                         \
    if (!service.running())                                                                                      \
    GTEST_SKIP() << service.why().toStdString()

} // namespace

TEST(SourceMatching, OrderCodeAndTheVendorByName)
{
    std::vector<SourceRecord> sources(3);
    sources[0].vendor = "MOUS";
    sources[0].orderCode = "595-LM358DR";
    sources[1].vendor = "Arrow";
    sources[1].orderCode = "LM358DR";
    sources[2].vendor = "DIGI-KEY";
    sources[2].orderCode = "296-1014-1-ND";
    Offer offer;
    offer.distributor = "Mouser";
    offer.orderCode = "595-lm358dr ";
    EXPECT_EQ(MatchingSource(sources, offer), &sources[0]);
    // The same order code from another seller is another source.
    offer.distributor = "Verical";
    offer.orderCode = "LM358DR";
    EXPECT_EQ(MatchingSource(sources, offer), nullptr);
    offer.distributor = "Arrow Electronics";
    EXPECT_EQ(MatchingSource(sources, offer), &sources[1]);
    offer.distributor = "Digi-Key";
    offer.orderCode = "296-1014-1-ND";
    EXPECT_EQ(MatchingSource(sources, offer), &sources[2]);
    offer.orderCode = "";
    EXPECT_EQ(MatchingSource(sources, offer), nullptr);

    EXPECT_TRUE(LifecycleIsObsolete("Obsolete"));
    EXPECT_TRUE(LifecycleIsObsolete("End of Life"));
    EXPECT_TRUE(LifecycleIsObsolete("Discontinued at Digi-Key"));
    EXPECT_FALSE(LifecycleIsObsolete("Not Recommended for New Designs"));
    EXPECT_FALSE(LifecycleIsObsolete("Active"));
    EXPECT_FALSE(LifecycleIsObsolete(""));
}

TEST_F(SourceRefreshTest, OffersUpdateAndAddSourcesAndThePreferredOneStays)
{
    START_DISTRIBUTORS(service);
    configure("mouser", service.address());
    addPart("R1", "RC0603FR-0710KL");
    addPart("C1", "GRM188R71H104KA93D");
    addPart("U1", "NE555P");
    addPart("X1", "NO-SUCH-MPN-1");
    addPart("N1", "");
    SourceRecord mine;
    mine.part = "R1";
    mine.vendor = "MOUS";
    mine.orderCode = "595-RC0603FR-0710KL";
    mine.preferred = true;
    mine.notes = "framework agreement";
    mine.breaks = {{1, 0.5}, {5000, 0.2}, {20000, 0.1}};
    ASSERT_TRUE(SaveSource(mine));
    SourceRecord other;
    other.part = "R1";
    other.vendor = "LCSC";
    other.orderCode = "C98220";
    other.breaks = {{1, 0.003}};
    ASSERT_TRUE(SaveSource(other));
    const QString lcscBreaks = sqlite("select Quantity, Price from BrkList where Vendor = 'LCSC'");

    SourceRefreshSummary summary = refresh({});
    EXPECT_FALSE(summary.failed) << summary.problems.join("; ").toStdString();
    EXPECT_EQ(SourceRefreshSummaryText(summary), "4 parts, 3 offers, 1 not found, 1 obsolete");
    EXPECT_EQ(summary.updated, 1);
    EXPECT_EQ(summary.added, 2);
    // Four part numbers in one request: Mouser takes ten at a time.
    EXPECT_EQ(requests(service.address(), "mouser"), 1);

    QHash<QString, std::vector<SourceRecord>> sources = LoadSources({});
    ASSERT_EQ(sources["R1"].size(), 2u);
    const std::optional<SourceRecord> updated = source(sources["R1"], "MOUS", "595-RC0603FR-0710KL");
    ASSERT_TRUE(updated.has_value());
    EXPECT_TRUE(updated->preferred);
    EXPECT_EQ(updated->notes, "framework agreement");
    EXPECT_EQ(updated->currency, "USD");
    EXPECT_DOUBLE_EQ(updated->vendorStock, 412000);
    EXPECT_EQ(updated->stockDate, QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(updated->leadDays, 84);
    // The breaks are the distributor's now, none of the old ones left.
    ASSERT_EQ(updated->breaks.size(), 4u);
    EXPECT_DOUBLE_EQ(updated->breaks[0].price, 0.10);
    EXPECT_DOUBLE_EQ(updated->breaks[3].quantity, 1000);
    EXPECT_DOUBLE_EQ(updated->breaks[3].price, 0.0042);
    EXPECT_EQ(sqlite("select count(*) from BrkList where Vendor = 'MOUS'"), "4");
    EXPECT_EQ(sqlite("select Quantity, Price from BrkList where Vendor = 'LCSC'"), lcscBreaks);

    ASSERT_EQ(sources["C1"].size(), 1u);
    EXPECT_EQ(sources["C1"][0].vendor, "Mouser");
    EXPECT_EQ(sources["C1"][0].orderCode, "595-GRM188R71H104KA93D");
    EXPECT_EQ(sources["C1"][0].mpn, "GRM188R71H104KA93D");
    EXPECT_FALSE(sources["C1"][0].preferred);
    EXPECT_TRUE(sources["X1"].empty());
    EXPECT_EQ(sqlite("select Part_nBr from PartList where Obsolete = 'Yes'"), "U1");

    // Again: the answers come from the cache, the sources are not doubled,
    // and the buyer's choice of the preferred source still stands.
    ASSERT_TRUE(Execute("update SrcList set Preferred = 'Yes' where Part_nBr = 'C1'"));
    summary = refresh({});
    EXPECT_EQ(SourceRefreshSummaryText(summary), "4 parts, 3 offers, 1 not found, 1 obsolete");
    EXPECT_EQ(summary.added, 0);
    EXPECT_EQ(requests(service.address(), "mouser"), 1);
    EXPECT_EQ(sqlite("select count(*) from SrcList"), "4");
    EXPECT_EQ(sqlite("select Part_nBr from SrcList where Preferred = 'Yes' order by Part_nBr"), "C1\nR1");
}

TEST_F(SourceRefreshTest, ABillIsRefreshedFromEveryProviderInFewRequests)
{
    START_DISTRIBUTORS(service);
    for (const char* name : {"mouser", "digikey", "nexar"})
        configure(name, service.address());
    addPart("R1", "RC0603FR-0710KL");
    addPart("C1", "GRM188R71H104KA93D");
    addPart("U2", "LM358DR"); // not in the bill
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr, Make) values ('TOP', 'Make'), ('SUB', 'Make')"));
    ASSERT_TRUE(Execute("insert into AssyList (Assy, Item, Part_nBr, Quan) values ('TOP', 1, 'R1', 2), "
                        "('TOP', 2, 'SUB', 1), ('SUB', 1, 'C1', 4)"));

    const SourceRefreshSummary summary = refresh({}, QString(), "TOP");
    EXPECT_FALSE(summary.failed) << summary.problems.join("; ").toStdString();
    // Each part: Mouser's offer, Digi-Key's cut tape and reel, and Nexar's
    // sellers but for Digi-Key's cut tape, which Digi-Key itself answered.
    EXPECT_EQ(SourceRefreshSummaryText(summary), "2 parts, 10 offers, 0 not found, 0 obsolete");
    EXPECT_EQ(requests(service.address(), "mouser"), 1);
    EXPECT_EQ(requests(service.address(), "nexar"), 1);
    const QHash<QString, std::vector<SourceRecord>> sources = LoadSources({});
    EXPECT_FALSE(sources.contains("U2"));
    ASSERT_EQ(sources["C1"].size(), 5u);
    const std::optional<SourceRecord> reel = source(sources["C1"], "Digi-Key", "GRM188R71H104KA93DTR-ND");
    ASSERT_TRUE(reel.has_value());
    EXPECT_DOUBLE_EQ(reel->minimum, 4000);
    EXPECT_DOUBLE_EQ(reel->multiple, 4000);
    EXPECT_DOUBLE_EQ(reel->pack, 4000);
    const std::optional<SourceRecord> broker = source(sources["C1"], "Broker One", "BRK-GRM188R71H104KA93D");
    ASSERT_TRUE(broker.has_value());
    EXPECT_LT(broker->vendorStock, 0); // a stock code, no count
}

TEST_F(SourceRefreshTest, FailuresWriteNothingAndSayWhy)
{
    START_DISTRIBUTORS(service);
    addPart("R1", "RC0603FR-0710KL");
    addPart("BAD", "MALFORMED");
    addPart("LIM", "RATE-LIMIT");
    const QString before = snapshot();

    SourceRefreshSummary summary = refresh({"R1"});
    EXPECT_TRUE(summary.failed);
    EXPECT_TRUE(summary.problems.join(" ").contains("No provider is configured")) << summary.problems.join(" ").toStdString();

    configure("mouser", service.address());
    summary = refresh({"BAD"}, "mouser");
    EXPECT_TRUE(summary.failed);
    EXPECT_TRUE(summary.problems.join(" ").contains("Mouser")) << summary.problems.join(" ").toStdString();
    EXPECT_EQ(snapshot(), before);

    summary = refresh({"LIM"}, "mouser");
    EXPECT_TRUE(summary.failed);
    EXPECT_TRUE(summary.problems.join(" ").contains("limit")) << summary.problems.join(" ").toStdString();

    QString error;
    ASSERT_TRUE(SetProviderValues("mouser", {{"key", "WRONG-KEY"}}, &error));
    summary = refresh({"R1"}, "mouser");
    EXPECT_TRUE(summary.failed);
    EXPECT_TRUE(summary.problems.join(" ").contains("Invalid unique identifier")) << summary.problems.join(" ").toStdString();

    ASSERT_TRUE(SetProviderValues("mouser", {{"key", "MOUSER-KEY"},
                                             {"address", QStringLiteral("http://127.0.0.1:%1").arg(ClosedLoopbackPort())}},
                                  &error));
    summary = refresh({"R1"}, "mouser");
    EXPECT_TRUE(summary.failed);
    EXPECT_EQ(summary.problems.size(), 2) << summary.problems.join("; ").toStdString(); // the fault, the part not refreshed
    EXPECT_EQ(snapshot(), before);

    // Digi-Key asks part by part: the malformed answer spoils its own part only.
    configure("digikey", service.address());
    summary = refresh({"R1", "BAD"}, "digikey");
    EXPECT_FALSE(summary.failed);
    EXPECT_EQ(summary.parts, 1);
    EXPECT_EQ(summary.notRefreshed, 1);
    EXPECT_EQ(sqlite("select distinct Part_nBr from SrcList"), "R1");

    EXPECT_TRUE(refresh({"NOPE"}, "digikey").failed);
    EXPECT_TRUE(refresh({}, "digikey", "NO-SUCH-ASSY").failed);
    EXPECT_TRUE(refresh({"R1"}, "tme").failed);
}

TEST_F(SourceRefreshTest, TheStatementsDoNotFollowTheNumberOfParts)
{
    START_DISTRIBUTORS(service, "--extra", "60");
    configure("mouser", service.address());
    auto statementsFor = [&](int first, int count) {
        QStringList parts;
        for (int n = first; n < first + count; ++n) {
            const QString part = QStringLiteral("P%1").arg(n);
            addPart(part, QStringLiteral("KOLT-PAGE-%1").arg(n, 3, 10, QLatin1Char('0')));
            parts << part;
        }
        g_statements = 0;
        ObserveStatements(countStatement);
        const SourceRefreshSummary summary = refresh(parts, "mouser");
        ObserveStatements(nullptr);
        EXPECT_EQ(summary.offers, count);
        return g_statements;
    };
    const int few = statementsFor(1, 5);
    const int many = statementsFor(6, 50);
    EXPECT_LE(many, few + 8) << few << " statements for 5 parts, " << many << " for 50";
}

TEST_F(SourceRefreshTest, KoltctlPrintsTheSummaryAndFailsWhenNothingWasRefreshed)
{
    START_DISTRIBUTORS(service);
    addPart("R1", "RC0603FR-0710KL");
    addPart("U1", "NE555P");
    const QStringList environment{"XDG_CONFIG_HOME=" + dir.path() + "/config", "XDG_CACHE_HOME=" + dir.path() + "/cache"};
    CtlRun run = RunKoltctl({"--data", location, "sources", "refresh", "--part", "R1"}, environment);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("No provider is configured")) << run.err.toStdString();
    configure("mouser", service.address());
    run = RunKoltctl({"--data", location, "sources", "refresh", "--provider", "mouser"}, environment);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "2 parts, 2 offers, 0 not found, 1 obsolete\n");
    EXPECT_EQ(sqlite("select Obsolete from PartList where Part_nBr = 'U1'"), "Yes");
    EXPECT_EQ(RunKoltctl({"--data", location, "sources", "refresh", "--provider", "tme"}, environment).code, 2);
    EXPECT_EQ(RunKoltctl({"--data", location, "sources", "refresh", "--part", "R1", "--assy", "A"}, environment).code, 2);
    EXPECT_EQ(RunKoltctl({"--data", location, "sources", "list"}, environment).code, 2);
}

TEST_F(SourceRefreshTest, TransferMakesAnOfferASource)
{
    addPart("R1", "RC0603FR-0710KL");
    Offer offer;
    offer.distributor = "Mouser";
    offer.orderCode = "595-RC0603FR-0710KL";
    offer.mpn = "RC0603FR-0710KL";
    offer.currency = "EUR";
    offer.stock = 12;
    offer.breaks = {{1, 0.09}, {100, 0.01}};
    QString error;
    ASSERT_TRUE(TransferOffer("R1", offer, &error)) << error.toStdString();
    offer.breaks = {{1, 0.08}};
    ASSERT_TRUE(TransferOffer("R1", offer, &error));
    const std::vector<SourceRecord> sources = LoadSources({"R1"})["R1"];
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(sources[0].currency, "EUR");
    ASSERT_EQ(sources[0].breaks.size(), 1u);
    EXPECT_DOUBLE_EQ(sources[0].breaks[0].price, 0.08);
    EXPECT_FALSE(TransferOffer("NOPE", offer, &error));
    offer.orderCode.clear();
    EXPECT_FALSE(TransferOffer("R1", offer, &error));
}

TEST(PartAddressMerge, PreferredOfferFirstNeverEmptiedLocalDocumentKept)
{
    Offer mouser;
    mouser.distributor = "Mouser";
    mouser.orderCode = "595-X";
    mouser.datasheetUrl = "https://m.example/x.pdf";
    mouser.productUrl = "https://m.example/x";
    Offer digikey;
    digikey.distributor = "Digi-Key";
    digikey.orderCode = "X-ND";
    digikey.productUrl = "https://d.example/x";
    SourceRecord preferred;
    preferred.vendor = "DIGI-KEY";
    preferred.orderCode = "x-nd";
    preferred.preferred = true;

    // The preferred source's page; the datasheet from whichever offer has one.
    PartAddresses merged = MergedPartAddresses({}, {mouser, digikey}, &preferred);
    EXPECT_EQ(merged.webPage, "https://d.example/x");
    EXPECT_EQ(merged.datasheet, "https://m.example/x.pdf");
    merged = MergedPartAddresses({}, {mouser, digikey}, nullptr);
    EXPECT_EQ(merged.webPage, "https://m.example/x");

    // Offers without addresses leave what the user typed.
    Offer bare;
    bare.distributor = "Arrow";
    bare.orderCode = "X";
    merged = MergedPartAddresses({"https://maker.example/x.pdf", "https://maker.example/x"}, {bare}, nullptr);
    EXPECT_EQ(merged.datasheet, "https://maker.example/x.pdf");
    EXPECT_EQ(merged.webPage, "https://maker.example/x");
    // A datasheet kept as the shop's own document stays; a link is brought up to date.
    merged = MergedPartAddresses({"X-rev-C.pdf", ""}, {mouser}, nullptr);
    EXPECT_EQ(merged.datasheet, "X-rev-C.pdf");
    EXPECT_EQ(merged.webPage, "https://m.example/x");
    merged = MergedPartAddresses({"http://old.example/x.pdf", ""}, {mouser}, nullptr);
    EXPECT_EQ(merged.datasheet, "https://m.example/x.pdf");
}

TEST_F(SourceRefreshTest, TheOffersAddressesAndVendorsGoIntoTheRecords)
{
    START_DISTRIBUTORS(service);
    configure("mouser", service.address());
    addPart("R1", "RC0603FR-0710KL");
    addPart("C1", "GRM188R71H104KA93D");
    ASSERT_TRUE(Execute("update PartList set Datasheet = 'C1-murata.pdf' where Part_nBr = 'C1'"));
    // The shop knows Mouser under its own spelling; nobody knows Digi-Key yet.
    ASSERT_TRUE(Execute("insert into VendList (Vendor) values ('MOUSER')"));

    const SourceRefreshSummary summary = refresh({"R1", "C1"});
    ASSERT_FALSE(summary.failed) << summary.problems.join("; ").toStdString();
    EXPECT_EQ(sqlite("select Datasheet, Web_Page from PartList where Part_nBr = 'R1'"),
              "https://www.mouser.com/datasheet/2/rc0603fr-0710kl.pdf|https://www.mouser.com/ProductDetail/595-RC0603FR-0710KL");
    EXPECT_EQ(sqlite("select Datasheet, Web_Page from PartList where Part_nBr = 'C1'"),
              "C1-murata.pdf|https://www.mouser.com/ProductDetail/595-GRM188R71H104KA93D");
    // The new sources join the vendor the shop has; no second Mouser.
    EXPECT_EQ(sqlite("select distinct Vendor from SrcList"), "MOUSER");
    EXPECT_EQ(sqlite("select count(*) from VendList"), "1");

    // Transfer of an offer from a seller the shop has never bought from.
    Offer offer;
    offer.distributor = "Digi-Key";
    offer.orderCode = "311-10.0KHRCT-ND";
    offer.productUrl = "https://www.digikey.com/en/products/detail/x";
    QString error;
    ASSERT_TRUE(TransferOffer("R1", offer, &error)) << error.toStdString();
    EXPECT_EQ(sqlite("select Vendor from VendList order by Vendor"), "Digi-Key\nMOUSER");
    // The offer had no datasheet: the one on file stays.
    EXPECT_EQ(sqlite("select Datasheet, Web_Page from PartList where Part_nBr = 'R1'"),
              "https://www.mouser.com/datasheet/2/rc0603fr-0710kl.pdf|https://www.digikey.com/en/products/detail/x");
}

TEST_F(SourceRefreshTest, AShopOfTheVersionBeforeGainsTheVendorsStock)
{
    // The sources as the version before kept them.
    sqlite("drop table SrcList");
    if (TestOnServer()) {
        sqlite("create table SrcList (id serial primary key, Part_nBr text, Vendor text, Order_Code text, "
               "Manufacturer text, Mfr_Part_nBr text, Pack text, Min_Order text, Multiple text, Lead_Days text, "
               "Currency text, Preferred text, Notes text, \"User\" text, Time_Stamp text)");
        sqlite("update SchemaVersion set Version = 5");
    } else {
        sqlite("create table SrcList (id integer primary key, Part_nBr text, Vendor text, Order_Code text, "
               "Manufacturer text, Mfr_Part_nBr text, Pack text, Min_Order text, Multiple text, Lead_Days text, "
               "Currency text, Preferred text, Notes text, User text, Time_Stamp text)");
        sqlite("PRAGMA user_version = 5");
    }
    sqlite("insert into SrcList (Part_nBr, Vendor, Order_Code, Preferred) values ('R1', 'MOUS', '595-R1', 'Yes')");
    ASSERT_EQ(StoredSchemaVersion(), 5);
    QString error;
    ASSERT_TRUE(MigrateSchema(&error)) << error.toStdString();
    EXPECT_EQ(StoredSchemaVersion(), CurrentSchemaVersion());
    EXPECT_TRUE(TableColumns("SrcList").contains("Vendor_Stock", Qt::CaseInsensitive));
    EXPECT_TRUE(TableColumns("SrcList").contains("Stock_Date", Qt::CaseInsensitive));
    const std::vector<SourceRecord> sources = LoadSources({"R1"})["R1"];
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_TRUE(sources[0].preferred);
    EXPECT_LT(sources[0].vendorStock, 0);
}
