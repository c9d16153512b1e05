#include "support/testsupport.h"

#include "core/format.h"
#include "core/itemlist.h"
#include "db/database.h"
#include "interchange/cartexport.h"

#include <QDir>
#include <QFile>

namespace {

// Item, Quan, Part, Description, Price, Total, Status, Order code.
ItemRow line(const QString& item, const QString& quantity, const QString& part, const QString& code,
             const QString& price = QStringLiteral("0.012"), const QString& total = QStringLiteral("1.20"))
{
    return {item, quantity, part, QStringLiteral("desc ") + part, price, total, QStringLiteral("Pending"), code};
}

CartOrder order(const QString& vendor, const std::vector<ItemRow>& lines)
{
    return {QStringLiteral("P0007"), vendor, QStringLiteral("USD"), lines};
}

class CartExportTest : public DataFolderTest
{
protected:
    void addOrder(const QString& number, const QString& vendor, const QString& status, const std::vector<ItemRow>& lines)
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into PurcList (PO_nBr,Vendor,Status,Currency,Item_List) values "
                                      "('%s','%s','%s','USD','%s')",
                                      {number, vendor, status, BuildItemList(lines)})))
            << LastErrorText().toStdString();
    }

    QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }
};

} // namespace

TEST(CartFormatTest, VendorRecordNameWebsiteThenCodeShape)
{
    const std::vector<ItemRow> none;
    EXPECT_EQ(CartFormatOf("Digi-Key", {}, none), CartFormat::DigiKey);
    EXPECT_EQ(CartFormatOf("MOUSER ELECTRONICS", {}, none), CartFormat::Mouser);
    EXPECT_EQ(CartFormatOf("LCSC", {}, none), CartFormat::Lcsc);
    // A shop's short code for the vendor: its website tells.
    EXPECT_EQ(CartFormatOf("DK", "https://www.digikey.de/", none), CartFormat::DigiKey);
    EXPECT_EQ(CartFormatOf("MOUS", "eu.mouser.com", none), CartFormat::Mouser);
    // "lcsc" inside another host's name is not LCSC.
    EXPECT_EQ(CartFormatOf("ACME", "www.notlcsc.example", none), CartFormat::Csv);
    // Only the codes: all of one shop's shape.
    EXPECT_EQ(CartFormatOf("X", {}, {line("1", "10", "R1", "C25804"), line("2", "5", "R2", "C17414")}), CartFormat::Lcsc);
    EXPECT_EQ(CartFormatOf("X", {}, {line("1", "10", "R1", "296-38557-1-ND")}), CartFormat::DigiKey);
    // Codes of two shops, or one look-alike among plain numbers: no cart.
    EXPECT_EQ(CartFormatOf("X", {}, {line("1", "10", "R1", "C25804"), line("2", "5", "R2", "296-1-ND")}), CartFormat::Csv);
    EXPECT_EQ(CartFormatOf("X", {}, {line("1", "10", "R1", "C25804"), line("2", "5", "R2", "ABC"), line("3", "5", "R3", "XYZ")}),
              CartFormat::Csv);
    // An assembly house's numbers are LCSC's, but its name is no web shop's cart.
    EXPECT_EQ(CartFormatOf("JLCPCB", {}, {line("1", "10", "R1", "C25804")}), CartFormat::Csv);
}

TEST(CartFormatTest, EachShopsHeadingAndLine)
{
    // The source's order code and the ordered quantity, never the part number.
    const std::vector<ItemRow> lines{line("1", "100", "R-10K", "311-10.0KCRCT-ND")};
    EXPECT_EQ(CartFileBytes(CartFormat::DigiKey, order("DIGI-KEY", lines)),
              "Quantity,Digi-Key Part Number,Customer Reference\r\n100,311-10.0KCRCT-ND,R-10K\r\n");
    EXPECT_EQ(CartFileBytes(CartFormat::Mouser, order("MOUSER", {line("1", "250", "U1", "595-TPS61023DRLR")})),
              "Mouser Part Number,Quantity,Customer Part Number\r\n595-TPS61023DRLR,250,U1\r\n");
    EXPECT_EQ(CartFileBytes(CartFormat::Lcsc, order("LCSC", {line("1", "4000", "C-100N", "C1525")})),
              "LCSC Part Number,Quantity,Customer Part Number\r\nC1525,4000,C-100N\r\n");
    // Any other vendor: the order's lines with their exact prices.
    EXPECT_EQ(CartFileBytes(CartFormat::Csv, order("ACME", {line("3", "90", "BOLT, M3", "B-3", "0.0125", "1.13")})),
              "Item,Part,Order Code,Description,Quantity,Unit Price,Total,Currency\r\n"
              "3,\"BOLT, M3\",B-3,\"desc BOLT, M3\",90,0.0125,1.13,USD\r\n");
}

TEST(CartFormatTest, LinesWithoutCodeOrQuantity)
{
    QStringList notes;
    int lines = -1;
    const QByteArray bytes = CartFileBytes(
        CartFormat::Mouser, order("MOUSER", {line("1", "0", "GONE", "1-X"), line("2", "7", "LM358", ""), line("3", "x", "BAD", "2-Y")}),
        &notes, &lines);
    // Nothing to order: left out; an unreadable quantity: left out and named;
    // no code: the part number, named.
    EXPECT_EQ(bytes, "Mouser Part Number,Quantity,Customer Part Number\r\nLM358,7,LM358\r\n");
    EXPECT_EQ(lines, 1);
    ASSERT_EQ(notes.size(), 2);
    EXPECT_TRUE(notes[0].contains("LM358"));
    EXPECT_TRUE(notes[1].contains("BAD"));
}

TEST_F(CartExportTest, KoltctlWritesEachPendingOrderInItsShopsForm)
{
    Execute("insert into VendList (Vendor,Website) values ('DK','www.digikey.com')");
    addOrder("P0001", "DK", "Pending", {line("1", "100", "R-10K", "311-10.0KCRCT-ND")});
    addOrder("P0002", "ACME", "Pending", {line("1", "5", "BOLT", "B-3")});
    addOrder("P0003", "MOUSER", "Closed", {line("1", "5", "U1", "595-X1")});

    const QString one = dir.filePath("one.csv");
    CtlRun run = ctl({"export", "cart", "P0001", one});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(read(one), "Quantity,Digi-Key Part Number,Customer Reference\r\n100,311-10.0KCRCT-ND,R-10K\r\n");
    EXPECT_TRUE(run.out.contains("Digi-Key")) << run.out.toStdString();

    // The table export keeps its own form beside the cart.
    run = ctl({"export", "PartList", dir.filePath("parts.csv")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();

    const QString folder = dir.filePath("carts");
    run = ctl({"export", "cart", "--all", folder});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList({"P0001-Digi-Key.csv", "P0002-CSV.csv"}));
    EXPECT_TRUE(read(folder + "/P0002-CSV.csv").startsWith("Item,Part,Order Code"));

    run = ctl({"export", "cart", "P0099", dir.filePath("x.csv")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("P0099")) << run.err.toStdString();
}

TEST_F(CartExportTest, AFileThatCannotBeWrittenFailsWithTheReasonAndKeepsTheOld)
{
    addOrder("P0001", "LCSC", "Pending", {line("1", "10", "R1", "C25804")});
    // No such folder: nothing written, exit 1 with the system's reason.
    const QString missing = dir.filePath("no-such-folder/cart.csv");
    CtlRun run = ctl({"export", "cart", "P0001", missing});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("cart.csv")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    // A folder that cannot be made for --all.
    const QString file = dir.filePath("plain");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    run = ctl({"export", "cart", "--all", file + "/sub"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(read(file), "old");
}
