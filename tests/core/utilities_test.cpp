#include "core/format.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/database.h"

#include <gtest/gtest.h>

TEST(Utilities, TimestampRoundTripAndColumnLookup)
{
    const QString now = TimestampText();
    ASSERT_EQ(now.size(), 19);
    EXPECT_EQ(ParseTimestamp(now).toString("yyyy-MM-dd HH:mm:ss"), now);
    EXPECT_EQ(ParseTimestamp("2026-03-07 08:05:09"), QDateTime(QDate(2026, 3, 7), QTime(8, 5, 9)));

    QueryResult r;
    r.columnCount = 3;
    r.headings[0] = "Key";
    r.headings[1] = "Part #";
    r.headings[2] = "Description";
    EXPECT_EQ(FindColumn(r, "part"), 1);
    EXPECT_EQ(FindColumn(r, "DESC"), 2);
    EXPECT_EQ(FindColumn(r, "price"), -1);
}

TEST(Utilities, CurrencySymbolsAndLenientNumbers)
{
    EXPECT_EQ(CurrencySymbol("usd"), "$");
    EXPECT_EQ(CurrencySymbol("CAD"), "$");
    EXPECT_EQ(CurrencySymbol("GBP"), "£");
    EXPECT_EQ(CurrencySymbol("JPY"), "¥");
    EXPECT_EQ(CurrencySymbol("EUR"), "€");
    EXPECT_EQ(CurrencySymbol("YEN"), "");
    EXPECT_EQ(CurrencySymbol(""), "");

    EXPECT_DOUBLE_EQ(TextToDouble(" 12.5abc"), 12.5);
    EXPECT_DOUBLE_EQ(TextToDouble("abc"), 0.0);
    EXPECT_DOUBLE_EQ(TextToDouble("-3e2"), -300.0);
    EXPECT_DOUBLE_EQ(TextToDouble("inf"), 0.0);
    EXPECT_DOUBLE_EQ(TextToDouble(""), 0.0);
    EXPECT_EQ(TextToInt("0066"), 66);
    EXPECT_EQ(TextToInt("2.9"), 2);
    EXPECT_EQ(TextToInt("-7x"), -7);
    EXPECT_EQ(TextToInt("99999999999"), 2147483647);
}

TEST(Format, PrintfFormatsAndSqlQuoting)
{
    EXPECT_EQ(Format("REQ%0.4i", {7}), "REQ0007");
    EXPECT_EQ(Format("P%0.4i", {12345}), "P12345");
    EXPECT_EQ(Format("%0.2f|%0.0f|%i%%", {2.345, 2.5, 3}), "2.35|2|3%"); // printf rounding
    EXPECT_EQ(Format("%s:Assy:%s", {"REQ0001", QString("ÜBER")}), "REQ0001:Assy:ÜBER");
    EXPECT_EQ(Format("[%5s][%-3s]", {"ab", "c"}), "[   ab][c  ]");
    EXPECT_EQ(Format("%s %s", {"only"}), "only %s"); // a missing argument stays visible

    EXPECT_EQ(SqlEscape("O'BRIEN"), "O''BRIEN");
    EXPECT_EQ(SqlFormat("Update PartList Set Price = '%0.2f' where Part_nBr = '%s'", {1.5, "X'; drop table T;--"}),
              "Update PartList Set Price = '1.50' where Part_nBr = 'X''; drop table T;--'");
}

TEST(Utilities, UpperCaseChangesTheAsciiLettersOnly)
{
    EXPECT_EQ(UpperCaseAscii("abc-12x"), "ABC-12X");
    EXPECT_EQ(UpperCaseAscii(QString::fromUtf8("10µf")), QString::fromUtf8("10µF"));
    EXPECT_EQ(UpperCaseAscii(QString::fromUtf8("straße")), QString::fromUtf8("STRAßE"));
    EXPECT_EQ(UpperCaseAscii(QString::fromUtf8("ǆ")), QString::fromUtf8("ǆ"));
    EXPECT_EQ(UpperCaseAscii(""), "");
}

TEST(Quantity, StoredQuantitiesArePlainNonNegativeDecimalsWithinTheLedgersRange)
{
    for (const char* text : {"0", "12", "2.5", " 7 ", "0.000001", ".5", "1000000000", ""}) {
        double value = -1;
        EXPECT_TRUE(ParseStoredQuantity(text, &value)) << text;
        EXPECT_DOUBLE_EQ(value, QString::fromLatin1(text).trimmed().toDouble()) << text;
    }
    // Every way a lenient reading would find a number where none is meant.
    for (const char* text : {"0x10", "99999999999999999999", "1000000000.5", "-1", "+1", "1e3", "1E3", "inf", "nan",
                             "2,5", "1 000", "7 pcs", "--", ".", "12abc", "\u0661"}) {
        double value = -1;
        QString error;
        EXPECT_FALSE(ParseStoredQuantity(QString::fromUtf8(text), &value, &error)) << text;
        EXPECT_EQ(value, 0) << text;
        EXPECT_TRUE(error.contains(QString::fromUtf8(text))) << error.toStdString();
    }
    // An Arabic-Indic digit is a digit to Unicode, never to the ledger.
    EXPECT_FALSE(ParseStoredQuantity(QString::fromUtf8("\xd9\xa1"), nullptr));
}

TEST(Utilities, LineCellsEscapeEveryControlCharacter)
{
    EXPECT_EQ(EscapedLineCell("a\tb\nc\rd\\e"), "a\\tb\\nc\\rd\\\\e");
    EXPECT_EQ(EscapedLineCell(QString::fromUtf8("\x1b[31mred\x07 \xc2\x9b µ")), QString::fromUtf8("\\x1b[31mred\\x07 \\x9b µ"));
}
