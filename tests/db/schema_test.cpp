#include "core/appstate.h"
#include "core/tabledefs.h"
#include "db/database.h"
#include "db/engine.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf16(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar ch : text) {
        out.append(static_cast<char>(ch.unicode() & 0xFF));
        out.append(static_cast<char>(ch.unicode() >> 8));
    }
    return out;
}

} // namespace

TEST(TableDefinition, ReadsFieldsCommentsAndLineRules)
{
    TableDefinition def;
    def.actionCodes[0] = 77;
    ParseTableDefinition(utf16(";comment\r\nPart #,16,EDIT,text\r\nQty\ton Hand,x,READ,real\r\n"
                               "A;b,5,LIST/Buy/Make,text,extra\r\nLost,1,EDIT,text"),
                         def);
    ASSERT_EQ(def.fieldCount, 3); // the final line has no CR
    EXPECT_EQ(def.headings[0], "Part #");
    EXPECT_EQ(def.actionCodes[0], 16);
    EXPECT_EQ(def.attributes[0], "EDIT");
    EXPECT_EQ(def.types[0], "text");
    EXPECT_EQ(def.headings[1], "Qtyon Hand"); // control characters are dropped
    EXPECT_EQ(def.actionCodes[1], 0);
    EXPECT_EQ(def.headings[2], "A;b");
    EXPECT_EQ(def.types[2], "text");
    EXPECT_EQ(def.headings[3], "");

    QString many;
    for (int i = 0; i < 70; ++i)
        many += QString("F%1,0,EDIT,text\r").arg(i);
    ParseTableDefinition(utf16(many), def);
    EXPECT_EQ(def.fieldCount, 64);
    EXPECT_EQ(def.headings[63], "F63");
}

TEST(TableDefinition, CreateStatementAndNameConversions)
{
    TableDefinition def;
    def.name = "LabrList";
    ParseTableDefinition(utf16("Resource,0,EDIT,text\rRate,0,EDIT,real\rUser,0,READ,text\rTime Stamp,0,READ,text\r"), def);
    EXPECT_EQ(CreateTableStatement(def),
              "create table LabrList( id integer primary key,Resource text,Rate real,User text,Time_Stamp text)");

    EXPECT_EQ(ToColumnName("Part #"), "Part_nBr");
    EXPECT_EQ(ToColumnName("Time Stamp"), "Time_Stamp");
    EXPECT_EQ(ToColumnName("Qty on Hand #"), "Qty_on_Hand_nBr");
    EXPECT_EQ(ToColumnName("Record Key"), "id");
    EXPECT_EQ(ToHeading("Part_nBr"), "Part #");
    EXPECT_EQ(ToHeading("Ref_Des"), "Ref Des");
    EXPECT_EQ(ToHeading("Width"), "Key");
    EXPECT_EQ(ToHeading("id"), "Key");

    EXPECT_TRUE(IsUpperCaseColumn("AssyList", "Assy"));
    EXPECT_TRUE(IsUpperCaseColumn("ASSYLIST", "Part #"));
    EXPECT_TRUE(IsUpperCaseColumn("PARTLIST", "Manufacturer"));
    EXPECT_TRUE(IsUpperCaseColumn("PARTLIST", "Distributor"));
    EXPECT_FALSE(IsUpperCaseColumn("PARTLIST", "Description"));
    EXPECT_TRUE(IsUpperCaseColumn("VENDLIST", "Distributor"));
    EXPECT_TRUE(IsUpperCaseColumn("VENDLIST", "vendor"));
    EXPECT_FALSE(IsUpperCaseColumn("VENDLIST", "Vendor Name"));
    EXPECT_TRUE(IsUpperCaseColumn("REQMLIST", "Assy"));
    EXPECT_FALSE(IsUpperCaseColumn("PURCLIST", "Vendor"));
}

TEST(ServerStatements, SqliteWordsBecomeTheServersOutsideQuotedTexts)
{
    EXPECT_EQ(ServerStatement("Update PartList Set User='user like x' where Part_nBr like 'A%'"),
              "Update PartList Set \"user\"='user like x' where Part_nBr ilike 'A%'");
    EXPECT_EQ(ServerStatement("select ifnull(Stock,''), instr(Notes,'DNP') from PartList"),
              "select coalesce(Stock,''), strpos(Notes,'DNP') from PartList");
    EXPECT_EQ(ServerStatement("select group_concat(Item||':'||Quan, ','), group_concat(Category) from T"),
              "select string_agg((Item||':'||Quan)::text, ','), string_agg((Category)::text, ',') from T");
    EXPECT_EQ(ServerStatement("select group_concat(x, ';') , Username, \"User\", 'it''s user' from T"),
              "select string_agg((x)::text, ';') , Username, \"user\", 'it''s user' from T");
}
