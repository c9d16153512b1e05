#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/navigationtree.h"
#include "core/appstate.h"

namespace {

class NavigationTreeTest : public DataFolderTest
{
protected:
    // PRODUCT > MODULE > BOARD (shared: also used by KIT), KIT top-level too;
    // LOOP-A and LOOP-B contain each other below SPARES.
    void bills()
    {
        AddPart("BOARD", "Board", "Circuit Board Assembly");
        AddPart("R1", "Resistor", "Component");
        AddPart("R1", "Resistor entered twice", "Component");
        AddPart("W1", "Wire", "Cable");
        AddLine("PRODUCT", 1, "MODULE", "2");
        AddLine("PRODUCT", 2, "W1", "1");
        AddLine("MODULE", 1, "BOARD", "1");
        AddLine("MODULE", 2, "BOARD", "1");
        AddLine("BOARD", 1, "R1", "4");
        AddLine("BOARD", 2, "C9", "1");
        AddLine("KIT", 1, "BOARD", "1");
        AddLine("SPARES", 1, "LOOP-A", "1");
        AddLine("LOOP-A", 1, "LOOP-B", "1");
        AddLine("LOOP-B", 1, "LOOP-A", "1");
    }
};

} // namespace

TEST_F(NavigationTreeTest, IndexLinksPathsAndCyclesComeFromOneRead)
{
    bills();
    AssemblyGraph graph;
    ASSERT_TRUE(graph.load());
    EXPECT_EQ(graph.topLevel(), (QStringList{"PRODUCT", "KIT", "SPARES"}));
    EXPECT_EQ(App().assemblyNames.size(), 7); // the application's index is rebuilt with it
    EXPECT_EQ(graph.subAssemblies("MODULE"), (QStringList{"BOARD", "BOARD"}));
    EXPECT_TRUE(graph.subAssemblies("BOARD").isEmpty());
    // The shortest way down from a top-level assembly.
    EXPECT_EQ(graph.pathTo("BOARD"), (QStringList{"KIT", "BOARD"}));
    EXPECT_EQ(graph.pathTo("LOOP-B"), (QStringList{"SPARES", "LOOP-A", "LOOP-B"}));
    EXPECT_TRUE(graph.pathTo("R1").isEmpty());
    CycleReport cycles;
    graph.findCycles(cycles);
    EXPECT_EQ(cycles.messages(), QStringList{"Assembly contains itself: SPARES > LOOP-A > LOOP-B > LOOP-A"});
}

TEST_F(NavigationTreeTest, BranchesListTheirLinesOnceWithTheirImagesAndNumbers)
{
    bills();
    AssemblyGraph graph;
    ASSERT_TRUE(graph.load());
    const std::vector<BomTreeItem> top = TopLevelItems(graph);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_TRUE(top[0].expandable);
    EXPECT_TRUE(top[0].children.empty());

    const auto branches = AssemblyBranches({"PRODUCT", "BOARD"}, graph, false);
    const std::vector<BomTreeItem>& product = branches.value("PRODUCT");
    ASSERT_EQ(product.size(), 2u);
    EXPECT_EQ(product[0].part, "MODULE");
    EXPECT_TRUE(product[0].expandable);
    EXPECT_EQ(product[0].image, kTreeImageSubAssembly);
    EXPECT_EQ(product[1].image, kTreeImageWire);
    EXPECT_FALSE(product[1].expandable);
    const std::vector<BomTreeItem>& board = branches.value("BOARD");
    ASSERT_EQ(board.size(), 2u) << "a part entered twice is still one line";
    EXPECT_EQ(board[0].image, kTreeImageComponent);
    EXPECT_EQ(board[1].image, kTreeImageOther); // not in the part table
    const qint64 boardBase = static_cast<qint64>(graph.lookup().indexOf("BOARD")) * 256;
    EXPECT_EQ(board[1].data, boardBase + 1);

    // Only the sub-assemblies, without a read, for the trees of assemblies alone.
    const auto module = AssemblyBranches({"MODULE"}, graph, true).value("MODULE");
    ASSERT_EQ(module.size(), 2u);
    EXPECT_EQ(module[1].text, "BOARD");

    ASSERT_TRUE(Execute("Insert into RescList (Assy,Step,Description) values ('MODULE','20','Test')"));
    const auto routing = RoutingBranches({"MODULE"}, graph).value("MODULE");
    ASSERT_EQ(routing.size(), 3u);
    EXPECT_TRUE(routing[2].isStep);
    EXPECT_EQ(routing[2].text, "[20]Test");
}

TEST_F(NavigationTreeTest, SearchFindsAssembliesPartsAndTheNextMatch)
{
    bills();
    AssemblyGraph graph;
    ASSERT_TRUE(graph.load());
    EXPECT_EQ(FindTreeAssembly(graph, "board"), "BOARD");
    EXPECT_EQ(FindTreeAssembly(graph, "r1"), "BOARD") << "the bill that holds the part";
    EXPECT_EQ(FindTreeAssembly(graph, "W1"), "PRODUCT");
    // A piece of a name: each search goes on after the last one found, and
    // wraps around.
    const QString first = FindTreeAssembly(graph, "loop");
    const QString second = FindTreeAssembly(graph, "loop", first);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith("LOOP-") && second.startsWith("LOOP-"));
    EXPECT_EQ(FindTreeAssembly(graph, "loop", second), first);
    EXPECT_TRUE(FindTreeAssembly(graph, "nothing like it").isEmpty());
    EXPECT_TRUE(FindTreeAssembly(graph, "  ").isEmpty());
}
