// The readers of the service's answers, on recorded answers and on small
// hand-made texts for the rules the recordings do not show.
#include "partinfo/partinfo.h"
#include "partinfo/partreader.h"
#include "partinfo/partservice.h"
#include "support/testsupport.h"

#include <QFile>
#include <QUrl>
#include <QUrlQuery>

namespace {

QString recorded(const char* name)
{
    QFile file(SourceDir() + QStringLiteral("/tests/partinfo/data/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(PartReader, RecordedSearchFillsTenRowsByPosition)
{
    const QString text = recorded("search-smd.json");
    ASSERT_FALSE(text.isEmpty());
    ASSERT_EQ(text.count(QStringLiteral("\"mpn\"")), 15);

    const std::vector<PartMatch> rows = ReadPartMatches(text);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].fields[0], QStringLiteral("RC0603FR-0710KL"));
    EXPECT_EQ(rows[0].fields[1], QStringLiteral("Resistor thick film 10 kΩ 1% 0.1 W 0603 SMD"));
    EXPECT_EQ(rows[0].fields[2], QStringLiteral("0.0021USD"));
    EXPECT_EQ(rows[0].fields[3], QStringLiteral("YAGEO"));
    EXPECT_EQ(rows[0].fields[4], QStringLiteral("www.yageo.com"));
    EXPECT_EQ(rows[0].uid, QStringLiteral("48391500"));
    // A description holding a comma and a maker outside ASCII keep their row.
    EXPECT_EQ(rows[6].fields[1], QStringLiteral("Capacitor ceramic 1 µF 50 V X7R 0805 SMD, Tape & Reel"));
    EXPECT_EQ(rows[6].fields[3], QStringLiteral("Würth Elektronik"));
    EXPECT_EQ(rows[7].fields[2], QStringLiteral("0.1234USD")); // 0.123456 USD
    EXPECT_EQ(rows[9].fields[0], QStringLiteral("BLM18PG221SN1D"));
    EXPECT_EQ(rows[9].uid, QStringLiteral("48391833"));
    for (const PartMatch& row : rows)
        EXPECT_FALSE(row.uid.isEmpty());

    EXPECT_EQ(ReadUidValues(text).size(), 10);
    EXPECT_EQ(ReadStringValues(text, QStringLiteral("mpn")).size(), 10);
}

TEST(PartReader, RecordedDetailGivesPictureAndDatasheet)
{
    const QString text = recorded("detail-lm317t.json");
    EXPECT_EQ(ReadSingleUrl(text, QStringLiteral("datasheets")),
              QStringLiteral("http://parts.example.com/datasheets/LM317T-NOPB.pdf"));
    EXPECT_EQ(ReadSingleUrl(text, QStringLiteral("image")),
              QStringLiteral("http://parts.example.com/images/LM317T-NOPB.png"));
    EXPECT_EQ(ReadStringValues(text, QStringLiteral("mpn")), QStringList{QStringLiteral("LM317T/NOPB")});
    EXPECT_TRUE(ReadSingleUrl(QStringLiteral("{\"datasheets\": []}"), QStringLiteral("datasheets")).isEmpty());
    EXPECT_TRUE(ReadSingleUrl(QStringLiteral("{}"), QStringLiteral("image")).isEmpty());
}

TEST(PartReader, StringRules)
{
    // Quoted values end at their quote, bare ones at the next comma; null in
    // any form leaves the cell empty.
    const QString text = QStringLiteral(
        "{ \"mpn\": \"A1\", \"n\": 1 }\n"
        "{ \"mpn\": null, \"n\": 2 }\n"
        "{ \"mpn\": 42, \"n\": 3 }\n"
        "{ \"mpn\": \"NULLSAFE-null\", \"n\": 4 }\n");
    EXPECT_EQ(ReadStringValues(text, QStringLiteral("mpn")),
              (QStringList{QStringLiteral("A1"), QString(), QStringLiteral(" 42"), QString()}));

    const QString urls = QStringLiteral(
        "\"homepage_url\": \"HTTPS://WWW.Example.COM/x\",\n"
        "\"homepage_url\": \"http://latticesemi.com\",\n"
        "\"homepage_url\": \"http://shop.www.odd.com\",\n"
        "\"homepage_url\": null,\n");
    EXPECT_EQ(ReadStringValues(urls, QStringLiteral("homepage_url")),
              (QStringList{QStringLiteral("www.example.com/x"), QStringLiteral("http://latticesemi.com"),
                           QStringLiteral("www.odd.com"), QString()}));
    // The lower-casing belongs to URLs only.
    EXPECT_EQ(ReadStringValues(QStringLiteral("\"displayname\": \"WWW.Maker\","), QStringLiteral("displayname")),
              QStringList{QStringLiteral("WWW.Maker")});

    EXPECT_TRUE(ReadStringValues(QStringLiteral("{\"other\": \"x\"}"), QStringLiteral("mpn")).isEmpty());
    // An unterminated value stops the reading without inventing one.
    EXPECT_TRUE(ReadStringValues(QStringLiteral("\"mpn\": \"open"), QStringLiteral("mpn")).isEmpty());

    QString many;
    for (int i = 0; i < 12; ++i)
        many += QStringLiteral("{\"mpn\": \"P%1\", \"uid\": %2},\n").arg(i).arg(1000 + i);
    const QStringList ten = ReadStringValues(many, QStringLiteral("mpn"));
    ASSERT_EQ(ten.size(), 10);
    EXPECT_EQ(ten.last(), QStringLiteral("P9"));
    const QStringList uids = ReadUidValues(many);
    ASSERT_EQ(uids.size(), 10);
    EXPECT_EQ(uids.first(), QStringLiteral("1000"));
}

TEST(PartReader, PriceRules)
{
    auto price = [](const QString& array) {
        return ReadPriceValues(QStringLiteral("\"avg_price\": ") + array + QStringLiteral(",\n"),
                               QStringLiteral("avg_price"));
    };
    EXPECT_EQ(price(QStringLiteral("[0.123456, \"USD\"]")), QStringList{QStringLiteral("0.1234USD")});
    EXPECT_EQ(price(QStringLiteral("[12, \"USD\"]")), QStringList{QStringLiteral("12USD")});
    EXPECT_EQ(price(QStringLiteral("[1.5, \"EUR\"]")), QStringList{QStringLiteral("1.5EUR")});
    // A whole amount is not cut: 12345 must not read as 1234.
    EXPECT_EQ(price(QStringLiteral("[12345, \"USD\"]")), QStringList{QStringLiteral("12345USD")});
    // Amounts on their own line still read as numbers.
    EXPECT_EQ(price(QStringLiteral("[\n    0.50,\n    \"USD\"\n  ]")), QStringList{QStringLiteral("0.50USD")});

    // A part without a price keeps the later prices on their own rows.
    const QString rows = QStringLiteral(
        "{\"mpn\": \"A\", \"avg_price\": [1.25, \"USD\"], \"uid\": 1},\n"
        "{\"mpn\": \"B\", \"avg_price\": null, \"uid\": 2},\n"
        "{\"mpn\": \"C\", \"avg_price\": [3.5, \"USD\"], \"uid\": 3},\n");
    EXPECT_EQ(ReadPriceValues(rows, QStringLiteral("avg_price")),
              (QStringList{QStringLiteral("1.25USD"), QString(), QStringLiteral("3.5USD")}));
    const std::vector<PartMatch> matches = ReadPartMatches(rows);
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[2].fields[2], QStringLiteral("3.5USD"));
    // Keys with fewer values leave the later rows' cells empty.
    EXPECT_TRUE(matches[1].fields[3].isEmpty());
    EXPECT_EQ(matches[2].uid, QStringLiteral("3"));
}

TEST(PartReader, ALargeAnswerWithoutQuotesReadsItsFirstRows)
{
    // Prices without a quote after them once made every price search the
    // rest of the answer for a currency; four megabytes of them must read
    // like any answer (the old reading took hours).
    QString text;
    for (int i = 0; text.size() < 4 * 1024 * 1024; ++i)
        text += QStringLiteral("avg_price: [%1.125, USD], uid: %2,\n").arg(i % 7).arg(i);
    const QStringList prices = ReadPriceValues(text, QStringLiteral("avg_price"));
    ASSERT_EQ(prices.size(), 10);
    EXPECT_EQ(prices[3], QStringLiteral("3.125")); // no quote, so no currency
    EXPECT_EQ(ReadUidValues(text).size(), 10);
    // Without quoted part numbers there are no rows, whatever else is there.
    EXPECT_TRUE(ReadPartMatches(text).empty());
    EXPECT_TRUE(ReadSingleUrl(text, QStringLiteral("datasheets")).isEmpty());
}

TEST(PartReader, DatasheetNamesStayInTheDocumentFolder)
{
    const QString pdf = QStringLiteral("http://h/datasheets/x.pdf");
    EXPECT_EQ(DatasheetFileName(QStringLiteral("LM317T/NOPB"), pdf), QStringLiteral("LM317T-NOPB.pdf"));
    EXPECT_EQ(DatasheetFileName(QStringLiteral("../../etc/passwd"), pdf), QStringLiteral("..-..-etc-passwd.pdf"));
    EXPECT_EQ(DatasheetFileName(QStringLiteral("..\\boot"), pdf), QStringLiteral("..-boot.pdf"));
    EXPECT_EQ(DatasheetFileName(QStringLiteral(".."), QString()), QStringLiteral("datasheet"));
    EXPECT_EQ(DatasheetFileName(QStringLiteral("X"), QStringLiteral("http://h/a/b")), QStringLiteral("X-a-b"));
    EXPECT_EQ(DatasheetFileName(QStringLiteral("Ä 1"), pdf), QStringLiteral("Ä 1.pdf"));
}

TEST(PartService, RequestUrls)
{
    EXPECT_EQ(NormalizeServiceAddress(QStringLiteral(" 127.0.0.1:8642/ ")), QStringLiteral("http://127.0.0.1:8642"));
    EXPECT_EQ(NormalizeServiceAddress(QStringLiteral("https://parts.example.com")),
              QStringLiteral("https://parts.example.com"));

    const QString search = PartSearchUrl(QStringLiteral("127.0.0.1:8642"), QStringLiteral("A B#C&D+E/Ü"));
    EXPECT_TRUE(search.startsWith(QStringLiteral("http://127.0.0.1:8642/api/v2/parts/search?q=")));
    const QUrl url(search);
    ASSERT_TRUE(url.isValid());
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), QStringLiteral("A B#C&D+E/Ü"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("limit")), QStringLiteral("15"));
    EXPECT_EQ(url.fragment(), QString());
    EXPECT_TRUE(search.endsWith(QStringLiteral("&optimize.hide_descriptions=1&prettyprint=1")));

    EXPECT_EQ(PartDetailUrl(QStringLiteral("http://h:1"), QStringLiteral("48391907")),
              QStringLiteral("http://h:1/api/v2/parts/get?uid=48391907&optimize.hide_datasheets=0"
                             "&optimize.hide_images=0&optimize.hide_offers=1&optimize.hide_unauthorized_offers=1"
                             "&optimize.hide_specs=1&optimize.hide_descriptions=1&prettyprint=1"));
}
