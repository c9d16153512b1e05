// Buying from sources end to end through koltctl: the choice of source, the
// dry run's columns, the order code and exact price on the order, partial
// receipts, stock adjustments and the movements the stock check sums; and
// the parts the plan must name rather than drop.
#include "orders/ordersfixture.h"

#include "core/itemlist.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/stockledger.h"
#include "orders/completion.h"
#include "orders/poprint.h"
#include "orders/purchaseorder.h"
#include "orders/receipt.h"
#include "orders/requirement.h"

#include <QProcess>

namespace {

class PurchasingTest : public OrdersTest
{
protected:
    // koltctl reads the shipped definitions: so does the data folder here.
    void SetUp() override { DataFolderTest::SetUp(); }

    void setPart(const QString& part, const QString& column, const QString& value)
    {
        ASSERT_TRUE(Execute(QStringLiteral("update PartList set %1 = '%2' where Part_nBr = '%3'").arg(column, value, part)));
    }
    // The figure as stored: the shipped definitions keep figures as text.
    QString figure(const QString& part, const QString& column) const
    {
        return sqlite(QStringLiteral("select %1 from PartList where Part_nBr = '%2'").arg(column, part));
    }
    QStringList dryRun(const QString& order, const QString& quantity)
    {
        const CtlRun run = ctl({"process", order, "--quantity", quantity, "--dry-run"});
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        return run.out.split('\n', Qt::SkipEmptyParts);
    }
    QString line(const QString& po, const QString& part)
    {
        for (const ItemRow& row : ParseItemList(LoadPurchaseOrder(po).value("Item_List")))
            if (row[kItemPart] == part)
                return row.join('|');
        return {};
    }
};

QString pdfText(const QString& file)
{
    QProcess p;
    p.start("pdftotext", {file, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

} // namespace

TEST_F(PurchasingTest, TwoSourcesThroughKoltctlFromChoiceToPartialReceipts)
{
    addPart("R1", 0, 0, "DIGI", {}, 0.2);
    addPart("C1", 0, 0, "LOCAL", {}, 0.012);
    setPart("C1", "Order_Code", "LOC-C1");
    addBom("BOARD", "R1", 9);
    addBom("BOARD", "C1", 35, 2);
    addRequirement("REQ0001", "BOARD", 10);
    ASSERT_EQ(ctl({"source", "add", "R1", "DIGI", "311-1K-ND", "--lead-days", "5", "--breaks", "1:0.10,100:0.05"}).code, 0);
    ASSERT_EQ(ctl({"source", "add", "R1", "MOUS", "71-1K", "--currency", "EUR", "--moq", "10", "--breaks",
                   "1:0.08,100:0.065"})
                  .code,
              0);

    // Without a rate the euro source cannot be weighed; DIGI is taken and MOUS named.
    QStringList lines = dryRun("REQ0001", "10");
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "R1\t90\t0\t90\tDIGI\t90\t100\t311-1K-ND\t0.05\tUSD\t0");
    EXPECT_TRUE(lines.contains("R1: MOUS: no rate for EUR")) << lines.join('\n').toStdString();

    // At 1.1 the euros cost 100 x 0.065 x 1.1 = 7.15: DIGI's 5.00 still wins,
    // and buys 100 at the higher break rather than 90 at 0.10.
    ASSERT_EQ(ctl({"rate", "set", "EUR", "1.1"}).code, 0);
    lines = dryRun("REQ0001", "10");
    EXPECT_EQ(lines[0], "R1\t90\t0\t90\tDIGI\t90\t100\t311-1K-ND\t0.05\tUSD\t0");
    // C1 has no source: its distributor, order code and price, as before sources.
    EXPECT_EQ(lines[1], "C1\t350\t0\t350\tLOCAL\t350\t350\tLOC-C1\t0.012\tUSD\t0");
    EXPECT_EQ(lines.size(), 4) << lines.join('\n').toStdString();

    // At 0.5 the euros are cheaper: 100 x 0.065 x 0.5 = 3.25.
    ASSERT_EQ(ctl({"rate", "set", "EUR", "0.5"}).code, 0);
    EXPECT_EQ(dryRun("REQ0001", "10")[0], "R1\t90\t0\t90\tMOUS\t90\t100\t71-1K\t0.065\tEUR\t0");
    // Marked preferred, DIGI wins whatever it costs.
    ASSERT_EQ(ctl({"source", "add", "R1", "DIGI", "311-1K-ND", "--preferred", "--breaks", "1:0.10,100:0.05"}).code, 0);
    const ProcessOutcome preview = PreviewProcess("REQ0001", 10, "BOARD");
    ASSERT_TRUE(preview.done);
    EXPECT_EQ(preview.plan.parts[0].vendor, "DIGI");
    EXPECT_EQ(preview.plan.parts[0].runnerUp, "MOUS 100 × 0.065 = 6.50");

    const CtlRun processed = ctl({"process", "REQ0001", "--quantity", "10"});
    ASSERT_EQ(processed.code, 0) << processed.err.toStdString();
    EXPECT_EQ(sqlite("select PO_nBr||' '||Vendor||' '||Currency from PurcList order by PO_nBr"),
              "P0001 DIGI USD\nP0002 LOCAL USD");
    // The order code and the break's exact price on the line; the total from them.
    EXPECT_EQ(line("P0001", "R1"), "1|100|R1|Desc of R1|0.05|5.00|Pending|311-1K-ND");
    EXPECT_EQ(line("P0002", "C1"), "1|350|C1|Desc of C1|0.012|4.20|Pending|LOC-C1");
    EXPECT_EQ(figure("R1", "On_Order"), "100");
    EXPECT_EQ(figure("R1", "Allocated"), "90");
    const CtlRun shown = ctl({"po", "show", "P0001"});
    EXPECT_TRUE(shown.out.contains("ITEM\t1\t100\tR1\tDesc of R1\t0.05\t5.00\tPending\t311-1K-ND\n"))
        << shown.out.toStdString();

    // The printed order carries the vendor's order code and the sub-cent price.
    EnsureGuiApplication();
    const QString pdf = dir.path() + "/p2.pdf";
    ASSERT_EQ(ctl({"print", "po", "P0002", "--pdf", pdf}).code, 0);
    const QString printed = pdfText(pdf);
    EXPECT_TRUE(printed.contains("LOC-C1")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("0.012")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Subtotal 4.20")) << printed.toStdString();

    // Two partial receipts make the whole line.
    CtlRun run = ctl({"receive", "P0001", "--part", "R1", "--quantity", "40"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(figure("R1", "Stock"), "40");
    EXPECT_EQ(figure("R1", "On_Order"), "60");
    EXPECT_EQ(line("P0001", "R1"), "1|100|R1|Desc of R1|0.05|5.00|Partial|311-1K-ND|40");
    EXPECT_EQ(ctl({"stock", "check"}).out, "Stock figures agree\n");
    ASSERT_EQ(ctl({"receive", "P0001", "--part", "R1", "--quantity", "60"}).code, 0);
    EXPECT_EQ(figure("R1", "Stock"), "100");
    EXPECT_EQ(figure("R1", "On_Order"), "0");
    EXPECT_EQ(line("P0001", "R1"), "1|100|R1|Desc of R1|0.05|5.00|Received|311-1K-ND|100");

    // More than ordered is asked; without --yes nothing moves.
    const QString before = dump();
    run = ctl({"receive", "P0001", "--part", "R1", "--quantity", "5"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("Receive more than ordered?")) << run.err.toStdString();
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(ctl({"--yes", "receive", "P0001", "--part", "R1", "--quantity", "5"}).code, 0);
    EXPECT_EQ(figure("R1", "Stock"), "105");
    EXPECT_EQ(figure("R1", "On_Order"), "0");
    // Closing the order afterwards receives nothing twice.
    ASSERT_EQ(ctl({"--yes", "receive", "P0001"}).code, 0);
    EXPECT_EQ(figure("R1", "Stock"), "105");

    // Refusals: no such line, a fraction, a closed order.
    EXPECT_EQ(ctl({"receive", "P0002", "--part", "R1", "--quantity", "1"}).code, 1);
    EXPECT_EQ(ctl({"receive", "P0002", "--part", "C1", "--quantity", "1.5"}).code, 1);
    EXPECT_EQ(ctl({"receive", "P0001", "--part", "R1", "--quantity", "1"}).code, 1);
    EXPECT_EQ(ctl({"receive", "P0002", "--part", "C1"}).code, 2);

    // Adjustments need a reason and never take stock below 0.
    ASSERT_EQ(ctl({"stock", "adjust", "R1", "-3", "--reason", "counted"}).code, 0);
    EXPECT_EQ(figure("R1", "Stock"), "102");
    EXPECT_EQ(ctl({"stock", "adjust", "R1", "-500", "--reason", "lost"}).code, 1);
    EXPECT_EQ(ctl({"stock", "adjust", "R1", "2"}).code, 2);
    EXPECT_EQ(ctl({"stock", "adjust", "R1", "x", "--reason", "r"}).code, 1);
    EXPECT_EQ(ctl({"stock", "adjust", "NOPE", "1", "--reason", "r"}).code, 1);

    // Every movement is recorded, with its document; they sum to the Stock.
    EXPECT_EQ(realText("select Kind||' '||Quantity||' '||coalesce(nullif(Document,''),'-')||' '||"
                       "coalesce(nullif(Reason,''),'-') from MoveList order by id"),
              "Receipt 40.0 P0001 -\nReceipt 60.0 P0001 -\nReceipt 5.0 P0001 -\nAdjustment -3.0 - counted");
    EXPECT_EQ(ctl({"stock", "check"}).out, "Stock figures agree\n");
    // A Stock changed past the ledger is found, and the repair writes the movements' sum.
    setPart("R1", "Stock", "90");
    run = ctl({"stock", "check"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "R1\tStock\t90\t102\n");
    EXPECT_EQ(ctl({"stock", "repair", "--yes"}).code, 0);
    EXPECT_EQ(figure("R1", "Stock"), "102");
}

TEST_F(PurchasingTest, CompletionRecordsConsumptionAfterAnOpeningMovement)
{
    addPart("R1", 50, 0, "DIGI", {}, 0.1);
    addBom("BOARD", "R1", 2);
    addRequirement("REQ0001", "BOARD", 5);
    ASSERT_TRUE(ProcessRequirement("REQ0001", 5, "BOARD").done);
    ASSERT_TRUE(AdjustStock("R1", 4, "found a reel"));
    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CompleteOrder("REQ0001"));
    // The first movement opened the part's ledger with the 50 it had.
    EXPECT_EQ(realText("select Kind||' '||Quantity||' '||coalesce(nullif(Document,''),'-') from MoveList order by id"),
              "Opening 50.0 -\nAdjustment 4.0 -\nConsumption -10.0 REQ0001");
    EXPECT_EQ(figure("R1", "Stock"), "44");
    bool ok = false;
    EXPECT_TRUE(CheckStockFigures(&ok).empty());
    EXPECT_TRUE(ok);
}

TEST_F(PurchasingTest, MinStockNotPurchasedNoVendorAndMadeWithoutBill)
{
    // MS: 10 in stock, 4 needed, Min Stock 20: 14 more bring it back.
    addPart("MS", 10, 0, "DIGI", {}, 1);
    setPart("MS", "Min_Stock", "20");
    // LOW: short by 3 and below its Min Stock of 5 after: 3 for the need, 5 to min stock.
    addPart("LOW", 1, 0, "DIGI", {}, 1);
    setPart("LOW", "Min_Stock", "5");
    addPart("TP1", 0, 0, {}, {}, 0, 0, "Not Purchased");
    addPart("NOV", 0, 0, {}, {}, 1);
    addPart("SUBM", 0, 0, {}, {}, 0, 0, "Make");
    addBom("BOARD", "MS", 2);
    addBom("BOARD", "LOW", 2, 2);
    addBom("BOARD", "TP1", 4, 3);
    addBom("BOARD", "NOV", 1, 4);
    addBom("BOARD", "SUBM", 1, 5);
    addRequirement("REQ0001", "BOARD", 2);

    const QStringList lines = dryRun("REQ0001", "2");
    EXPECT_EQ(lines, QStringList({"MS\t4\t10\t0\tDIGI\t14\t14\t\t1\tUSD\t14",
                                  "LOW\t4\t1\t3\tDIGI\t8\t8\t\t1\tUSD\t5",
                                  "NOV\t2\t0\t0\t\t0\t0\t\t\t\t0",
                                  "P0001:  Vendor:DIGI Items:2",
                                  "NOV: no vendor",
                                  "SUBM: made, but has no bill"}));

    ASSERT_TRUE(ProcessRequirement("REQ0001", 2, "BOARD").done);
    EXPECT_TRUE(ui.saw("NOV: no vendor"));
    // Min Stock is bought on the order but allocated to nobody.
    EXPECT_EQ(figure("MS", "On_Order"), "14");
    EXPECT_EQ(figure("MS", "Allocated"), "4");
    EXPECT_EQ(figure("LOW", "On_Order"), "8");
    EXPECT_EQ(figure("LOW", "Allocated"), "4");
    // The test points stay in the bill, untouched by purchasing.
    EXPECT_EQ(sqlite("select count(*) from AssyList where Part_nBr = 'TP1'"), "1");
    EXPECT_EQ(sqlite("select count(*) from AlloList where Part_nBr = 'TP1'"), "0");
    EXPECT_EQ(sqlite("select count(*) from PurcList where Vendor = ''"), "0");
    bool ok = false;
    EXPECT_TRUE(CheckStockFigures(&ok).empty());
}
