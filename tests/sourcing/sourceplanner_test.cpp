// The choice of a source: the details buyers' tools get wrong, one case each.
#include "sourcing/pricing.h"
#include "sourcing/sourceplanner.h"

#include <gtest/gtest.h>

namespace {

SourceRecord source(const QString& vendor, std::vector<PriceBreak> breaks, double minimum = 0, double multiple = 0,
                    double pack = 1, const QString& currency = {})
{
    SourceRecord s;
    s.part = QStringLiteral("R1");
    s.vendor = vendor;
    s.orderCode = vendor + QStringLiteral("-R1");
    s.breaks = std::move(breaks);
    s.minimum = minimum;
    s.multiple = multiple;
    s.pack = pack;
    s.currency = currency;
    return s;
}

const CurrencyRates kUsd(QStringLiteral("USD"), {{QStringLiteral("EUR"), {1.1, QStringLiteral("2026-12-01")}}});

} // namespace

TEST(SourcePlanner, PackIsPiecesPerUnitNeverAMinimum)
{
    // A reel of 10 sells whole reels: 25 wanted buys 30, not 10 and not 25.
    EXPECT_EQ(SourceQuantity(source("A", {{1, 0.1}}, 0, 0, 10), 25), 30);
    // A minimum of 100 with single pieces buys the 100 ...
    EXPECT_EQ(SourceQuantity(source("A", {{1, 0.1}}, 100, 0, 1), 25), 100);
    // ... and a pack of 100 does not turn 250 into a minimum of anything but whole packs.
    EXPECT_EQ(SourceQuantity(source("A", {{1, 0.1}}, 0, 0, 100), 250), 300);
    // Minimum first, then the multiple above it.
    EXPECT_EQ(SourceQuantity(source("A", {{1, 0.1}}, 10, 5), 12), 15);
    EXPECT_EQ(SourceQuantity(source("A", {{1, 0.1}}, 10, 5), 3), 10);
    // The loss allowance's arithmetic leaves hairs above a step; they buy no step.
    EXPECT_EQ(SourceQuantity(source("A", {{1, 0.1}}, 0, 10), 20.000000001), 20);
    // Below the first break nothing is sold.
    EXPECT_EQ(SourceQuantity(source("A", {{50, 0.1}}), 7), 50);
}

TEST(SourcePlanner, TheBreakOfTheRoundedQuantityPricesIt)
{
    const std::vector<PriceBreak> breaks = {{1, 0.10}, {100, 0.05}, {1000, 0.03}};
    EXPECT_DOUBLE_EQ(BreakPrice(breaks, 1), 0.10);
    EXPECT_DOUBLE_EQ(BreakPrice(breaks, 99), 0.10);
    EXPECT_DOUBLE_EQ(BreakPrice(breaks, 100), 0.05);
    EXPECT_DOUBLE_EQ(BreakPrice(breaks, 999), 0.05);
    EXPECT_DOUBLE_EQ(BreakPrice(breaks, 5000), 0.03);
    // A minimum of 100 lifts 60 into the 100 break: priced there, not at the 60's break.
    const SourceQuote quote = QuoteSource(source("A", breaks, 100), 60, kUsd);
    EXPECT_EQ(quote.quantity, 100);
    EXPECT_DOUBLE_EQ(quote.unitPrice, 0.05);
    EXPECT_NEAR(quote.total, 5.0, 1e-12);
}

TEST(SourcePlanner, BuysUpToACheaperBreakOnlyWhenTheTotalIsLower)
{
    // Need 90, breaks 1 at 0.10 and 100 at 0.05: 100 for 5.00, not 90 for 9.00.
    SourceQuote quote = QuoteSource(source("A", {{1, 0.10}, {100, 0.05}}), 90, kUsd);
    EXPECT_EQ(quote.quantity, 100);
    EXPECT_NEAR(quote.total, 5.0, 1e-12);
    // Need 50 at 0.10 (5.00) against 100 at 0.09 (9.00): the 50.
    quote = QuoteSource(source("A", {{1, 0.10}, {100, 0.09}}), 50, kUsd);
    EXPECT_EQ(quote.quantity, 50);
    EXPECT_NEAR(quote.total, 5.0, 1e-12);
    // The jump goes to the best of several higher breaks, rounded to the multiple.
    quote = QuoteSource(source("A", {{1, 1.0}, {10, 0.5}, {100, 0.01}}, 0, 25), 9, kUsd);
    EXPECT_EQ(quote.quantity, 100);
    EXPECT_NEAR(quote.total, 1.0, 1e-12);
}

TEST(SourcePlanner, ChoosesByTotalInTheShopsCurrencyThenLeadTimeThenName)
{
    // 100 at 0.05 EUR is 5.50 USD; 100 at 0.052 USD is 5.20: the dollars win.
    const SourceRecord euro = source("EURO", {{1, 0.05}}, 0, 0, 1, "EUR");
    const SourceRecord dollar = source("DOLLAR", {{1, 0.052}});
    SourceChoice choice = ChooseSource({euro, dollar}, 100, kUsd);
    ASSERT_TRUE(choice.chosen);
    EXPECT_EQ(choice.best.source.vendor, "DOLLAR");
    EXPECT_NEAR(choice.best.totalInShop, 5.2, 1e-9);
    ASSERT_TRUE(choice.hasRunnerUp);
    EXPECT_EQ(choice.runnerUp.source.vendor, "EURO");
    EXPECT_NEAR(choice.runnerUp.totalInShop, 5.5, 1e-9);
    EXPECT_EQ(QuoteText(choice.runnerUp), "EURO 100 × 0.05 = 5.00");

    // The same totals: the shorter lead time, then the vendor's name.
    SourceRecord slow = source("AAA", {{1, 0.05}});
    slow.leadDays = 20;
    SourceRecord fast = source("ZZZ", {{1, 0.05}});
    fast.leadDays = 3;
    EXPECT_EQ(ChooseSource({slow, fast}, 10, kUsd).best.source.vendor, "ZZZ");
    fast.leadDays = 20;
    EXPECT_EQ(ChooseSource({fast, slow}, 10, kUsd).best.source.vendor, "AAA");
}

TEST(SourcePlanner, APreferredSourceWinsOverACheaperOne)
{
    SourceRecord dear = source("DEAR", {{1, 0.50}});
    dear.preferred = true;
    const SourceRecord cheap = source("CHEAP", {{1, 0.01}});
    const SourceChoice choice = ChooseSource({cheap, dear}, 10, kUsd);
    EXPECT_EQ(choice.best.source.vendor, "DEAR");
    EXPECT_EQ(choice.runnerUp.source.vendor, "CHEAP");
}

TEST(SourcePlanner, AMissingRateIsNamedNeverTakenAsOne)
{
    // Yen without a rate would win at 1:1; it is left out and said.
    const SourceRecord yen = source("TOKYO", {{1, 0.001}}, 0, 0, 1, "JPY");
    const SourceRecord dollar = source("DOLLAR", {{1, 0.5}});
    SourceChoice choice = ChooseSource({yen, dollar}, 10, kUsd);
    EXPECT_EQ(choice.best.source.vendor, "DOLLAR");
    EXPECT_EQ(choice.problems, QStringList({"TOKYO: no rate for JPY"}));
    EXPECT_FALSE(choice.hasRunnerUp);
    choice = ChooseSource({yen}, 10, kUsd);
    EXPECT_FALSE(choice.chosen);
    EXPECT_FALSE(kUsd.toShop("JPY").has_value());
    EXPECT_EQ(kUsd.toShop(""), 1.0);
    EXPECT_EQ(kUsd.toShop("usd"), 1.0);
    // A shop that never chose its currency prices in dollars.
    EXPECT_EQ(CurrencyRates(QString(), {}).toShop("USD"), 1.0);
}

TEST(Pricing, PricesShowTheDecimalsTheyNeedAndReadBackExactly)
{
    EXPECT_EQ(ShownPrice(0.012), "0.012");
    EXPECT_EQ(ShownPrice(4.2), "4.20");
    EXPECT_EQ(ShownPrice(0.00125), "0.0013");
    EXPECT_EQ(ShownPrice(321.4), "321.40");
    EXPECT_EQ(ShownPrice(7), "7.00");
    EXPECT_EQ(ExactPriceText(0.012), "0.012");
    EXPECT_EQ(ExactPriceText(2.5), "2.50");
    EXPECT_EQ(ExactPriceText(0.0001234), "0.0001234");
    EXPECT_EQ(ExactNumberText(1234.5678), "1234.5678");

    std::vector<PriceBreak> breaks;
    QString error;
    ASSERT_TRUE(ParseBreaks(" 100:0.05, 1:0.10 ,1000:.03", &breaks, &error));
    ASSERT_EQ(breaks.size(), 3u);
    EXPECT_EQ(breaks[0].quantity, 1);
    EXPECT_EQ(BreaksText(breaks), "1:0.1,100:0.05,1000:0.03");
    for (const char* bad : {"100", "0:1", "a:b", "1:-2", "1:2:3", "1e3:1"}) {
        EXPECT_FALSE(ParseBreaks(bad, &breaks, &error)) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(ParseBreaks("", &breaks, &error));
    EXPECT_TRUE(breaks.empty());
}
