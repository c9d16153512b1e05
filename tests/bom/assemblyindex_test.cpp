#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/assemblyindex.h"
#include "bom/bomtree.h"
#include "core/appstate.h"

namespace {

class AssemblyIndexTest : public DataFolderTest
{
protected:
    QueryResult load()
    {
        const QueryResult rows = Query(QString::fromUtf8(kAssemblyViewQuery));
        RebuildAssemblyIndex(rows);
        return rows;
    }
};

} // namespace

TEST_F(AssemblyIndexTest, NamesInFirstOccurrenceOrderWithSubAssemblyLabels)
{
    // Loaded by line number first, so TOP (item 1) comes before SUB (item 1, later row)
    // only when it was written first; ZED's first line is item 2.
    AddLine("TOP", 1, "SUB", "2");
    AddLine("SUB", 1, "C", "3");
    AddLine("ZED", 2, "C", "1");
    AddLine("TOP", 2, "R1", "1");
    AddLine("", 3, "X", "1");
    AddLine("top", 4, "C", "1"); // case matters
    load();
    EXPECT_EQ(App().assemblyNames, (QStringList{"TOP", "SUB", "ZED", "top"}));
    EXPECT_EQ(App().assemblyLabels, (QStringList{"1", "2.", "3", "4"}));

    const AssemblyLookup index;
    EXPECT_EQ(index.topLevel(), (QStringList{"TOP", "ZED", "top"}));
    EXPECT_EQ(index.indexOf("SUB"), 1);
    EXPECT_EQ(index.indexOf("C"), -1);
    EXPECT_EQ(BomColumn(Query(QString::fromUtf8(kAssemblyViewQuery)), "par"), 3);

    // The index is never capped: every one of 300 assemblies is listed.
    Transaction tx;
    for (int i = 0; i < 300; ++i)
        AddLine(Format("A%i", {i}), 9, "C", "1");
    ASSERT_TRUE(tx.commit());
    load();
    EXPECT_EQ(App().assemblyNames.size(), 304);
    EXPECT_EQ(App().assemblyLabels.last(), "304");
}

TEST_F(AssemblyIndexTest, TreeItemsListSubAssembliesUnderEachUse)
{
    AddPart("BRD", "Main board", "Circuit Board Assembly");
    AddPart("HAR", "Harness", "Cable harness");
    AddPart("R1", "Resistor", "Component");
    AddLine("TOP", 1, "SUB", "1");
    AddLine("TOP", 2, "SUB", "1");
    AddLine("TOP", 3, "BRD", "1");
    AddLine("SUB", 1, "HAR", "1");
    AddLine("SUB", 2, "NOPART", "1");
    AddLine("SUB", 3, "R1", "1");
    const QueryResult rows = load();

    CycleReport cycles;
    const auto controlItems = AssemblyTreeItems(rows, cycles);
    ASSERT_EQ(controlItems.size(), 1u); // SUB is used, so it is not a root
    EXPECT_EQ(controlItems[0].text, "TOP");
    ASSERT_EQ(controlItems[0].children.size(), 2u); // only the lines naming assemblies
    EXPECT_EQ(controlItems[0].children[1].text, "SUB");
    EXPECT_TRUE(controlItems[0].children[1].children.empty());

    const auto view = AssemblyViewItems(rows, cycles);
    ASSERT_EQ(view.size(), 1u);
    const BomTreeItem& top = view[0];
    EXPECT_EQ(top.image, kTreeImageAssembly);
    EXPECT_EQ(top.data, 0);
    ASSERT_EQ(top.children.size(), 3u);
    EXPECT_EQ(top.children[0].image, kTreeImageSubAssembly);
    EXPECT_EQ(top.children[2].image, kTreeImageBoard);
    EXPECT_EQ(top.children[2].data, 2);
    const BomTreeItem& sub = top.children[1];
    ASSERT_EQ(sub.children.size(), 3u);
    EXPECT_EQ(sub.children[0].image, kTreeImageWire);
    EXPECT_EQ(sub.children[1].image, kTreeImageOther);
    EXPECT_EQ(sub.children[2].image, kTreeImageComponent);
    EXPECT_EQ(sub.children[2].data, 1 * 256 + 2);
    EXPECT_TRUE(cycles.empty());
    EXPECT_EQ(TreeCategoryImage("shipping box PCB"), kTreeImagePackaging); // last test wins
}

TEST_F(AssemblyIndexTest, RoutingViewListsAssembliesAndSteps)
{
    AddLine("TOP", 1, "SUB", "1");
    AddLine("TOP", 2, "R1", "1");
    AddLine("SUB", 1, "R2", "1");
    ASSERT_TRUE(Execute("Insert into RescList (Assy,Step,Description) values ('SUB','10','Solder')"));
    ASSERT_TRUE(Execute("Insert into RescList (Assy,Step,Description) values ('TOP','20','Test ''final''')"));
    load();
    const QueryResult assemblies =
        Query("Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr from AssyList Order by AssyList.Assy,AssyList.Item");
    const QueryResult steps = Query("Select RescList.ID,RescList.Assy,RescList.Step,RescList.Description from RescList");
    CycleReport cycles;
    const auto items = RoutingViewItems(assemblies, steps, cycles);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_EQ(items[0].children.size(), 2u); // SUB and TOP's own step; R1 is not shown
    EXPECT_EQ(items[0].children[0].text, "SUB");
    EXPECT_EQ(items[0].children[1].text, "[20]Test 'final'");
    EXPECT_TRUE(items[0].children[1].isStep);
    ASSERT_EQ(items[0].children[0].children.size(), 1u);
    EXPECT_EQ(items[0].children[0].children[0].text, "[10]Solder");
    EXPECT_EQ(items[0].children[0].children[0].image, kTreeImageStep);
}

TEST_F(AssemblyIndexTest, BillThatContainsItselfStopsTheBranchWithOneMessage)
{
    AddLine("TOP", 1, "A", "1");
    AddLine("TOP", 2, "OTHER", "1");
    AddLine("A", 1, "B", "1");
    AddLine("B", 1, "A", "1");
    AddLine("B", 2, "C", "1");
    const QueryResult rows = load();
    CycleReport cycles;
    const auto items = AssemblyViewItems(rows, cycles);
    ASSERT_EQ(items.size(), 1u);
    const BomTreeItem& a = items[0].children[0];
    ASSERT_EQ(a.children.size(), 1u);
    const BomTreeItem& b = a.children[0];
    ASSERT_EQ(b.children.size(), 2u);
    EXPECT_EQ(b.children[0].text, "A");
    EXPECT_TRUE(b.children[0].children.empty());
    EXPECT_EQ(b.children[1].text, "C");
    EXPECT_EQ(items[0].children[1].text, "OTHER");
    ASSERT_EQ(cycles.messages().size(), 1);
    EXPECT_EQ(cycles.messages()[0], "Assembly contains itself: TOP > A > B > A");
    cycles.show();
    ASSERT_EQ(ui.messages.size(), 1u);

    // Filling a second time reports the same cycle once more, not twice.
    CycleReport again;
    AssemblyTreeItems(rows, again);
    EXPECT_EQ(again.messages().size(), 1);
}
