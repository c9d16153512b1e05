#include "gridfixture.h"

#include <QSignalSpy>

TEST_F(GridTest, LoadStatementsAndSorting)
{
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("O'NEIL");
    // Table 0 orders by Item unless told otherwise; the assembly is quoted safely.
    EXPECT_EQ(grid.BuildStatement(AssyList), "Select * from AssyList where Assy='O''NEIL' order by Item");
    grid.sortColumn.clear();
    EXPECT_EQ(grid.BuildStatement(RescList), "Select * from RescList where Assy='O''NEIL' order by Step");
    grid.sortColumn.clear();
    EXPECT_EQ(grid.BuildStatement(PartList), "Select * from PartList");
    EXPECT_EQ(grid.BuildStatement(TaskList), "");
    EXPECT_EQ(CGridModel::Title(RescList), "Assembly Steps Table");

    exec("insert into PartList (Part_nBr,Description) values ('B','two'),('A','one'),('C','three')");
    grid.Load(PartList);
    const int part = listColumn(grid, "Part #");
    const int description = listColumn(grid, "Description");
    grid.SortByListColumn(part); // a new column sorts descending first
    EXPECT_EQ(grid.sortColumn, "Part_nBr");
    EXPECT_EQ(grid.cellText(0, part), "C");
    grid.SortByListColumn(part); // then toggles
    EXPECT_EQ(grid.cellText(0, part), "A");
    grid.SortByListColumn(description);
    EXPECT_EQ(grid.cellText(0, description), "two");
    EXPECT_TRUE(grid.sortDescending);
    // A sort column the next table lacks is dropped rather than failing the load.
    grid.Load(VendList);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GridTest, ColumnsFollowDefinitionAndLayout)
{
    // The table has a column the definition lacks, and lacks one it has.
    exec("alter table PartList add column Extra text");
    exec("insert into PartList (Part_nBr,Extra) values ('R1','x')");
    define(VendList, {"Vendor,0,EDIT,text", "Err,99,READ,text"});
    exec("insert into VendList (Vendor) values ('ACME')");
    TableDefinition& vend = App().tables[VendList];
    vend.headings[vend.fieldCount] = QStringLiteral("Phone");
    vend.attributes[vend.fieldCount] = QStringLiteral("EDIT");
    ++vend.fieldCount;

    TableColumnLayout& layout = App().ColumnLayout[PartList];
    layout[3].width = 0;    // Description
    layout[2].width = 1500; // Internal #
    layout[1].width = 120;  // Part #
    layout[5].shown = 0;    // Manufacturer hidden
    layout[18].shown = 1;   // Notes is "Blank": never shown
    layout[19].shown = 0;   // Err: always shown
    layout[0].position = 2; // someone dragged another column first
    layout[1].position = 0;
    layout[2].position = 1;

    CGridModel grid;
    grid.Load(PartList);
    EXPECT_EQ(grid.columnCount(), App().tables[PartList].fieldCount + 1);
    EXPECT_EQ(grid.heading(0), "id");
    EXPECT_EQ(listColumn(grid, "Extra"), -1);
    EXPECT_EQ(listColumn(grid, "Manufacturer"), -1);
    EXPECT_EQ(listColumn(grid, "Notes"), -1);
    const int err = listColumn(grid, "Err");
    ASSERT_GE(err, 0);
    EXPECT_EQ(grid.listHeading(err), "");
    EXPECT_EQ(grid.listWidths()[err], 70);
    EXPECT_EQ(grid.listWidths()[listColumn(grid, "Part #")], 120);
    EXPECT_EQ(grid.listWidths()[listColumn(grid, "Internal #")], 100); // 50, raised to its heading
    EXPECT_EQ(grid.listWidths()[listColumn(grid, "Description")], 110);
    EXPECT_EQ(grid.listWidths()[listColumn(grid, "Make")], 50);
    EXPECT_EQ(grid.displayOrder()[0], 0);
    EXPECT_EQ(grid.displayOrder()[1], 2);
    EXPECT_EQ(grid.displayOrder()[2], 1);
    EXPECT_EQ(grid.cellText(0, 0), "R1");
    EXPECT_EQ(grid.rowId(0), "1"); // the id stays in result column 0

    grid.Load(VendList);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.cellText(0, listColumn(grid, "Vendor")), "ACME");
    EXPECT_EQ(grid.cellText(0, listColumn(grid, "Phone")), "");

    // Widths handed back by the window land in ColumnLayout by result column.
    std::vector<int> widths(grid.listColumnCount(), 77);
    grid.SaveLayout(widths, {0, 2, 1});
    EXPECT_EQ(App().ColumnLayout[VendList][1].width, 77);
    EXPECT_EQ(App().ColumnLayout[VendList][1].position, 2);
}

TEST_F(GridTest, SearchTextSelectLastAndNotifications)
{
    exec("insert into PartList (Part_nBr,Internal_nBr) values ('A','int-1'),('B','INT-2'),('C','x')");
    CGridModel grid;
    QSignalSpy commands(&grid, &CGridModel::parentCommand);
    grid.searchText = QStringLiteral("int-2"); // result column 2, any letter case
    grid.Load(PartList);
    EXPECT_EQ(grid.rowsToSelect(), QList<int>{1});
    EXPECT_EQ(grid.rowToShow(), 1);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toInt(), kCmdGridLoaded);

    grid.searchText.clear();
    grid.selectLast = true;
    grid.Load(PartList);
    EXPECT_EQ(grid.rowToShow(), 2);
    EXPECT_FALSE(grid.selectLast);
    grid.Load(TaskList); // no statement: no rows
    EXPECT_EQ(grid.rowCount(), 0);
}

TEST_F(GridTest, EditorItemsOfEveryKind)
{
    exec("insert into PartList (Part_nBr,Category,Make) values ('A','Resistor',''),('B','res',''),"
         "('C','Inductor','1'),('D','inductor','x')");
    exec("insert into LabrList (Resource) values ('WELD'),('PAINT')");
    CGridModel grid;
    grid.Load(PartList);
    const int category = listColumn(grid, "Category");
    EXPECT_EQ(grid.editorKind(category), EditorKind::List);
    // "res" begins "Resistor", "inductor" is covered by "Inductor"; sorted.
    EXPECT_EQ(grid.EditorItems(category, 0), QStringList({"Capacitor", "Inductor", "Resistor"}));
    const int make = listColumn(grid, "Make");
    int preselect = -1;
    EXPECT_EQ(grid.EditorItems(make, 2, &preselect), QStringList({"Buy", "Make"}));
    EXPECT_EQ(preselect, 1);
    grid.EditorItems(make, 3, &preselect);
    EXPECT_EQ(preselect, 0);
    EXPECT_EQ(grid.editorKind(listColumn(grid, "Picture")), EditorKind::Picture);
    EXPECT_TRUE(grid.isReadOnly(listColumn(grid, "On Order")));

    grid.currentAssembly = QStringLiteral("TOP");
    exec("insert into RescList (Assy,Step,Resource) values ('TOP','10','PAINT')");
    grid.sortColumn.clear();
    grid.Load(RescList);
    const int resource = listColumn(grid, "Resource");
    EXPECT_EQ(grid.editorKind(resource), EditorKind::Dbst);
    EXPECT_EQ(grid.EditorItems(resource, 0, &preselect), QStringList({"PAINT", "WELD"}));
    EXPECT_EQ(preselect, 0);
}
