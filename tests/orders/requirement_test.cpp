#include "orders/ordersfixture.h"

#include "core/format.h"
#include "db/database.h"
#include "db/parameters.h"
#include "orders/requirement.h"
#include "schedule/taskbuilder.h"

namespace {

const FlatItem* find(const FlatList& list, const QString& part)
{
    for (const FlatItem& item : list)
        if (item.part == part)
            return &item;
    return nullptr;
}

} // namespace

class ProcessTest : public OrdersTest
{
protected:
    QString itemList(const QString& po) const
    {
        return sqlite("select replace(replace(Item_List,char(10),'|'),char(13),'#') from PurcList where PO_nBr='" + po
                      + "'");
    }
};

TEST_F(OrdersTest, ExplosionSumsPathsSkipsMadePartsAndOrdersPurchasedSubAssemblies)
{
    // TOP: 2 x SUB, 1 x P1, 1 x KIT (purchased sub-assembly), 1 x MADE (made in-house)
    // SUB: 3 x P1;  KIT: 4 x P2;  MADE: 5 x P3
    addPart("P1");
    addPart("P2");
    addPart("P3");
    addPart("SUB", 0, 0, {}, {}, 1, 0, "Make");
    addPart("KIT");
    addPart("MADE", 0, 0, {}, {}, 1, 0, "m");
    addBom("TOP", "SUB", 2);
    addBom("TOP", "P1", 1);
    addBom("TOP", "KIT", 1);
    addBom("TOP", "MADE", 1);
    addBom("SUB", "P1", 3);
    addBom("KIT", "P2", 4);
    addBom("MADE", "P3", 5);
    const QueryResult bom = LoadBomRows();
    EXPECT_TRUE(IsAssembly(bom, "SUB"));
    EXPECT_FALSE(IsAssembly(bom, "P1"));
    FlatList list;
    ExplodeAssembly(bom, 10, "TOP", list);
    ASSERT_NE(find(list, "P1"), nullptr);
    EXPECT_DOUBLE_EQ(find(list, "P1")->quantity, 10 * (2 * 3 + 1));
    ASSERT_NE(find(list, "KIT"), nullptr);
    EXPECT_DOUBLE_EQ(find(list, "KIT")->quantity, 10);
    EXPECT_DOUBLE_EQ(find(list, "P2")->quantity, 40);
    EXPECT_DOUBLE_EQ(find(list, "P3")->quantity, 50);
    EXPECT_EQ(find(list, "SUB"), nullptr);
    EXPECT_EQ(find(list, "MADE"), nullptr);
    EXPECT_EQ(find(list, "TOP"), nullptr);
    // First appearance order: P1 was met inside SUB first.
    EXPECT_EQ(list.front().part, "P1");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OrdersTest, ManyDistinctPartsAreAllNettedAndOrdered)
{
    for (int i = 0; i < 230; ++i) {
        const QString part = Format("P%03i", {i});
        addPart(part, 0, 0, "DIST");
        addBom("BIG", part, 1, i);
    }
    addRequirement("REQ0001", "BIG", 1);
    const ProcessOutcome outcome = ProcessRequirement("REQ0001", 1, "BIG");
    ASSERT_TRUE(outcome.done);
    EXPECT_EQ(outcome.flatList.size(), 230u);
    EXPECT_EQ(sqlite("select count(*) from AlloList"), "230");
    EXPECT_EQ(partValue("P229", "Allocated"), "1.0");
    EXPECT_EQ(sqlite("select count(*) from PurcList"), "1");
}

TEST_F(OrdersTest, NettingAllocatesTheWholeNeedAndOrdersTheShortfall)
{
    addPart("SHORT", 4, 1, "DIST");
    addPart("PLENTY", 20, 0, "DIST");
    addPart("NEGATIVE", 0, 5, "DIST");
    addBom("A", "SHORT", 10);
    addBom("A", "PLENTY", 5);
    addBom("A", "NEGATIVE", 2);
    addRequirement("REQ0001", "A", 1);
    const ProcessOutcome outcome = ProcessRequirement("REQ0001", 1, "A");
    ASSERT_TRUE(outcome.done);
    EXPECT_EQ(partValue("SHORT", "Allocated"), "11.0");
    EXPECT_EQ(partValue("SHORT", "On_Order"), "7.0");
    EXPECT_EQ(partValue("PLENTY", "Allocated"), "5.0");
    EXPECT_EQ(partValue("PLENTY", "On_Order"), "0.0");
    // Negative availability never orders more than the need.
    EXPECT_EQ(partValue("NEGATIVE", "On_Order"), "2.0");
    // One row per ordered part with its order, one per part taken from stock
    // with an empty PO_nBr: together the whole need.
    EXPECT_EQ(realText("select Part_nBr||'='||Quan||'/'||PO_nBr from AlloList order by Part_nBr, PO_nBr"),
              "NEGATIVE=2.0/P0001\nPLENTY=5.0/\nSHORT=3.0/\nSHORT=7.0/P0001");
}

TEST_F(ProcessTest, PurchaseOrdersGroupByDistributorThenManufacturerAndNumberOn)
{
    addPart("D1", 0, 0, "XY", "MAKERA", 2.5);
    addPart("D2", 0, 0, "XY", "MAKERB", 1);
    addPart("M1", 0, 0, {}, "XY", 3);
    addPart("ONECHAR", 0, 0, "Y", "XY", 1); // a one-character distributor counts as none
    addPart("LOSSY", 0, 0, "ZZ", {}, 2, 10);
    addPart("INSTOCK", 50, 0, "WW");        // WW nets to nothing: no order, no number
    addVendor("XY", "1 Main St", "Springfield");
    addBom("A", "D1", 1);
    addBom("A", "D2", 1);
    addBom("A", "M1", 1);
    addBom("A", "ONECHAR", 1);
    addBom("A", "LOSSY", 7);
    addBom("A", "INSTOCK", 1);
    addRequirement("REQ0012", "A", 1);
    SetParam(ParamLastPurchaseOrder, "65");
    SetParam(ParamShippingAddress, "Dock 4/Springfield");

    const ProcessOutcome outcome = ProcessRequirement("REQ0012", 1, "A");
    ASSERT_TRUE(outcome.done);
    EXPECT_EQ(outcome.batch.numbers, QStringList({"P0066", "P0067", "P0068"}));
    EXPECT_TRUE(ui.saw("3 Purchase Orders Created under REQ0012"));
    EXPECT_EQ(GetParam(ParamLastPurchaseOrder), "68");
    EXPECT_EQ(sqlite("select PO_nBr||' '||Vendor||' '||Status||' '||Order_nBr from PurcList order by PO_nBr"),
              "P0066 XY Pending REQ0012\nP0067 XY Pending REQ0012\nP0068 ZZ Pending REQ0012");
    EXPECT_EQ(sqlite("select Vendor_Address||'|'||Contact_Phone||'|'||Contact_FAX||'|'||Shipping_Address||'|'||Currency "
                     "from PurcList where PO_nBr='P0066'"),
              "1 Main St/Springfield,IL 12345 USA|555-1|555-2|Dock 4/Springfield|USD");
    EXPECT_EQ(itemList("P0066"), "1|1|D1|Desc of D1|2.50|2.50|Pending|#2|1|D2|Desc of D2|1.00|1.00|Pending|#");
    // Manufacturer X: M1 and ONECHAR, whose distributor is too short to count.
    EXPECT_EQ(sqlite("select group_concat(Part_nBr) from AlloList where PO_nBr='P0067'"), "M1,ONECHAR");
    // Loss 10 %: 7 ordered becomes 8 on the order line, 7.7 x price in its total; the allocation keeps 7.
    EXPECT_EQ(itemList("P0068"), "1|8|LOSSY|Desc of LOSSY|2.00|15.40|Pending|#");
    EXPECT_EQ(realText("select Quan from AlloList where Part_nBr='LOSSY'"), "7.0");
    EXPECT_EQ(sqlite("select Status from ReqmList"), "PO Gen");
}

TEST_F(OrdersTest, ProcessRefusesZeroQuantityCyclesAndASecondRun)
{
    addPart("P1", 0, 0, "X");
    addBom("A", "B", 1);
    addBom("B", "C", 1);
    addBom("C", "A", 2);
    addBom("C", "P1", 2);
    addBom("GOOD", "P1", 1);
    addRequirement("REQ0001", "A", 1);
    addRequirement("REQ0002", "GOOD", 1);
    const QString before = dump();

    EXPECT_FALSE(ProcessRequirement("REQ0001", 0, "A").done);
    EXPECT_TRUE(ui.saw("No Quantity Entered"));
    EXPECT_FALSE(ProcessRequirement("REQ0001", 1, "A").done);
    EXPECT_TRUE(ui.saw("Assembly contains itself: A > B > C > A"));
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(dump(), before);

    ASSERT_TRUE(ProcessRequirement("REQ0002", 1, "GOOD").done);
    const QString processed = dump();
    ui.clear();
    EXPECT_FALSE(ProcessRequirement("REQ0002", 1, "GOOD").done);
    EXPECT_TRUE(ui.saw("has been processed already"));
    EXPECT_EQ(dump(), processed);
}

TEST_F(OrdersTest, ProcessRefusesABillNamingAPartDeletedMeanwhile)
{
    addPart("P1", 0, 0, "X");
    addPart("P2", 0, 0, "Y");
    addPart("SUB", 0, 0, {}, {}, 1, 0, "Make");
    addBom("A", "P1", 1);
    addBom("A", "SUB", 1, 2);
    addBom("SUB", "P2", 2);
    addRequirement("REQ0001", "A", 5);
    // Another desk deletes a part deep in the bill after it was entered.
    ASSERT_TRUE(Execute("delete from PartList where Part_nBr = 'P2'"));
    const QString before = dump();

    EXPECT_FALSE(ProcessRequirement("REQ0001", 5, "A").done);
    EXPECT_TRUE(ui.saw("The bill names parts that no longer exist: P2")) << ui.messages.back().text.toStdString();
    EXPECT_EQ(sqlite("select count(*) from PurcList"), "0");
    EXPECT_EQ(dump(), before);

    // Put back, the bill processes; a sub-assembly without a record of its
    // own is exploded, never bought, and stays allowed.
    addPart("P2", 0, 0, "Y");
    ASSERT_TRUE(Execute("delete from PartList where Part_nBr = 'SUB'"));
    ui.clear();
    ASSERT_TRUE(ProcessRequirement("REQ0001", 5, "A").done);
    EXPECT_EQ(sqlite("select count(*) from PurcList where Vendor is null or Vendor = ''"), "0");
}

TEST_F(OrdersTest, AFailedStatementInTheMiddleOfProcessLeavesTheFileAsItWas)
{
    addPart("P1", 0, 0, "X");
    addPart("P2", 0, 0, "Y");
    addBom("A", "P1", 1);
    addBom("A", "P2", 1);
    addStep("A", "10", 2);
    addRequirement("REQ0001", "A", 3);
    SetParam(ParamLastPurchaseOrder, "65");
    const QString before = dump();
    // The status and bill reads come first; the stock figures, allocations,
    // orders and tasks are a statement each, so a few more reach every write.
    for (int n : {4, 6, 8, 10, 12}) {
        ui.clear();
        InjectStatementFailure(n);
        EXPECT_FALSE(ProcessRequirement("REQ0001", 3, "A").done) << n;
        InjectStatementFailure(0);
        EXPECT_TRUE(ui.saw("Nothing was written")) << n;
        EXPECT_EQ(dump(), before) << n;
    }
    ASSERT_TRUE(ProcessRequirement("REQ0001", 3, "A").done);
    EXPECT_EQ(sqlite("select count(*) from TaskList"), "1");
}

TEST_F(OrdersTest, TasksFollowTheAssembliesDeepestFirst)
{
    addBom("A", "B", 2);
    addBom("A", "P1", 1);
    addBom("B", "P2", 1);
    addBom("OTHER", "P1", 1);
    addStep("A", "10", 1);
    addStep("B", "10", 1);
    addStep("A", "20", 1);
    addStep("B", "20", 1);
    addStep("OTHER", "10", 1);
    const QueryResult rows =
        Query("Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr,AssyList.Quan from AssyList");
    std::vector<AssemblyEntry> list;
    CollectAssemblies(rows, 3, 0, "A", list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].assembly, "B");
    EXPECT_DOUBLE_EQ(list[1].quantity, 6);
    EXPECT_EQ(list[1].level, 1);

    {
        Transaction transaction;
        EXPECT_EQ(BuildTasks("REQ0001", "A", 3), 4);
        ASSERT_TRUE(transaction.commit());
    }
    EXPECT_EQ(sqlite("select Task_nBr||' '||Assy||' '||Step||' '||Status||' '||Count||' '||Actual from TaskList "
                     "order by Task_nBr"),
              "0 B 10 Pending 6 0\n1 B 20 Pending 6 0\n2 A 10 Pending 3 0\n3 A 20 Pending 3 0"); // the units each builds

    // Routing counts are whole units: 2.5 gives 2 for the top, 2 x 2 for B.
    const std::vector<RoutingEntry> routing = BuildRoutingList(rows, "A", 2.5);
    ASSERT_EQ(routing.size(), 2u);
    EXPECT_EQ(routing[0].count, 2);
    EXPECT_EQ(routing[1].count, 4);
    EXPECT_EQ(routing[1].depth, 1);
}

TEST_F(OrdersTest, StageFollowsTheStatusText)
{
    EXPECT_EQ(OrderStage("Created"), 0);
    EXPECT_EQ(OrderStage("PO Gen"), 1);
    EXPECT_EQ(OrderStage("Build"), 2);
    EXPECT_EQ(OrderStage("Complete"), 3);
    EXPECT_EQ(OrderStage("Closed"), 3);
    EXPECT_EQ(OrderStage("Canceled"), 3);
    addRequirement("REQ0007", "A'S \"BEST\"", 4);
    SetParam(ParamLastRequirement, "7");
    RequirementRecord record = LoadRequirement({});
    EXPECT_EQ(record.orderNumber, "REQ0007");
    EXPECT_EQ(record.assembly, "A'S \"BEST\"");
    record.description = "O'Brien's order";
    EXPECT_TRUE(SaveRequirement(record));
    EXPECT_EQ(sqlite("select Description||'|'||User from ReqmList"), "O'Brien's order|tester");
}
