// The distributors' providers: their documented answers read into offers,
// prices written for people in several locales, the user's credentials, the
// cache, OAuth2 tokens and request limits, against the stand-ins of
// tools/partservice/distributors.py.
#include "partinfo/httpexchange.h"
#include "partinfo/offers.h"
#include "partinfo/providerclients.h"
#include "partinfo/providers.h"
#include "partinfo/standin.h"
#include "support/testsupport.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

namespace {

class ProviderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureCoreApplication();
        ASSERT_TRUE(home.isValid());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    }

    void configureAll(const QString& address, const QMap<QString, QString>& digikeyExtra = {})
    {
        QString error;
        ASSERT_TRUE(SetProviderValues("mouser", {{"key", "MOUSER-KEY"}, {"address", address}}, &error))
            << error.toStdString();
        QMap<QString, QString> digikey{{"client-id", "DK-ID"}, {"client-secret", "DK-SECRET"}, {"address", address}};
        digikey.insert(digikeyExtra);
        ASSERT_TRUE(SetProviderValues("digikey", digikey, &error));
        ASSERT_TRUE(SetProviderValues("nexar", {{"client-id", "NX-ID"}, {"client-secret", "NX-SECRET"}, {"address", address}},
                                      &error));
    }

    // The stand-in's counts of tokens and requests.
    QJsonObject stats(const QString& address)
    {
        HttpRequest request;
        request.url = address + "/stats";
        return QJsonDocument::fromJson(HttpExchange(request).body).object();
    }

    QTemporaryDir home;
};

#define START_DISTRIBUTORS(service, ...)                                                                         \
    StandInService service(QStringLiteral("distributors.py"), QStringList{__VA_ARGS__});                         \
    if (!service.running())                                                                                      \
    GTEST_SKIP() << service.why().toStdString()

const Offer* offerFrom(const std::vector<Offer>& offers, const QString& distributor, const QString& orderCode)
{
    for (const Offer& offer : offers)
        if (offer.distributor == distributor && offer.orderCode == orderCode)
            return &offer;
    return nullptr;
}

} // namespace

TEST(PriceText, IsReadByTheCurrencyItIsGivenIn)
{
    EXPECT_DOUBLE_EQ(ParsePriceText("$0.10", "USD"), 0.10);
    EXPECT_DOUBLE_EQ(ParsePriceText("0,10 €", "EUR"), 0.10);
    EXPECT_DOUBLE_EQ(ParsePriceText("0,072 €", "EUR"), 0.072); // a decimal comma, not thousands
    EXPECT_DOUBLE_EQ(ParsePriceText("1.234,56 €", "EUR"), 1234.56);
    EXPECT_DOUBLE_EQ(ParsePriceText("€1.234,56", "EUR"), 1234.56);
    EXPECT_DOUBLE_EQ(ParsePriceText("£1,234.50", "GBP"), 1234.50);
    EXPECT_DOUBLE_EQ(ParsePriceText("$1,234", "USD"), 1234); // a thousands comma
    EXPECT_DOUBLE_EQ(ParsePriceText("1 234,50 zł", "PLN"), 1234.50);
    EXPECT_DOUBLE_EQ(ParsePriceText("CHF 1'234.50", "CHF"), 1234.50);
    EXPECT_DOUBLE_EQ(ParsePriceText("¥12", "JPY"), 12);
    EXPECT_DOUBLE_EQ(ParsePriceText("1.234.567", "USD"), 1234567);
    EXPECT_DOUBLE_EQ(ParsePriceText("0.0042", ""), 0.0042);
    EXPECT_EQ(ParsePriceText("", "USD"), -1);
    EXPECT_EQ(ParsePriceText("Quote", "USD"), -1);
}

TEST(ProviderAnswers, MouserPartsAndErrorsAsDocumented)
{
    // The shape of the SearchByPartRequest answer in Mouser's API documentation.
    const QByteArray answer = R"J({"Errors":[],"SearchResults":{"NumberOfResult":1,"Parts":[{
        "Availability":"12,345 In Stock","DataSheetUrl":"https://example.com/a.pdf","Description":"Resistor",
        "LeadTime":"12 Weeks","LifecycleStatus":"New Product","Manufacturer":"YAGEO",
        "ManufacturerPartNumber":"RC0603FR-0710KL","Min":"10","Mult":"10","MouserPartNumber":"603-RC0603FR-0710KL",
        "PriceBreaks":[{"Quantity":100,"Price":"0,021 €","Currency":"EUR"},{"Quantity":10,"Price":"0,10 €","Currency":"EUR"}],
        "ProductDetailUrl":"https://example.com/p"}]}})J";
    const ProviderResult result = ReadMouserAnswer(answer, 200);
    ASSERT_TRUE(result.reached);
    ASSERT_EQ(result.offers.size(), 1u);
    const Offer& offer = result.offers[0];
    EXPECT_EQ(offer.orderCode, "603-RC0603FR-0710KL");
    EXPECT_EQ(offer.stock, 12345);
    EXPECT_EQ(offer.minimumOrder, 10);
    EXPECT_EQ(offer.multiple, 10);
    EXPECT_EQ(offer.leadDays, 84);
    EXPECT_EQ(offer.currency, "EUR");
    ASSERT_EQ(offer.breaks.size(), 2u); // sorted by quantity
    EXPECT_DOUBLE_EQ(offer.breaks[0].quantity, 10);
    EXPECT_DOUBLE_EQ(offer.breaks[0].unitPrice, 0.10);
    EXPECT_DOUBLE_EQ(offer.breaks[1].unitPrice, 0.021);

    // A wrong key is answered with an error list, not an HTTP error.
    const ProviderResult badKey = ReadMouserAnswer(
        R"J({"Errors":[{"Id":0,"Code":"Invalid","Message":"Invalid unique identifier."}],"SearchResults":null})J", 200);
    EXPECT_FALSE(badKey.reached);
    EXPECT_TRUE(badKey.error.contains("Invalid unique identifier.")) << badKey.error.toStdString();
    const ProviderResult limit = ReadMouserAnswer(R"J({"Errors":[{"Code":"TooManyRequests","Message":"x"}]})J", 429);
    EXPECT_TRUE(limit.limitReached);
    EXPECT_FALSE(ReadMouserAnswer("{\"SearchResults\": {\"Parts\": [", 200).reached);
    EXPECT_FALSE(ReadMouserAnswer("<html>gateway</html>", 502).error.isEmpty());
}

TEST(ProviderAnswers, DigikeyVariationsAndProblemDetails)
{
    // KeywordSearch of Product Information v4: one offer per packaging.
    const QByteArray answer = R"J({"Products":[{"ManufacturerProductNumber":"LM358DR",
        "Manufacturer":{"Name":"Texas Instruments"},"Description":{"ProductDescription":"IC OPAMP"},
        "QuantityAvailable":500,"ProductStatus":{"Status":"Active"},"ManufacturerLeadWeeks":"6",
        "ProductVariations":[
          {"DigiKeyProductNumber":"296-1014-1-ND","PackageType":{"Name":"Cut Tape (CT)"},"MinimumOrderQuantity":1,
           "StandardPackage":1,"QuantityAvailableforPackageType":300,
           "StandardPricing":[{"BreakQuantity":1,"UnitPrice":0.52},{"BreakQuantity":10,"UnitPrice":0.356}]},
          {"DigiKeyProductNumber":"296-1014-2-ND","PackageType":{"Name":"Tape & Reel (TR)"},"MinimumOrderQuantity":2500,
           "StandardPackage":2500,"StandardPricing":[{"BreakQuantity":2500,"UnitPrice":0.11}]}]}],
        "ProductsCount":1,"SearchLocaleUsed":{"Site":"DE","Language":"de","Currency":"EUR"}})J";
    const ProviderResult result = ReadDigikeyAnswer(answer, 200);
    ASSERT_EQ(result.offers.size(), 2u);
    const Offer* cut = offerFrom(result.offers, "Digi-Key", "296-1014-1-ND");
    const Offer* reel = offerFrom(result.offers, "Digi-Key", "296-1014-2-ND");
    ASSERT_TRUE(cut && reel);
    EXPECT_EQ(cut->currency, "EUR");
    EXPECT_EQ(cut->stock, 300);
    EXPECT_EQ(cut->leadDays, 42);
    EXPECT_EQ(cut->multiple, 1);
    // The reel: its pack is what one ordered unit holds, and it is ordered by the reel.
    EXPECT_EQ(reel->minimumOrder, 2500);
    EXPECT_EQ(reel->pack, 2500);
    EXPECT_EQ(reel->multiple, 2500);
    EXPECT_EQ(reel->stock, 500);

    const ProviderResult refused = ReadDigikeyAnswer(
        R"J({"type":"x","title":"Unauthorized","status":401,"detail":"The Bearer token is invalid."})J", 401);
    EXPECT_FALSE(refused.reached);
    EXPECT_TRUE(refused.error.contains("The Bearer token is invalid.")) << refused.error.toStdString();
    EXPECT_FALSE(ReadDigikeyAnswer("<html>Service Unavailable</html>", 200).reached);
}

TEST(ProviderAnswers, NexarSellersPricesAndStockCodes)
{
    const QByteArray answer = R"J({"data":{"supMultiMatch":[{"hits":1,"parts":[{"mpn":"NE555P",
        "manufacturer":{"name":"Texas Instruments"},"shortDescription":"Timer",
        "sellers":[{"company":{"name":"Mouser"},"offers":[{"sku":"595-NE555P","inventoryLevel":-1,"moq":1,
           "orderMultiple":1,"prices":[{"quantity":1,"price":0.61,"currency":"USD"},
                                        {"quantity":1,"price":0.57,"currency":"EUR"}]}]},
                   {"company":{"name":"Broker"},"offers":[{"sku":"B1","inventoryLevel":-4,"prices":[]}]},
                   {"company":{"name":"Arrow"},"offers":[{"sku":"A1","inventoryLevel":1200,"factoryLeadDays":70,
           "prices":[{"quantity":10,"price":0.5,"currency":"USD"}]}]}]}]}]}})J";
    const ProviderResult result = ReadNexarAnswer(answer, 200, "EUR");
    ASSERT_EQ(result.offers.size(), 3u);
    const Offer* mouser = offerFrom(result.offers, "Mouser", "595-NE555P");
    ASSERT_TRUE(mouser);
    EXPECT_EQ(mouser->stockText, "Non-stocked");
    EXPECT_EQ(mouser->currency, "EUR"); // the currency asked for, where the seller has it
    ASSERT_EQ(mouser->breaks.size(), 1u);
    EXPECT_DOUBLE_EQ(mouser->breaks[0].unitPrice, 0.57);
    EXPECT_EQ(offerFrom(result.offers, "Broker", "B1")->stockText, "RFQ");
    EXPECT_EQ(offerFrom(result.offers, "Arrow", "A1")->currency, "USD");
    EXPECT_EQ(offerFrom(result.offers, "Arrow", "A1")->stock, 1200);
    EXPECT_EQ(StockCodeText(-2), "In stock");
    EXPECT_EQ(StockCodeText(-3), "Unknown");

    const ProviderResult errors = ReadNexarAnswer(R"J({"errors":[{"message":"Field 'x' is unknown"}]})J", 200, "USD");
    EXPECT_FALSE(errors.reached);
    EXPECT_FALSE(errors.limitReached);
    EXPECT_TRUE(errors.error.contains("Field 'x' is unknown"));
    EXPECT_TRUE(ReadNexarAnswer(R"J({"errors":[{"message":"Rate limit exceeded"}]})J", 429, "USD").limitReached);
}

TEST_F(ProviderTest, CredentialsAreTheUsersMaskedAndOnlyOverHttps)
{
    QString error;
    ASSERT_TRUE(SetProviderValues("digikey", {{"client-id", "abcdefghijklmnop"}, {"client-secret", "s3cr3t-value-xy"}},
                                  &error));
    const QFile::Permissions permissions = QFile::permissions(ProviderSettingsPath());
    EXPECT_EQ(permissions & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), 0);
    EXPECT_TRUE(permissions & QFile::ReadOwner);
    EXPECT_TRUE(ProviderSettingsPath().startsWith(home.path() + "/config/"));
    EXPECT_TRUE(ProviderConfigured("digikey"));
    EXPECT_FALSE(ProviderConfigured("mouser"));
    EXPECT_FALSE(ShownProviderValue("digikey", "client-secret", "s3cr3t-value-xy").contains("s3cr3t"));
    EXPECT_EQ(ShownProviderValue("digikey", "address", "https://x"), "https://x");

    // Credentials go nowhere in the clear.
    EXPECT_FALSE(SetProviderValues("mouser", {{"address", "http://parts.example.com"}}, &error));
    EXPECT_TRUE(error.contains("https")) << error.toStdString();
    EXPECT_TRUE(SetProviderValues("mouser", {{"address", "http://127.0.0.1:9"}}, &error));
    EXPECT_FALSE(SetProviderValues("mouser", {{"password", "x"}}, &error));
    EXPECT_FALSE(SetProviderValues("octopus", {{"key", "x"}}, &error));
    HttpRequest request;
    request.url = "http://parts.example.com/api";
    EXPECT_EQ(HttpExchange(request).outcome, HttpAnswer::Refused);

    // Removing a value with an empty one.
    ASSERT_TRUE(SetProviderValues("digikey", {{"client-secret", ""}}, &error));
    EXPECT_FALSE(ProviderConfigured("digikey"));

    // koltctl shows them masked.
    ASSERT_TRUE(SetProviderValues("digikey", {{"client-secret", "s3cr3t-value-xy"}}, &error));
    const CtlRun run = RunKoltctl({"provider", "list"}, {"XDG_CONFIG_HOME=" + home.path() + "/config"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("digikey\tconfigured"));
    EXPECT_FALSE(run.out.contains("s3cr3t"));
    EXPECT_FALSE(run.out.contains("abcdefghijklmnop"));
}

TEST_F(ProviderTest, EveryProviderFindsOffersAndNamesWhatItCannot)
{
    START_DISTRIBUTORS(service);
    configureAll(service.address());
    for (const QString& name : {QString("mouser"), QString("digikey"), QString("nexar")}) {
        std::unique_ptr<PartProvider> provider = MakeProvider(name);
        const ProviderResult result = FindOffers(*provider, {"lm358dr", "NO-SUCH-PART"}, false);
        ASSERT_TRUE(result.reached) << name.toStdString() << ": " << result.error.toStdString();
        EXPECT_EQ(result.notFound, QStringList{"NO-SUCH-PART"}) << name.toStdString();
        ASSERT_FALSE(result.offers.empty()) << name.toStdString();
        for (const Offer& offer : result.offers) {
            EXPECT_EQ(offer.mpn, "lm358dr"); // as the bill names it
            EXPECT_EQ(offer.manufacturer, "Texas Instruments");
            EXPECT_FALSE(offer.breaks.empty());
        }
    }
    // A malformed answer and a rate limit are said, and stop nothing else.
    std::unique_ptr<PartProvider> mouser = MakeProvider("mouser");
    ProviderResult broken = FindOffers(*mouser, {"MALFORMED"}, false);
    EXPECT_FALSE(broken.reached);
    EXPECT_FALSE(broken.error.isEmpty());
    ProviderResult limited = FindOffers(*mouser, {"RATE-LIMIT"}, false);
    EXPECT_TRUE(limited.limitReached);
    std::unique_ptr<PartProvider> digikey = MakeProvider("digikey");
    limited = FindOffers(*digikey, {"RATE-LIMIT"}, false);
    EXPECT_TRUE(limited.limitReached);
    EXPECT_TRUE(limited.error.contains("30")) << limited.error.toStdString(); // Retry-After

    // A wrong key is refused in the service's words.
    QString error;
    ASSERT_TRUE(SetProviderValues("mouser", {{"key", "WRONG"}}, &error));
    broken = FindOffers(*MakeProvider("mouser"), {"LM358DR"}, false);
    EXPECT_TRUE(broken.error.contains("Invalid unique identifier.")) << broken.error.toStdString();
    ASSERT_TRUE(SetProviderValues("nexar", {{"client-secret", "WRONG"}}, &error));
    broken = FindOffers(*MakeProvider("nexar"), {"LM358DR"}, false);
    EXPECT_TRUE(broken.error.contains("client credentials are invalid")) << broken.error.toStdString();
}

TEST_F(ProviderTest, AnswersAreCachedForTheChosenTime)
{
    START_DISTRIBUTORS(service);
    configureAll(service.address());
    std::unique_ptr<PartProvider> mouser = MakeProvider("mouser");
    EXPECT_EQ(FindOffers(*mouser, {"LM358DR", "NE555P", "NOPE"}).offers.size(), 2u);
    EXPECT_EQ(stats(service.address()).value("mouser").toInt(), 1); // three numbers, one request
    const ProviderResult again = FindOffers(*mouser, {"LM358DR", "NE555P", "NOPE"});
    EXPECT_EQ(again.offers.size(), 2u);
    EXPECT_EQ(again.notFound, QStringList{"NOPE"}); // "not found" is remembered too
    EXPECT_EQ(stats(service.address()).value("mouser").toInt(), 1);

    QString error;
    ASSERT_TRUE(SetOfferCacheHours(0, &error));
    FindOffers(*mouser, {"LM358DR"});
    EXPECT_EQ(stats(service.address()).value("mouser").toInt(), 2);
    EXPECT_FALSE(SetOfferCacheHours(-1, &error));
}

TEST_F(ProviderTest, TokensAreRenewedWhenTheyExpire)
{
    START_DISTRIBUTORS(service, "--token-seconds", "6");
    configureAll(service.address());
    std::unique_ptr<PartProvider> nexar = MakeProvider("nexar");
    ASSERT_TRUE(FindOffers(*nexar, {"LM358DR"}, false).reached);
    ASSERT_TRUE(FindOffers(*nexar, {"NE555P"}, false).reached);
    EXPECT_EQ(stats(service.address()).value("nexar-tokens").toInt(), 1); // kept while valid
    QThread::msleep(1500); // within five seconds of its end a token is not used
    ASSERT_TRUE(FindOffers(*nexar, {"MAX232CPE+"}, false).reached);
    EXPECT_EQ(stats(service.address()).value("nexar-tokens").toInt(), 2);

    OAuthToken token(service.address() + "/v1/oauth2/token", "DK-ID", "DK-SECRET");
    QString error;
    EXPECT_FALSE(token.token(&error).isEmpty());
    token.forget(); // the service refused it: a new grant next time
    EXPECT_FALSE(token.token(&error).isEmpty());
    EXPECT_EQ(token.grants(), 2);
}

TEST_F(ProviderTest, DigikeysRequestLimitsStopWithAWord)
{
    START_DISTRIBUTORS(service);
    configureAll(service.address(), {{"minute-limit", "2"}});
    std::unique_ptr<PartProvider> digikey = MakeProvider("digikey");
    const ProviderResult result = FindOffers(*digikey, {"LM358DR", "NE555P", "MAX232CPE+"}, false);
    EXPECT_TRUE(result.limitReached);
    EXPECT_TRUE(result.error.contains("minute")) << result.error.toStdString();
    EXPECT_EQ(stats(service.address()).value("digikey").toInt(), 2);
    // The count survives the program: the next run is refused at once.
    const ProviderResult next = FindOffers(*MakeProvider("digikey"), {"LM358DR"}, false);
    EXPECT_TRUE(next.limitReached);
    EXPECT_EQ(stats(service.address()).value("digikey").toInt(), 2);

    configureAll(service.address(), {{"minute-limit", ""}, {"daily-limit", "2"}});
    const ProviderResult daily = FindOffers(*MakeProvider("digikey"), {"LM358DR"}, false);
    EXPECT_TRUE(daily.limitReached);
    EXPECT_TRUE(daily.error.contains("daily")) << daily.error.toStdString();
}

TEST_F(ProviderTest, KeywordSearchesFollowThePages)
{
    START_DISTRIBUTORS(service, "--extra", "120");
    configureAll(service.address());
    for (const QString& name : {QString("mouser"), QString("digikey"), QString("nexar")}) {
        const ProviderResult result = MakeProvider(name)->searchKeyword("KOLT-PAGE", 110);
        ASSERT_TRUE(result.reached) << name.toStdString() << result.error.toStdString();
        QSet<QString> mpns;
        for (const Offer& offer : result.offers)
            mpns.insert(offer.mpn);
        EXPECT_EQ(mpns.size(), 110) << name.toStdString();
    }
    EXPECT_EQ(stats(service.address()).value("mouser").toInt(), 3);  // 50 + 50 + 10
    EXPECT_EQ(stats(service.address()).value("nexar").toInt(), 6);   // pages of 20
}
