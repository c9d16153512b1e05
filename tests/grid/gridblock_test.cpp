// Work on many cells at once and on whole records: numeric sorting, pasting
// and filling blocks, clearing cells, deleting records and taking it back.
#include "gridfixture.h"

#include "grid/gridprint.h"

#include <QGuiApplication>
#include <QProcess>

namespace {

QStringList column(const CGridModel& grid, int listColumn)
{
    QStringList values;
    for (int r = 0; r < grid.rowCount(); ++r)
        values << grid.cellText(r, listColumn);
    return values;
}

} // namespace

TEST_F(GridTest, NumbersKeptAsTextSortAsNumbers)
{
    exec("insert into PartList (Part_nBr,Internal_nBr,Description) values "
         "('A','5','x'),('B','4000','y'),('C','20','z'),('D','','w'),('E','10','v'),('F','5','u')");
    CGridModel grid;
    grid.Load(PartList);
    const int internal = listColumn(grid, "Internal #");
    grid.SortByListColumn(internal); // descending first
    EXPECT_EQ(column(grid, internal), (QStringList{"4000", "20", "10", "5", "5", ""}));
    grid.SortByListColumn(internal);
    EXPECT_EQ(column(grid, internal), (QStringList{"", "5", "5", "10", "20", "4000"}));

    // One value that is no number keeps the column a text column.
    exec("update PartList set Internal_nBr='7A' where Part_nBr='D'");
    grid.Reload();
    EXPECT_EQ(column(grid, internal), (QStringList{"10", "20", "4000", "5", "5", "7A"}));
}

TEST_F(GridTest, DeletedRecordsComeBackWholeWithUndo)
{
    exec("insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values "
         "('TOP','1','R1','2','R1,R2'),('TOP','2','C1','1','C1'),('TOP','3','U1','1','U1')");
    const QString before = sqlite("select id,Assy,Item,Part_nBr,Quan,Ref_Des from AssyList order by id");
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    ASSERT_EQ(grid.rowCount(), 3);

    // The question's safe answer (and its default) is No: nothing goes.
    EXPECT_FALSE(grid.DeleteRecords({0, 2}));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().buttons, kButtonsYesNo);
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "3");

    ui.answers = {kAnswerYes};
    EXPECT_TRUE(grid.DeleteRecords({0, 2}));
    EXPECT_EQ(sqlite("select Part_nBr from AssyList"), "C1");
    EXPECT_TRUE(grid.Undo());
    EXPECT_EQ(sqlite("select id,Assy,Item,Part_nBr,Quan,Ref_Des from AssyList order by id"), before);
    EXPECT_EQ(grid.rowCount(), 3);
    // A record inserted after the undo does not take a restored one's id.
    exec("insert into AssyList (Assy,Item,Part_nBr) values ('TOP','4','L1')");
    EXPECT_EQ(sqlite("select count(distinct id) from AssyList"), "4");
}

TEST_F(GridTest, PastedBlocksAreCheckedCellByCellAndUndoneAsOne)
{
    exec("insert into AssyList (Assy,Item,Part_nBr,Quan) values "
         "('TOP','1','R1','1'),('TOP','2','R2','1'),('TOP','3','R3','1')");
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    const int part = listColumn(grid, "Part #");
    const int quantity = listColumn(grid, "Quan");
    const int designators = listColumn(grid, "Ref Des");

    // A spreadsheet's block: two rows of two cells, its last line ended.
    EXPECT_TRUE(grid.PasteBlock(0, {part, quantity, designators}, "c1\t4\nc2\t6\r\n"));
    EXPECT_EQ(sqlite("select Part_nBr,cast(Quan as integer) from AssyList order by Item"), "C1|4\nC2|6\nR3|1");
    EXPECT_TRUE(ui.saw("Part Added")); // once for the block, not once per part
    // One step takes the whole block back.
    EXPECT_TRUE(grid.Undo());
    EXPECT_EQ(sqlite("select Part_nBr,cast(Quan as integer) from AssyList order by Item"), "R1|1\nR2|1\nR3|1");

    // The first refusal stops the block and says where; what came before stays.
    ui.clear();
    EXPECT_FALSE(grid.PasteBlock(0, {part}, "X1\nTOP\nX3"));
    EXPECT_EQ(sqlite("select Part_nBr from AssyList order by Item"), "X1\nR2\nR3");
    QString refusal;
    for (const RecordedMessage& message : ui.messages)
        if (message.text.contains("same as the Assembly"))
            refusal = message.text;
    EXPECT_TRUE(refusal.contains("row 2")) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains("Part #")) << refusal.toStdString();
    EXPECT_TRUE(grid.Undo());
    EXPECT_EQ(sqlite("select Part_nBr from AssyList order by Item"), "R1\nR2\nR3");
}

TEST_F(GridTest, FillingAndClearingCellsKeepReadOnlyColumns)
{
    exec("insert into PartList (Part_nBr,Description,Category,User) values "
         "('A','first',NULL,'someone'),('B','second',NULL,'someone'),('C','third',NULL,'someone')");
    CGridModel grid;
    grid.Load(PartList);
    const int description = listColumn(grid, "Description");
    const int category = listColumn(grid, "Category");
    const int user = listColumn(grid, "User");

    // A fill down is a block of the first row's values.
    EXPECT_TRUE(grid.WriteCells({{1, description, "first"}, {2, description, "first"}}));
    EXPECT_EQ(sqlite("select group_concat(Description) from PartList"), "first,first,first");
    // A list cell takes only what its list offers.
    ui.clear();
    EXPECT_FALSE(grid.WriteCells({{0, category, "Resistor"}, {1, category, "Banana"}}));
    EXPECT_EQ(sqlite("select count(*) from PartList where Category='Resistor'"), "1");
    EXPECT_TRUE(ui.saw("not in the list"));
    // Clearing passes over the columns nobody types into.
    EXPECT_TRUE(grid.WriteCells({{0, description, ""}, {0, user, ""}, {0, category, ""}}, true));
    EXPECT_EQ(sqlite("select ifnull(Description,''),ifnull(Category,'') from PartList where Part_nBr='A'"), "|");
    EXPECT_EQ(sqlite("select User from PartList where Part_nBr='B'"), "tester");
    // Writing into one is refused when it is asked for, not skipped.
    EXPECT_FALSE(grid.WriteCells({{2, user, "me"}}));

    // Copying gives the cells as a spreadsheet reads them.
    EXPECT_EQ(grid.CopyBlock({1, 2}, {listColumn(grid, "Part #"), description}), "B\tfirst\nC\tfirst\n");
}

TEST_F(GridTest, WidePrintoutKeepsEveryShownColumn)
{
    static int argc = 1;
    static char name[] = "grid_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QGuiApplication(argc, argv);
    exec("insert into PartList (Part_nBr,Description,Manufacturer,Distributor,Notes) values "
         "('R-10K-0603','Resistor 10 kOhm 1% 0603 thick film, automotive grade AEC-Q200','YAGEO','DIGIKEY','x')");
    CGridModel grid;
    grid.Load(PartList);
    const GridPrintout printout = MakeGridPrintout(grid, grid.displayOrder());
    ASSERT_GE(printout.headings.size(), 15);
    const QString file = dir.path() + "/wide.pdf";
    ASSERT_TRUE(PrintGridToPdf(printout, file));

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {"-raw", file, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    // Words, as a narrowed heading may wrap between them.
    const QString page = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    for (const QString& heading : printout.headings)
        for (const QString& word : heading.split(' ', Qt::SkipEmptyParts))
            EXPECT_TRUE(page.contains(word)) << heading.toStdString();
    EXPECT_TRUE(page.contains("Page 1 of 1"));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString size = QString::fromUtf8(info.readAllStandardOutput()).section("Page size:", 1).section('\n', 0, 0);
    // Wider than tall: the sheet is turned.
    const double width = size.section(' ', 0, 0, QString::SectionSkipEmpty).toDouble();
    const double height = size.section(' ', 2, 2, QString::SectionSkipEmpty).toDouble();
    EXPECT_GT(width, height) << size.toStdString();
}
