// Stock figures through whole requirements: every step leaves Allocated and
// On_Order equal to what the allocation rows and open purchase orders say.
#include "orders/ordersfixture.h"

#include "core/format.h"
#include "core/quantity.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/purchaseorders.h"
#include "db/stockledger.h"
#include "grid/errorcheck.h"
#include "grid/stockcheck.h"
#include "orders/completion.h"
#include "orders/purchaseorder.h"
#include "orders/requirement.h"

#include <random>

namespace {

QString describe(const std::vector<StockDisagreement>& found)
{
    QString text;
    for (const StockDisagreement& d : found)
        text += d.part + ' ' + d.figure + ' ' + PlainNumber(d.stored) + " ledger " + PlainNumber(d.ledger) + '\n';
    return text;
}

} // namespace

// The shipped table definitions, where the figures are text columns.
class StockTest : public OrdersTest
{
protected:
    void SetUp() override { DataFolderTest::SetUp(); }

    void expectLedgerAgrees(const QString& step)
    {
        bool ok = false;
        const std::vector<StockDisagreement> found = CheckStockFigures(&ok);
        EXPECT_TRUE(ok) << step.toStdString();
        EXPECT_TRUE(found.empty()) << step.toStdString() << "\n" << describe(found).toStdString();
    }
    // The table of lines holds what every order's Item_List holds.
    void expectLinesAgree(const QString& step)
    {
        auto text = [](const PurchaseLine& l) {
            return Format("%s %i %s %s %s %s", {l.number, l.line, l.part, l.quantity, PlainNumber(l.ordered),
                                                PlainNumber(l.received)})
                   + ' ' + l.status;
        };
        QStringList expected;
        const QueryResult orders = Query("select PO_nBr, Item_List from PurcList order by PO_nBr");
        for (int r = 0; r < orders.rowCount; ++r)
            for (const PurchaseLine& line : PurchaseLinesOf(orders.cell(r, 0), orders.cell(r, 1)))
                expected << text(line);
        QStringList stored;
        for (const OpenPurchaseLine& open : ReadAllPurchaseLines())
            stored << text(open.line);
        EXPECT_EQ(stored.join('\n'), expected.join('\n')) << step.toStdString();
    }
    // Stock, Allocated and On_Order as "S/A/O".
    // Stock/Allocated/On_Order as stored; a number written with a decimal
    // point reads as SQLite gives it back ("30.000000" stored reads "30.0").
    QString figures(const QString& part) const
    {
        QStringList values =
            sqlite("select Stock||'/'||Allocated||'/'||On_Order from PartList where Part_nBr='" + part + "'")
                .split(QLatin1Char('/'));
        for (QString& value : values) {
            bool number = false;
            const double v = value.toDouble(&number);
            if (number && value.contains(QLatin1Char('.'))) {
                value = QString::number(v, 'g', 15);
                if (!value.contains(QLatin1Char('.')) && !value.contains(QLatin1Char('e')))
                    value += QStringLiteral(".0");
            }
        }
        return values.join(QLatin1Char('/'));
    }
    bool process(const QString& order, double quantity, const QString& assembly)
    {
        return ProcessRequirement(order, quantity, assembly).done;
    }
    bool receive(const QString& po)
    {
        ui.answers = {kAnswerYes};
        return ReceivePurchaseOrder(po) == kAnswerYes;
    }
    bool complete(const QString& order)
    {
        ui.answers = {kAnswerYes};
        return CompleteOrder(order);
    }
};

TEST_F(StockTest, ThreeBuildsUseTheStockUpAndThenBuy)
{
    // 5 x R1 (100 in stock) and 1 x U1 (none), ten boards three times.
    addPart("R1", 100, 0, "DIGI");
    addPart("U1", 0, 0, "DIGI");
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1, 2);
    const char* const expected[3][2] = {{"50/0/0", "0/0/0"}, {"0/0/0", "0/0/0"}, {"0/0/0", "0/0/0"}};
    for (int build = 1; build <= 3; ++build) {
        const QString order = Format("REQ%0.4i", {build});
        const QString po = Format("P%0.4i", {build});
        addRequirement(order, "BOARD", 10);
        ASSERT_TRUE(process(order, 10, "BOARD")) << build;
        expectLedgerAgrees(order + " processed");
        ASSERT_TRUE(receive(po)) << build;
        expectLedgerAgrees(po + " received");
        ASSERT_TRUE(complete(order)) << build;
        expectLedgerAgrees(order + " complete");
        EXPECT_EQ(figures("R1"), expected[build - 1][0]) << build;
        EXPECT_EQ(figures("U1"), expected[build - 1][1]) << build;
    }
    // The first two builds took R1 from stock; the third bought the 50 it lacked.
    EXPECT_EQ(sqlite("select Requirement||' '||Part_nBr||' '||Quan||' '||PO_nBr from AlloList where Part_nBr='R1' "
                     "order by Requirement"),
              "REQ0001 R1 50 \nREQ0002 R1 50 \nREQ0003 R1 50 P0003");
    EXPECT_EQ(sqlite("select replace(replace(Item_List,char(10),'|'),char(13),'#') from PurcList where PO_nBr='P0003'"),
              "1|50|R1|Desc of R1|1.00|50.00|Received|#2|10|U1|Desc of U1|1.00|10.00|Received|#");
    EXPECT_FALSE(ui.saw("fell short"));
}

TEST_F(StockTest, CancellationReleasesTheWholeAllocationAndWhatPendingOrdersWouldDeliver)
{
    addPart("R1", 30, 0, "DIGI");
    addPart("U1", 0, 0, "DIGI");
    addPart("C1", 0, 0, "MOUSE");
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1, 2);
    addBom("BOARD", "C1", 2, 3);
    addRequirement("REQ0001", "BOARD", 10);
    ASSERT_TRUE(process("REQ0001", 10, "BOARD"));
    EXPECT_EQ(figures("R1"), "30.0/50/20");
    EXPECT_EQ(figures("C1"), "0.0/20/20");
    // The MOUSE order has been placed with the vendor: it is no longer pending.
    PurchaseOrderRecord placed = LoadPurchaseOrder("P0002");
    QMap<QString, QString> fields = placed.loaded;
    fields["Status"] = "Placed";
    ASSERT_TRUE(SavePurchaseOrderFields(placed, fields, true));
    expectLedgerAgrees("placed");

    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CancelOrder("REQ0001"));
    EXPECT_EQ(figures("R1"), "30.0/0/0"); // stock untouched, the part from stock released too
    EXPECT_EQ(figures("U1"), "0.0/0/0");
    EXPECT_EQ(figures("C1"), "0.0/0/20"); // still coming on the placed order
    EXPECT_EQ(sqlite("select PO_nBr||' '||Status from PurcList"), "P0002 Placed");
    EXPECT_EQ(sqlite("select count(*) from AlloList"), "0");
    expectLedgerAgrees("cancelled");

    // Neither end runs twice: each only says so.
    const QString before = dump();
    ui.clear();
    ui.answers = {kAnswerYes, kAnswerYes};
    EXPECT_FALSE(CancelOrder("REQ0001"));
    EXPECT_FALSE(CompleteOrder("REQ0001"));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.saw("REQ0001: nothing was changed; the order is Canceled"));
    EXPECT_EQ(ui.messages[1].buttons, kButtonsOk); // no question was asked
    EXPECT_EQ(dump(), before);
}

TEST_F(StockTest, TheLossAllowanceIsOnOrderAsTheLineOrdersIt)
{
    addPart("GLUE", 0, 0, "DIGI", {}, 2, 10);
    addBom("KIT", "GLUE", 7);
    addRequirement("REQ0001", "KIT", 1);
    ASSERT_TRUE(process("REQ0001", 1, "KIT"));
    // 7 needed, 7.7 with the allowance: the line orders 8, and 8 are on order.
    EXPECT_EQ(figures("GLUE"), "0.0/7/8");
    EXPECT_EQ(sqlite("select Quan||' '||PO_nBr from AlloList"), "7 P0001");
    EXPECT_EQ(sqlite("select Value from PurcList"), "16.00"); // 8 x 2.00, as the order shows it
    ASSERT_TRUE(receive("P0001"));
    EXPECT_EQ(figures("GLUE"), "8/7/0");
    ASSERT_TRUE(complete("REQ0001"));
    EXPECT_EQ(figures("GLUE"), "1/0/0"); // the allowance not used is left in stock
    expectLedgerAgrees("complete");
}

TEST_F(StockTest, CompletionBeforeReceivingAsksNamingTheOrdersAndNamesTheShortParts)
{
    addPart("R1", 10, 0, "DIGI");
    addPart("U1", 0, 0, "DIGI");
    addPart("C1", 0, 0, "MOUSE");
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1, 2);
    addBom("BOARD", "C1", 1, 3);
    addRequirement("REQ0001", "BOARD", 4);
    ASSERT_TRUE(process("REQ0001", 4, "BOARD"));
    ASSERT_TRUE(receive("P0002")); // C1 arrived; P0001 (R1, U1) has not
    const QString before = dump();

    ui.clear();
    ui.answers = {kAnswerNo};
    EXPECT_FALSE(CompleteOrder("REQ0001"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Purchase orders not yet received: P0001\nComplete Order anyway?");
    EXPECT_EQ(ui.messages[0].buttons, kButtonsYesNo);
    EXPECT_EQ(dump(), before);

    ASSERT_TRUE(complete("REQ0001"));
    // R1 had 10 for a need of 20, U1 none for 4: held at 0 and named.
    EXPECT_EQ(figures("R1"), "0/0/10");
    EXPECT_EQ(figures("U1"), "0/0/4");
    EXPECT_EQ(figures("C1"), "0/0/0");
    EXPECT_TRUE(ui.saw("Order Complete. Allocations and Stock Removed.\n"
                       "Stock fell short and was held at 0 for: R1 (10), U1 (4)"));
    EXPECT_EQ(sqlite("select Status from ReqmList"), "Complete");
    expectLedgerAgrees("complete");

    // The order still arrives later; it is still on order until then.
    ASSERT_TRUE(receive("P0001"));
    EXPECT_EQ(figures("R1"), "10/0/0");
    expectLedgerAgrees("late receipt");
}

TEST_F(StockTest, PurchaseOrderEditsMoveOnOrderWithTheOrder)
{
    addPart("R1", 0, 0, "DIGI");
    addPart("U1", 0, 0, "DIGI");
    addBom("BOARD", "R1", 2);
    addBom("BOARD", "U1", 1, 2);
    addRequirement("REQ0001", "BOARD", 5);
    ASSERT_TRUE(process("REQ0001", 5, "BOARD"));
    EXPECT_EQ(figures("R1"), "0.0/10/10");

    // The buyer orders 12 of R1, drops U1's line and adds one of a new part.
    addPart("X9", 0, 0, "DIGI");
    PurchaseOrderRecord record = LoadPurchaseOrder("P0001");
    std::vector<ItemRow> rows = ParseItemList(record.value("Item_List"));
    rows[0][kItemQuantity] = "12";
    rows.erase(rows.begin() + 1);
    rows.push_back({"2", "3", "X9", "", "1", "3", "Pending"});
    QMap<QString, QString> fields = record.loaded;
    fields["Item_List"] = BuildItemList(rows);
    ASSERT_TRUE(SavePurchaseOrderFields(record, fields, true));
    EXPECT_EQ(figures("R1"), "0.0/10/12");
    EXPECT_EQ(figures("U1"), "0.0/5/0");
    EXPECT_EQ(figures("X9"), "0.0/0.0/3");
    expectLedgerAgrees("edited");

    // Closed without moving anything into stock: nothing more is on order.
    record = LoadPurchaseOrder("P0001");
    ui.answers = {kAnswerNo};
    EXPECT_EQ(ReceivePurchaseOrder("P0001"), kAnswerNo);
    EXPECT_EQ(figures("R1"), "0.0/10/0");
    EXPECT_EQ(figures("X9"), "0.0/0.0/0");
    EXPECT_EQ(sqlite("select Status from PurcList"), "Closed");
    expectLedgerAgrees("closed unreceived");
}

TEST_F(StockTest, RequirementsFromBeforeTheLedgerCompleteAsBefore)
{
    // Processed by an older KOLT: a row for the ordered part only; the 3 taken
    // from stock were allocated without a row. Nothing is guessed: the rows
    // are consumed, the rest of the allocation stays for the repair to judge.
    addPart("BOLT", 13, 12, "FASTCO");
    addRequirement("REQ0001", "UNIT", 2, "2026-01-02 10:00:00", "PO Gen");
    ASSERT_TRUE(Execute("insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values ('REQ0001','BOLT','9','P0066')"));
    ASSERT_TRUE(complete("REQ0001"));
    EXPECT_EQ(figures("BOLT"), "4/3/0");
    // The check shows what the older file left behind; the repair writes the ledger.
    const std::vector<StockDisagreement> found = CheckStockFigures();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(describe(found), "BOLT Allocated 3 ledger 0\n");
}

TEST_F(StockTest, TheCheckFindsFiguresChangedAroundTheLedgerAndTheRepairAsksFirst)
{
    addPart("R1", 100, 0, "DIGI");
    addPart("U1", 0, 0, "DIGI");
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1, 2);
    addRequirement("REQ0001", "BOARD", 10);
    addRequirement("REQ0002", "BOARD", 10);
    ASSERT_TRUE(process("REQ0001", 10, "BOARD"));
    ASSERT_TRUE(process("REQ0002", 10, "BOARD"));
    expectLedgerAgrees("processed");
    // Edits made around the engines: a requirement deleted in the grid, a
    // purchase order deleted, a figure typed over.
    ASSERT_TRUE(Execute("delete from ReqmList where Order_nBr='REQ0002'"));
    ASSERT_TRUE(Execute("delete from PurcList where PO_nBr='P0001'"));
    ASSERT_TRUE(Execute("update PartList set Stock='7', On_Order='abc' where Part_nBr='R1'"));
    bool ok = false;
    std::vector<StockDisagreement> found = CheckStockFigures(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(describe(found), "R1 Allocated 100 ledger 50\nU1 Allocated 20 ledger 10\nU1 On_Order 20 ledger 10\n");

    // The part table's error check marks both parts, in words.
    addVendor("DIGI");
    QueryResult parts = Query("Select * from PartList order by id");
    CErrorCheck check;
    check.Run(parts, PartList);
    ASSERT_EQ(check.words().size(), 2u);
    EXPECT_TRUE(check.words()[0] & kErrStockFigures);
    EXPECT_TRUE(check.words()[1] & kErrStockFigures);
    // The grid's own check reads only the rows a rule can mark: these among them.
    CErrorCheck narrow;
    narrow.Check(PartList, QStringLiteral("PartList"), QString());
    for (int r = 0; r < parts.rowCount; ++r)
        EXPECT_EQ(narrow.wordOfId(parts.cell(r, 0).toLongLong()), check.words()[static_cast<size_t>(r)]);
    EXPECT_EQ(CErrorCheck::SummaryText(kErrStockFigures),
              "Stock Figures Disagree with Allocations and Purchase Orders\n");

    ui.clear();
    EXPECT_EQ(RepairStockFiguresAfterAsking(), kRepairDeclined); // the safe answer is No
    EXPECT_TRUE(ui.saw("R1  Allocated  100 -> 50"));
    EXPECT_EQ(CheckStockFigures().size(), 3u);
    ui.answers = {kAnswerYes};
    EXPECT_TRUE(OfferStockRepair());
    EXPECT_EQ(figures("R1"), "7/50/abc"); // "abc" reads as 0, as the ledger has it
    EXPECT_EQ(figures("U1"), "0.0/10/10");
    expectLedgerAgrees("repaired");
    ui.clear();
    EXPECT_FALSE(OfferStockRepair()); // nothing to offer, nothing asked
    EXPECT_TRUE(ui.messages.empty());

    // A repair the database refuses writes nothing and says so.
    ASSERT_TRUE(Execute("update PartList set Allocated='1'"));
    const QString before = dump();
    ui.answers = {kAnswerYes};
    InjectStatementFailure(7); // the four reads of the check come first, then BEGIN
    EXPECT_EQ(RepairStockFiguresAfterAsking(), kRepairRefused);
    InjectStatementFailure(0);
    EXPECT_TRUE(ui.saw("Nothing was written"));
    EXPECT_EQ(dump(), before);
}

TEST_F(StockTest, RandomSequencesKeepTheFiguresTrue)
{
    addPart("R1", 40, 0, "DIGI", {}, 0.1);
    addPart("R2", 0, 0, "DIGI", {}, 0.1, 5);
    addPart("U1", 3, 0, "MOUSE", {}, 2.5, 10);
    addPart("PCB", 0, 0, {}, "FAB", 4);
    addPart("SUB", 0, 0, {}, {}, 0, 0, "Make");
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1, 2);
    addBom("BOARD", "PCB", 1, 3);
    addBom("BOARD", "SUB", 2, 4);
    addBom("SUB", "R2", 1.5);
    addBom("SUB", "R1", 2, 2);
    addBom("KIT", "R2", 3);
    addBom("KIT", "U1", 2, 2);
    const QStringList assemblies = {"BOARD", "KIT", "SUB"};
    const QStringList partNames = {"R1", "R2", "U1", "PCB"};

    std::mt19937 random(20261208u);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int requirements = 0;
    for (int step = 0; step < 300; ++step) {
        ui.clear();
        const int action = pick(6);
        QString done;
        if (action == 0 || requirements == 0) {
            const QString order = Format("REQ%0.4i", {++requirements});
            const QString assembly = assemblies[pick(3)];
            const double quantity = 1 + pick(6) + (pick(4) == 0 ? 0.5 : 0);
            addRequirement(order, assembly, quantity);
            process(order, quantity, assembly);
            done = "process " + order + " " + PlainNumber(quantity) + " " + assembly;
        } else if (action == 1 || action == 2) {
            const QString po = sqlite("select PO_nBr from PurcList where Status <> 'Closed' order by random() limit 1");
            if (po.isEmpty())
                continue;
            ui.answers = {pick(4) == 0 ? kAnswerNo : kAnswerYes};
            ReceivePurchaseOrder(po);
            done = "receive " + po;
        } else if (action == 3) {
            const QString order = Format("REQ%0.4i", {1 + pick(requirements)});
            ui.answers = {kAnswerYes};
            CompleteOrder(order);
            done = "complete " + order;
        } else if (action == 4) {
            const QString order = Format("REQ%0.4i", {1 + pick(requirements)});
            ui.answers = {kAnswerYes};
            CancelOrder(order);
            done = "cancel " + order;
        } else {
            const QString po = sqlite("select PO_nBr from PurcList order by random() limit 1");
            if (po.isEmpty())
                continue;
            const PurchaseOrderRecord record = LoadPurchaseOrder(po);
            QMap<QString, QString> fields = record.loaded;
            std::vector<ItemRow> rows = ParseItemList(record.value("Item_List"));
            // A received order keeps its status (the dialog locks it); its lines may still be edited.
            const int edit = pick(PurchaseOrderClosed(record.value("Status")) ? 3 : 4);
            if (edit == 0 && !rows.empty())
                rows[static_cast<size_t>(pick(static_cast<int>(rows.size())))][kItemQuantity] =
                    QString::number(pick(30));
            else if (edit == 1 && !rows.empty())
                rows.erase(rows.begin() + pick(static_cast<int>(rows.size())));
            else if (edit == 2)
                rows.push_back({QString::number(rows.size() + 1), QString::number(1 + pick(9)), partNames[pick(4)],
                                "", "1", "", "Pending"});
            else
                fields["Status"] = pick(2) ? "Placed" : "Back Order";
            fields["Item_List"] = BuildItemList(rows);
            SavePurchaseOrderFields(record, fields, true);
            done = "edit " + po;
        }
        expectLedgerAgrees(Format("step %i: %s", {step, done}));
        expectLinesAgree(Format("step %i: %s", {step, done}));
        if (HasFailure())
            break;
    }
    EXPECT_GT(requirements, 20);
    EXPECT_GT(sqlite("select count(*) from ReqmList where Status='Complete'").toInt(), 5);
    EXPECT_GT(sqlite("select count(*) from PurcList where Status='Closed'").toInt(), 5);
}

TEST_F(StockTest, ThePreviewIsWhatProcessWrites)
{
    addPart("R1", 12, 4, "DIGI", {}, 0.1);
    addPart("U1", 0, 0, {}, "TI", 2.5, 10);
    addPart("C1", 100, 0, "MOUSE");
    addPart("PCB", 0, 0, {}, {}, 4);
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1.5, 2);
    addBom("BOARD", "C1", 2, 3);
    addBom("BOARD", "PCB", 1, 4);
    addRequirement("REQ0001", "BOARD", 5);
    SetParam(ParamLastPurchaseOrder, "65");
    const QString before = dump();

    const ProcessOutcome preview = PreviewProcess("REQ0001", 5, "BOARD");
    ASSERT_TRUE(preview.done);
    EXPECT_EQ(dump(), before);
    EXPECT_TRUE(ui.messages.empty());
    // PCB has no vendor at all: it is named, not put on an order to nobody.
    EXPECT_EQ(PreviewLines(preview.plan),
              QStringList({"R1\t25\t8\t17\tDIGI\t17\t17\t\t0.1\tUSD\t0", "U1\t7.5\t0\t7.5\tTI\t8\t8\t\t2.5\tUSD\t0",
                           "C1\t10\t100\t0\tMOUSE\t0\t0\t\t\t\t0", "PCB\t5\t0\t0\t\t0\t0\t\t\t\t0",
                           "P0066:  Vendor:DIGI Items:1", "P0067:  Vendor:TI Items:1", "PCB: no vendor"}));

    const ProcessOutcome real = ProcessRequirement("REQ0001", 5, "BOARD");
    ASSERT_TRUE(real.done);
    EXPECT_EQ(real.batch.numbers, QStringList({"P0066", "P0067"}));
    // Line by line: each planned part is on the order the preview named, with
    // the quantity it showed.
    for (const PlannedPart& part : preview.plan.parts) {
        const QString line = sqlite("select PO_nBr from PurcList where instr(Item_List, char(10)||'" + part.part
                                    + "'||char(10)) > 0");
        EXPECT_EQ(line, part.purchaseOrder) << part.part.toStdString();
        if (part.purchaseOrder.isEmpty())
            continue;
        const std::vector<ItemRow> rows =
            ParseItemList(sqlite("select Item_List from PurcList where PO_nBr='" + part.purchaseOrder + "'") + "\n");
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0][kItemPart], part.part);
        EXPECT_EQ(rows[0][kItemQuantity], PlainNumber(part.orderWithLoss));
    }
    EXPECT_EQ(GetParam(ParamLastPurchaseOrder), QString::number(preview.plan.lastNumber));
}

TEST_F(StockTest, ProcessRefusesQuantitiesAndAssembliesThatMakeNoSense)
{
    double value = 0;
    QString error;
    for (const char* bad : {"-1", "1e30", "1e-9", "0x10", " 5x", "0", "", "abc", "2000000", "+5", "1,5"})
        EXPECT_FALSE(ParseQuantity(bad, kMaxRequirementQuantity, &value, &error)) << bad;
    EXPECT_TRUE(error.contains("\"1,5\"")) << error.toStdString();
    for (const auto& [text, number] : std::vector<std::pair<const char*, double>>{
             {"12", 12}, {"2.5", 2.5}, {" 7 ", 7}, {".5", 0.5}, {"1000000", 1e6}}) {
        ASSERT_TRUE(ParseQuantity(text, kMaxRequirementQuantity, &value, &error)) << text;
        EXPECT_EQ(value, number) << text;
    }
    EXPECT_EQ(PlainNumber(7.5), "7.5");
    EXPECT_EQ(PlainNumber(10), "10");
    EXPECT_EQ(PlainNumber(-0.0000001), "0");
    EXPECT_EQ(PlainNumber(1e9), "1000000000");

    addPart("R1", 0, 0, "DIGI");
    addBom("BOARD", "R1", 1);
    addRequirement("REQ0001", "BOARD", 1);
    const QString before = dump();
    EXPECT_FALSE(process("REQ0001", -1, "BOARD"));
    EXPECT_FALSE(process("REQ0001", 1e30, "BOARD"));
    EXPECT_FALSE(process("REQ0001", 5, "NOSUCH"));
    EXPECT_FALSE(process("REQ0001", 5, "R1")); // a part, not an assembly
    EXPECT_TRUE(ui.saw("No such assembly: NOSUCH"));
    EXPECT_TRUE(ui.saw("The quantity must be greater than 0 and not above 1000000: -1"));
    EXPECT_EQ(dump(), before); // still "Created", free to be processed properly
    EXPECT_TRUE(process("REQ0001", 5, "BOARD"));
}

TEST_F(StockTest, ReceivingAHugeQuantityIsRefusedWhole)
{
    addPart("R1", 5, 0, "DIGI");
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Status,Item_List) values ('P0001','Pending',"
                        "'1\n2\nR1\nd\n1\n2\nPending\n\r2\n99999999999999999999\nR1\nd\n1\n0\nPending\n\r')"));
    ASSERT_TRUE(Execute("update PartList set On_Order='2'"));
    const QString before = dump();
    ui.answers = {kAnswerYes};
    EXPECT_EQ(ReceivePurchaseOrder("P0001"), 0);
    EXPECT_TRUE(ui.saw("Nothing was received; the quantity is too large on line 2: 99999999999999999999"));
    EXPECT_EQ(dump(), before);
    EXPECT_GT(ItemQuantity("99999999999999999999"), kMaxLineQuantity); // saturates, never wraps
    EXPECT_DOUBLE_EQ(ItemQuantity(" -3.7x"), -3);
}

TEST_F(StockTest, LinesPricedZeroAreNamedBeforePrinting)
{
    const std::vector<ItemRow> rows = {{"1", "4", "BOLT", "", "0.00", "0.00", "Pending"},
                                       {"2", "1", "NUT", "", "0.004", "0", "Placed"},
                                       {"3", "1", "GONE", "", "0", "0", "Drop"},
                                       {"4", "2", "WASHER", "", "0.05", "0.10", "Pending"},
                                       {"5", "", "", "", "", "", ""}};
    EXPECT_EQ(ZeroPriceWarning(rows), "Lines priced 0.00: 1 BOLT, 2 NUT");
    EXPECT_TRUE(ZeroPriceWarning({rows[3]}).isEmpty());
    EXPECT_EQ(PurchaseOrderValue(rows, "10", "5"), "5.11"); // 0.10 + 10 % + 5
}
