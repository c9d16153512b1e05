#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/bomreport.h"
#include "bom/explosion.h"
#include "bom/treelayout.h"
#include "core/appstate.h"
#include "schedule/taskbuilder.h"

#include <QSet>

namespace {

class OneBillTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        DataFolderTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // TOP uses SUB twice (directly and through MID); OTHER is a second
        // product that shares SUB; LOOP contains itself through BACK.
        AddLine("TOP", 1, "MID", "2");
        AddLine("TOP", 2, "R1", "3");
        AddLine("TOP", 3, "SUB", "1");
        AddLine("MID", 1, "SUB", "4");
        AddLine("MID", 2, "R1", "1");
        AddLine("SUB", 1, "C1", "5");
        AddLine("SUB", 2, "R1", "2");
        AddLine("OTHER", 1, "SUB", "1");
        AddLine("OTHER", 2, "X9", "7");
        AddLine("LOOP", 1, "BACK", "1");
        AddLine("BACK", 1, "LOOP", "1");
        AddLine("BACK", 2, "C1", "1");
        // A line of TOP added last: the order of the whole table is kept.
        AddLine("TOP", 4, "C1", "1");
    }

    static QStringList column(const QueryResult& rows, const QString& key)
    {
        QStringList out;
        const int c = FindColumn(rows, key);
        for (int r = 0; r < rows.rowCount; ++r)
            out << rows.cell(r, c);
        return out;
    }

    // The rows of the whole bill that belong to the given assemblies, in table order.
    static QStringList wholeBillPartsOf(const QSet<QString>& assemblies)
    {
        const QueryResult all = LoadBomRows();
        QStringList out;
        for (int r = 0; r < all.rowCount; ++r)
            if (assemblies.contains(all.cell(r, FindColumn(all, "Assy"))))
                out << all.cell(r, FindColumn(all, "Part"));
        return out;
    }
};

QString flatText(const FlatList& list)
{
    QStringList out;
    for (const FlatItem& item : list)
        out << item.part + "=" + QString::number(item.quantity);
    return out.join(' ');
}

} // namespace

TEST_F(OneBillTest, OneAssemblysBillHoldsItsLinesAndEveryBillBelowItInTableOrder)
{
    const QueryResult top = LoadBomRows("TOP");
    const QStringList names = column(top, "Assy");
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), (QSet<QString>{"TOP", "MID", "SUB"}));
    // Each bill once, though SUB is used twice, and its rows as the whole table has them.
    EXPECT_EQ(top.rowCount, 8);
    EXPECT_EQ(column(top, "Part"), wholeBillPartsOf({"TOP", "MID", "SUB"}));
    // The same columns as the whole bill, so the walks find what they look for.
    EXPECT_EQ(top.columnCount, LoadBomRows().columnCount);

    EXPECT_EQ(LoadBomRows("SUB").rowCount, 2);
    EXPECT_EQ(LoadBomRows("R1").rowCount, 0);    // a purchased part has no bill
    EXPECT_EQ(LoadBomRows("O'NEIL").rowCount, 0); // quoted, not broken
    // A bill that contains itself ends, with both of its assemblies.
    EXPECT_EQ(column(LoadBomRows("LOOP"), "Assy"), (QStringList{"LOOP", "BACK", "BACK"}));
    EXPECT_EQ(FindAssemblyCycle(LoadBomRows("LOOP"), "LOOP"), (QStringList{"LOOP", "BACK", "LOOP"}));
}

TEST_F(OneBillTest, ExplosionOfOneBillEqualsTheExplosionOverTheWholeTable)
{
    for (const QString assembly : {"TOP", "MID", "OTHER"}) {
        FlatList whole;
        ExplodeAssembly(LoadBomRows(), 3, assembly, whole);
        FlatList one;
        ExplodeAssembly(LoadBomRows(assembly), 3, assembly, one);
        EXPECT_EQ(flatText(one), flatText(whole)) << assembly.toStdString();
    }
    FlatList list;
    ExplodeAssembly(LoadBomRows("TOP"), 1, "TOP", list);
    // Sub-assemblies without a part record count as bought and are listed too.
    // C1: 2 x 4 x 5 + 5 + 1; R1: 3 + 2 x 1 + 2 x 4 x 2 + 1 x 2; in order of first use.
    EXPECT_EQ(flatText(list), "MID=2 SUB=9 C1=46 R1=23");
}

TEST_F(OneBillTest, FlatListIndexMergesIntoTheFirstEntryOfAPart)
{
    FlatList list(2);
    list[0].part = "A";
    list[0].quantity = 1;
    list[1].part = "A"; // a second entry of the same part is left alone
    FlatListIndex index(list);
    FlatItem line;
    line.part = "A";
    line.quantity = 2;
    line.distributor = "NEW";
    index.add(line, 3);
    line.part = "B";
    index.add(line, 1);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_DOUBLE_EQ(list[0].quantity, 7);
    EXPECT_EQ(list[0].distributor, "NEW");
    EXPECT_DOUBLE_EQ(list[1].quantity, 0);
    EXPECT_EQ(list[2].part, "B");
    // The one-off merge agrees.
    AddFlatItem(list, line, 1);
    EXPECT_DOUBLE_EQ(list[2].quantity, 4);
}

TEST_F(OneBillTest, ReportAndChartNeedNoIndexOfEveryAssembly)
{
    // Nothing has loaded the application's index of assemblies: one
    // assembly's report and chart learn what is an assembly from its bill.
    App().assemblyNames.clear();
    App().assemblyLabels.clear();
    BomReport report;
    ReportColumnChoice all;
    all.fill(true);
    ASSERT_TRUE(report.produce("TOP", kFlatBom, all));
    QStringList flat;
    for (const ReportLine& line : report.lines)
        flat << line.part + "=" + QString::number(line.number);
    EXPECT_EQ(flat, (QStringList{"C1=46", "R1=23"}));
    EXPECT_EQ(report.result.rowCount, 8); // OTHER, LOOP and BACK were not read

    ASSERT_TRUE(report.produce("LOOP", kIndentedBom, all));
    EXPECT_TRUE(ui.saw("Assembly contains itself: LOOP > BACK > LOOP"));

    TreeLayout layout;
    layout.selectedAssembly = "TOP";
    ASSERT_TRUE(layout.build());
    EXPECT_EQ(layout.result.rowCount, 8);
    // TOP, then MID and SUB (used by TOP), then SUB once more below MID.
    QStringList boxes;
    for (const AssemblyNode& node : layout.nodes)
        boxes << node.name;
    EXPECT_EQ(boxes, (QStringList{"TOP", "MID", "SUB", "SUB"}));
    EXPECT_EQ(layout.nodes[0].lineCount, 4);
}

TEST_F(OneBillTest, TasksComeFromTheStepsOfTheBillsAssembliesOnly)
{
    App().CurrentUser = "ANN";
    for (const auto& [assy, step] : std::initializer_list<std::pair<const char*, int>>{
             {"SUB", 10}, {"OTHER", 10}, {"TOP", 10}, {"SUB", 20}, {"MID", 10}, {"TOP", 20}})
        ASSERT_TRUE(Execute(QString("Insert into RescList (Assy,Step,Hours) values ('%1',%2,'1')").arg(assy).arg(step)));
    Transaction tx;
    EXPECT_EQ(BuildTasks("REQ0001", "TOP", 2), 5);
    ASSERT_TRUE(tx.commit());
    // Deepest first, each assembly's steps in table order; OTHER's never.
    EXPECT_EQ(sqlite("select group_concat(Task_nBr||':'||Assy||'/'||Step, ' ') from "
                     "(select * from TaskList order by Task_nBr) as t"),
              "0:SUB/10 1:SUB/20 2:MID/10 3:TOP/10 4:TOP/20");
    // A sub-assembly reached twice keeps the quantity of its first path.
    std::vector<AssemblyEntry> list;
    CollectAssemblies(LoadBomRows("TOP"), 2, 0, "TOP", list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].assembly, "MID");
    EXPECT_EQ(list[2].assembly, "SUB");
    EXPECT_DOUBLE_EQ(list[2].quantity, 16);
    EXPECT_EQ(list[2].level, 2);
}

TEST_F(DataFolderTest, AnOlderFileGetsTheBillIndexesWhenFirstOpened)
{
    ASSERT_TRUE(Execute("Insert into AssyList (Assy,Part_nBr,Quan) values ('A','B','1')"));
    ReleaseDatabase();
    sqlite("drop index AssyList_Assy; drop index RescList_Assy");
    ASSERT_EQ(indexNames().toLower(), "partlist_part_nbr");
    // The next statement opens the file again; its answer is its own.
    EXPECT_EQ(QueryText("Select Part_nBr from AssyList", false), "B");
    EXPECT_EQ(LastResultCode(), 0);
    EXPECT_EQ(indexNames().toLower(), "assylist_assy,partlist_part_nbr,resclist_assy");
}
