#include "interchange/importvalues.h"

#include <gtest/gtest.h>

namespace {

QString designators(const char* text)
{
    const DesignatorList list = ParseDesignators(QString::fromUtf8(text));
    return list.understood ? QString::number(list.count) + ':' + list.text : QStringLiteral("?:") + list.text;
}

} // namespace

TEST(DesignatorsTest, ListsAsBuyersWriteThem)
{
    // Commas, spaces or semicolons; trailing separators; one designator.
    EXPECT_EQ(designators("C1, C2, C3, C4, C5, C6, C25, "), "7:C1,C2,C3,C4,C5,C6,C25");
    EXPECT_EQ(designators("C12 C13 "), "2:C12,C13");
    EXPECT_EQ(designators("R1;R2; R3"), "3:R1,R2,R3");
    EXPECT_EQ(designators("U1"), "1:U1");
    EXPECT_EQ(designators("C1,C2"), "2:C1,C2");
    // Ranges, written out in full or with the number alone.
    EXPECT_EQ(designators("R1-R4"), "4:R1-R4");
    EXPECT_EQ(designators("R1-4, R9"), "5:R1-4,R9");
    // The abbreviated form: digits alone take the letters before them.
    EXPECT_EQ(designators("C61,81"), "2:C61,C81");
    EXPECT_EQ(designators("C2,6,7,16,71"), "5:C2,C6,C7,C16,C71");
    EXPECT_EQ(designators("R1,10,13 L5"), "4:R1,R10,R13,L5");
    // Units of one part, test points, designators with a # or _.
    EXPECT_EQ(designators("U1A U1B TP12 #PWR01"), "4:U1A,U1B,TP12,#PWR01");

    // Not designators: the list stays as typed and counts nothing.
    EXPECT_EQ(designators("LEDs"), "?:LEDs");
    EXPECT_EQ(designators("XXX"), "?:XXX");
    EXPECT_EQ(designators("81, C61"), "?:81, C61");
    EXPECT_EQ(designators("R4-R1"), "?:R4-R1");
    EXPECT_EQ(designators("R1-C4"), "?:R1-C4");
    EXPECT_EQ(designators(""), "?:");
    // A range of a billion is a typing error, not a billion parts.
    EXPECT_EQ(designators("R0-R1000000000"), "?:R0-R1000000000");
    EXPECT_EQ(designators("R1-R1000"), "1000:R1-R1000");
    EXPECT_EQ(designators("R1-R1001"), "?:R1-R1001");
}

TEST(DesignatorsTest, PlainListsAreNotWrittenAnew)
{
    EXPECT_FALSE(ParseDesignators(u"C1,C2,C3").rewritten);
    EXPECT_FALSE(ParseDesignators(u" R1-R4 ").rewritten);
    EXPECT_TRUE(ParseDesignators(u"C1, C2").rewritten);
    EXPECT_TRUE(ParseDesignators(u"C61,81").rewritten);
    EXPECT_TRUE(ParseDesignators(u"C1,").rewritten);
    // Without the plain text: the caller keeps the input.
    const DesignatorList list = ParseDesignators(u"C1,C2", false);
    EXPECT_EQ(list.count, 2);
    EXPECT_TRUE(list.text.isEmpty());
}

TEST(ImportCellsTest, MarksMarkersAndQuantities)
{
    for (const char* text : {"DNP", "dnp", " DNP ", "DNF", "Do not populate", "DO NOT POPULATE", "Not fitted",
                             "Leave empty", "leave empty", "Do not place"})
        EXPECT_TRUE(IsDoNotPopulate(QString::fromUtf8(text))) << text;
    for (const char* text : {"", "DNP1", "10k DNP", "Leave", "N/A", "Notes", "D"})
        EXPECT_FALSE(IsDoNotPopulate(QString::fromUtf8(text))) << text;

    // A DNP or "Exclude from BOM" column: any mark but the ones saying "fitted".
    for (const char* text : {"DNP", "x", "1", "Yes", "Excluded from BOM"})
        EXPECT_TRUE(IsDoNotPopulateMark(QString::fromUtf8(text))) << text;
    for (const char* text : {"", " ", "0", "no", "N", "false", "~", "-"})
        EXPECT_FALSE(IsDoNotPopulateMark(QString::fromUtf8(text))) << text;

    // KiCad's "~" and a spreadsheet's "n/a" are empty; spaces at the ends go,
    // spaces inside stay.
    EXPECT_TRUE(CleanCell(u"~").isEmpty());
    EXPECT_TRUE(CleanCell(u" - ").isEmpty());
    EXPECT_TRUE(CleanCell(u"N/A").isEmpty());
    EXPECT_EQ(CleanCell(u" PTS645SL50SMTR92 LFS "), u"PTS645SL50SMTR92 LFS");
    EXPECT_EQ(CleanCell(u"~1"), u"~1");

    double value = 0;
    EXPECT_TRUE(ReadQuantity(u" 12 ", &value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(ReadQuantity(u"0.25", &value));
    EXPECT_EQ(value, 0.25);
    for (const char16_t* text : {u"", u"-1", u"1e30", u"0x10", u" 5x", u"1,5", u"1.2.3", u"."})
        EXPECT_FALSE(ReadQuantity(text, &value)) << QString::fromUtf16(text).toStdString();

    EXPECT_EQ(WithoutLibrary(u"Resistor_SMD:R_0402_1005Metric"), u"R_0402_1005Metric");
    EXPECT_EQ(WithoutLibrary(u"SOT-23"), u"SOT-23");
    EXPECT_TRUE(IsWebAddress(u"https://de.aliexpress.com/item/1.html?a=1&b=2"));
    EXPECT_TRUE(IsWebAddress(u"www.ti.com"));
    EXPECT_FALSE(IsWebAddress(u"javascript:alert(1)"));
}
