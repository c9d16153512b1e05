#include "orders/ordersfixture.h"

#include "db/database.h"
#include "db/parameters.h"
#include "orders/completion.h"
#include "orders/poprint.h"
#include "orders/purchaseorder.h"
#include "orders/requirement.h"

#include <QPdfWriter>
#include <QProcess>

namespace {

QString pdfText(const QString& file)
{
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(30000);
    // Layout spacing does not survive text extraction; compare words.
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

} // namespace

TEST_F(OrdersTest, ItemListParsesBuildsAndTotals)
{
    const std::vector<ItemRow> rows = ParseItemList("1\n7.7\nP1\nBolt\n2.00\n15.40\nPending\n\r2\n1\nP2\nNut\n3\n3\nDrop\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], QStringList({"2", "1", "P2", "Nut", "3", "3", "Drop"}));
    EXPECT_EQ(BuildItemList({rows[0]}), "1\n7.7\nP1\nBolt\n2.00\n15.40\nPending\n\r");
    EXPECT_TRUE(ParseItemList({}).empty());
    EXPECT_TRUE(ParseItemList("no line feed").empty());

    std::vector<ItemRow> lines = {{"1", "4", "A", "", "20", "", "Pending"}, {"2", "3", "B", "", "6.6667", "x", "Drop"}};
    EXPECT_NEAR(RecomputeLineTotals(lines), 100, 1e-3);
    EXPECT_EQ(lines[0][5], "80.00");
    EXPECT_EQ(lines[1][5], "20.00");
    EXPECT_NEAR(OrderTotal(100, "8.25", "12"), 120.25, 1e-9);
    EXPECT_NEAR(OrderTotal(100, "abc", "n/a"), 100, 1e-9);

    EXPECT_EQ(AddressForDisplay("1 Main St/Springfield"), "1 Main St\r\nSpringfield");
    EXPECT_EQ(AddressForStorage("1 Main St\r\nSpringfield\nIL"), "1 Main St/Springfield/IL");
    EXPECT_EQ(PurchaseChoiceList("Status"), QStringList({"Pending", "Placed", "Closed"}));
    EXPECT_EQ(PurchaseChoiceList("Method"), QStringList({"Phone", "Web", "Fax"}));
}

TEST_F(OrdersTest, VendorLookupAndSavingOnlyChangedFields)
{
    addVendor("ACME", "1 Main St", "Springfield");
    addVendor("O'NEIL", "2 Side St", "Shelbyville");
    EXPECT_EQ(VendorNames(), QStringList({"ACME", "O'NEIL"}));
    const VendorContact acme = LookupVendor("ACME");
    EXPECT_EQ(acme.address, "1 Main St\r\nSpringfield,IL  12345 USA");
    EXPECT_EQ(acme.phone, "555-1");
    EXPECT_EQ(LookupVendor("O'NEIL").fax, "555-2");

    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Vendor,Status,Value,Shipping_Cost) values "
                        "('P0001','ACME','Pending',10,'2')"));
    const PurchaseOrderRecord record = LoadPurchaseOrder("P0001");
    QMap<QString, QString> current = record.loaded;
    EXPECT_FALSE(SavePurchaseOrderFields(record, current, true));
    current["Shipping_Cost"] = "12";
    current["Notes"] = "Call O'Neil's \"desk\"";
    bool written = false;
    EXPECT_TRUE(SavePurchaseOrderFields(record, current, false, &written));
    EXPECT_FALSE(written);
    EXPECT_EQ(sqlite("select Shipping_Cost from PurcList"), "2");
    // Another desk changed the order after it was shown: nothing is written
    // over it, and the save says the window is stale.
    ASSERT_TRUE(Execute("update PurcList set Vendor='OTHER'"));
    bool stale = false;
    EXPECT_FALSE(SavePurchaseOrderFields(record, current, true, &written, &stale));
    EXPECT_FALSE(written);
    EXPECT_TRUE(stale);
    EXPECT_EQ(sqlite("select Vendor||'|'||Shipping_Cost from PurcList"), "OTHER|2");
    // Shown again, only the changed fields are written: the other desk's
    // vendor stays.
    const PurchaseOrderRecord again = LoadPurchaseOrder("P0001");
    QMap<QString, QString> edited = again.loaded;
    edited["Shipping_Cost"] = "12";
    edited["Notes"] = "Call O'Neil's \"desk\"";
    EXPECT_TRUE(SavePurchaseOrderFields(again, edited, true, &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(sqlite("select Vendor||'|'||Shipping_Cost||'|'||Notes from PurcList"),
              "OTHER|12|Call O'Neil's \"desk\"");
}

TEST_F(OrdersTest, ReceivingMovesWholeQuantitiesIntoStockOnce)
{
    addPart("P1", 10, 0);
    addPart("P2", 0, 0);
    ASSERT_TRUE(Execute("update PartList set On_Order=3 where Part_nBr='P1'"));
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Status,Need_Date,Item_List) values ('P0001','Pending',"
                        "'2026-03-01 00:00:00', "
                        "'1\n5\nP1\nd\n1\n5\nPending\n\r2\n7.7\nP2\nd\n1\n7.7\nDrop\n\r3\nabc\nP2\nd\n1\n0\nPending\n\r"
                        "4\n2\nUNKNOWN\nd\n1\n2\nPending\n')"));
    ui.answers = {kAnswerCancel};
    EXPECT_EQ(ReceivePurchaseOrder("P0001"), kAnswerCancel);
    EXPECT_EQ(partValue("P1", "Stock"), "10.0");

    // A line whose quantity is no plain number stops the receipt: nothing moves.
    ui.answers = {kAnswerYes};
    EXPECT_EQ(ReceivePurchaseOrder("P0001"), 0);
    EXPECT_TRUE(ui.saw("not a plain number on line 3"));
    EXPECT_EQ(partValue("P1", "Stock"), "10.0");
    ASSERT_TRUE(Execute("update PurcList set Item_List = replace(Item_List, char(10)||'abc'||char(10), "
                        "char(10)||'0'||char(10))"));

    ui.answers = {kAnswerYes};
    EXPECT_EQ(ReceivePurchaseOrder("P0001"), kAnswerYes);
    EXPECT_TRUE(ui.saw("Move Material to Stock?"));
    EXPECT_EQ(partValue("P1", "Stock"), "15.0");
    EXPECT_EQ(partValue("P1", "On_Order"), "-2.0");
    EXPECT_EQ(partValue("P2", "Stock"), "7.0");
    EXPECT_EQ(sqlite("select Status from PurcList"), "Closed");
    // The need date stays what was agreed; every line is marked received.
    EXPECT_EQ(sqlite("select Need_Date from PurcList"), "2026-03-01 00:00:00");
    // Receiving names who received it.
    EXPECT_EQ(sqlite("select User from PurcList"), "tester");
    EXPECT_EQ(sqlite("select replace(replace(Item_List,char(10),'|'),char(13),'#') from PurcList"),
              "1|5|P1|d|1|5|Received|#2|7.7|P2|d|1|7.7|Received|#3|0|P2|d|1|0|Received|#"
              "4|2|UNKNOWN|d|1|2|Received|#");

    ui.clear();
    ui.answers = {kAnswerYes};
    EXPECT_EQ(ReceivePurchaseOrder("P0001"), 0);
    EXPECT_TRUE(ui.saw("received already"));
    EXPECT_EQ(partValue("P1", "Stock"), "15.0");

    // A failure half-way leaves stock and status as they were.
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Status,Item_List) values ('P0002','Pending','1\n5\nP1\nd\n1\n5\nPending\n\r')"));
    const QString before = dump();
    ui.answers = {kAnswerYes};
    InjectStatementFailure(5); // the exists check and the record's one read come first
    EXPECT_EQ(ReceivePurchaseOrder("P0002"), 0);
    InjectStatementFailure(0);
    EXPECT_EQ(dump(), before);
}

TEST_F(OrdersTest, CompletionAndCancellationFigures)
{
    addPart("P1", 4, 11);
    addPart("P2", 10, 6);
    ASSERT_TRUE(Execute("update PartList set On_Order=7"));
    addRequirement("REQ0001", "A", 1, "2026-01-02 10:00:00", "PO Gen");
    addRequirement("REQ0002", "A", 1, "2026-01-02 10:00:00", "PO Gen");
    ASSERT_TRUE(Execute("insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values ('REQ0001','P1',7,'P0001'),"
                        "('REQ0001','P2',2,'P0001'),('REQ0001','P2',3,'P0002'),('REQ0002','P1',5,'P0003'),"
                        "('REQ0002','P2',1,'P0004')"));
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Order_nBr,Status) values ('P0003','REQ0002','Pending'),"
                        "('P0004','REQ0002','Closed'),('P0001','REQ0001','Pending')"));

    ui.answers = {kAnswerNo};
    EXPECT_FALSE(CompleteOrder("REQ0001"));
    EXPECT_EQ(sqlite("select Status from ReqmList where Order_nBr='REQ0001'"), "PO Gen");

    ui.answers = {kAnswerYes};
    EXPECT_TRUE(CompleteOrder("REQ0001"));
    EXPECT_TRUE(ui.saw("Order Complete. Allocations and Stock Removed."));
    EXPECT_EQ(partValue("P1", "Allocated"), "4.0");
    EXPECT_EQ(partValue("P1", "Stock"), "0.0");
    EXPECT_EQ(partValue("P2", "Allocated"), "1.0"); // 6 - 2 - 3, once per row
    EXPECT_EQ(partValue("P2", "Stock"), "5.0");
    EXPECT_EQ(sqlite("select count(*) from AlloList where Requirement='REQ0001'"), "3");
    EXPECT_EQ(sqlite("select Status from ReqmList where Order_nBr='REQ0001'"), "Complete");

    ui.clear();
    ui.answers = {kAnswerYes};
    EXPECT_TRUE(CancelOrder("REQ0002"));
    EXPECT_EQ(ui.messages.front().text, "Canceling Order will delete related pending PO's\n\r Are you Sure?");
    EXPECT_TRUE(ui.saw("Order Canceled. Allocations Removed. Pending POs have been Deleted"));
    EXPECT_EQ(partValue("P1", "Allocated"), "0.0");
    EXPECT_EQ(partValue("P1", "Stock"), "0.0");
    EXPECT_EQ(partValue("P2", "Allocated"), "0.0");
    EXPECT_EQ(partValue("P2", "On_Order"), "7.0");
    EXPECT_EQ(sqlite("select group_concat(PO_nBr) from (select PO_nBr from PurcList order by id) as p"), "P0004,P0001");
    EXPECT_EQ(sqlite("select count(*) from AlloList where Requirement='REQ0002'"), "0");
    EXPECT_EQ(sqlite("select Status from ReqmList where Order_nBr='REQ0002'"), "Canceled");

    // Atomic: a refused statement leaves everything as it was.
    addRequirement("REQ0003", "A", 1, "2026-01-02 10:00:00", "PO Gen");
    ASSERT_TRUE(Execute("insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values ('REQ0003','P2',1,'P9')"));
    const QString before = dump();
    ui.answers = {kAnswerYes};
    InjectStatementFailure(4);
    EXPECT_FALSE(CancelOrder("REQ0003"));
    InjectStatementFailure(0);
    EXPECT_EQ(dump(), before);
}

TEST_F(OrdersTest, TheRoadOfOneRequirement)
{
    addPart("BOLT", 4, 1, "FASTCO", "BOLTWORKS", 0.25);
    addPart("PANEL", 0, 0, {}, "SHEETS", 12, 10);
    addPart("FRAME", 0, 0, {}, {}, 0, 0, "M");
    addVendor("FASTCO", "9 Screw Rd", "Rivet");
    addBom("UNIT", "FRAME", 1);
    addBom("UNIT", "BOLT", 2);
    addBom("FRAME", "BOLT", 4);
    addBom("FRAME", "PANEL", 2);
    addStep("FRAME", "10", 4, "Weld");
    addStep("UNIT", "10", 2, "Assemble");
    SetParam(ParamLastPurchaseOrder, "65");
    addRequirement("REQ0001", "UNIT", 0);

    ASSERT_TRUE(ProcessRequirement("REQ0001", 2, "UNIT").done);
    EXPECT_TRUE(ui.saw("2 Purchase Orders Created under REQ0001"));
    // BOLT: 2 x (2 + 4) = 12 needed, 3 available: 9 ordered. PANEL: 4 needed, 4.4 ordered with loss.
    EXPECT_EQ(partValue("BOLT", "Allocated"), "13.0");
    EXPECT_EQ(partValue("BOLT", "On_Order"), "9.0");
    EXPECT_EQ(partValue("PANEL", "On_Order"), "4.0");
    EXPECT_EQ(sqlite("select PO_nBr||' '||Vendor from PurcList order by PO_nBr"), "P0066 FASTCO\nP0067 SHEETS");
    EXPECT_EQ(realText("select Part_nBr||' '||Quan||' '||PO_nBr from AlloList order by PO_nBr"),
              "BOLT 3.0 \nBOLT 9.0 P0066\nPANEL 4.0 P0067");
    EXPECT_EQ(sqlite("select Task_nBr||' '||Assy from TaskList order by Task_nBr"), "0 FRAME\n1 UNIT");
    EXPECT_EQ(realText("select Status||' '||Quan from ReqmList"), "PO Gen 2.0");
    EXPECT_EQ(GetParam(ParamLastPurchaseOrder), "67");

    for (const QString po : {"P0066", "P0067"}) {
        ui.answers = {kAnswerYes};
        EXPECT_EQ(ReceivePurchaseOrder(po), kAnswerYes);
    }
    EXPECT_EQ(partValue("BOLT", "Stock"), "13.0");
    EXPECT_EQ(partValue("BOLT", "On_Order"), "0.0");
    EXPECT_EQ(partValue("PANEL", "Stock"), "4.0"); // the order line read 4 (4.4 rounded)
    EXPECT_EQ(partValue("PANEL", "On_Order"), "0.0");
    EXPECT_EQ(sqlite("select group_concat(Status) from PurcList"), "Closed,Closed");

    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CompleteOrder("REQ0001"));
    // The whole need of 12 is consumed: 3 were on hand, 9 were bought.
    EXPECT_EQ(partValue("BOLT", "Stock"), "1.0");     // 13 - 12
    EXPECT_EQ(partValue("BOLT", "Allocated"), "1.0"); // 13 - 12, the allocation made before
    EXPECT_EQ(partValue("PANEL", "Stock"), "0.0");
    EXPECT_EQ(partValue("PANEL", "Allocated"), "0.0");
    EXPECT_EQ(sqlite("select Status from ReqmList"), "Complete");
    EXPECT_EQ(OrderStage("Complete"), 3);

    EnsureGuiApplication();
    const QString pdf = dir.path() + "/po.pdf";
    ASSERT_TRUE(PrintPurchaseOrderPdf("P0066", pdf));
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains("Purchase Order")) << text.toStdString();
    EXPECT_TRUE(text.contains("P0066"));
    EXPECT_TRUE(text.contains("FASTCO"));
    EXPECT_TRUE(text.contains("9 Screw Rd"));
    EXPECT_TRUE(text.contains("BOLT"));
    EXPECT_TRUE(text.contains("Subtotal 2.25"));
    EXPECT_TRUE(text.contains("Purchase Order:P0066 Page 1"));

    // The number's barcode reads back.
    QProcess render;
    render.start("pdftoppm", {"-png", "-r", "200", "-singlefile", pdf, dir.path() + "/po"});
    render.waitForFinished(30000);
    QProcess scan;
    scan.start("zbarimg", {"-q", dir.path() + "/po.png"});
    scan.waitForFinished(30000);
    if (scan.error() != QProcess::FailedToStart) {
        EXPECT_TRUE(QString::fromUtf8(scan.readAllStandardOutput()).contains("CODE-39:P0066"));
    }
}

TEST_F(OrdersTest, ALongPurchaseOrderRepeatsItsHeaderOnEveryPage)
{
    EnsureGuiApplication();
    PurchaseOrderPrintData data;
    data.number = "P0100";
    data.taxRate = "8";
    data.shippingCost = "12";
    for (int i = 1; i <= 60; ++i)
        data.rows.push_back({QString::number(i), "1", "PART", "Thing", "1.00", i == 1 ? "100.00" : "0.00", "Pending"});
    const QString pdf = dir.path() + "/long.pdf";
    {
        QPdfWriter writer(pdf);
        writer.setResolution(150);
        EXPECT_GE(PaintPurchaseOrder(&writer, data), 2);
    }
    const QString text = pdfText(pdf);
    EXPECT_GE(text.count("Description"), 2);
    EXPECT_TRUE(text.contains("Page 2"));
    EXPECT_TRUE(text.contains("Tax @ 8.0% 8.00"));
    EXPECT_TRUE(text.contains("Shipping 12.00"));
    EXPECT_TRUE(text.contains("120.00"));
}
