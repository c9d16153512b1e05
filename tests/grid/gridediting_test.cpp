#include "gridfixture.h"

#include "core/format.h"
#include "core/itemlist.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/purchaseorders.h"

#include <QSignalSpy>

TEST_F(GridTest, UpdateCellSideEffects)
{
    App().CurrentCurrency = QStringLiteral("EUR");
    exec("insert into AssyList (Assy,Item,Part_nBr) values ('TOP','10','')");
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    const int part = listColumn(grid, "Part #");
    // Upper-cased, a quote stored as typed, the missing part added, stamped.
    EXPECT_TRUE(grid.CommitEdit(part, 0, QStringLiteral("o'ring-5"), {}));
    EXPECT_EQ(sqlite("select Part_nBr,User from AssyList"), "O'RING-5|tester");
    EXPECT_EQ(sqlite("select Description,Revision,Currency,User from PartList"),
              "O'RING-5 Description|A|EUR|tester");
    EXPECT_TRUE(ui.saw("Part Added"));
    EXPECT_FALSE(sqlite("select Time_Stamp from AssyList").isEmpty());
    EXPECT_EQ(grid.cellText(0, listColumn(grid, "User")), "tester");
    EXPECT_TRUE(App().TreeRebuildFlag);
    // The same text again changes nothing.
    ui.clear();
    EXPECT_FALSE(grid.UpdateCell(part, 0, QStringLiteral("O'RING-5")));
    EXPECT_TRUE(ui.messages.empty());

    // Distributor of a part: vendor added on the fly, in upper case.
    grid.Load(PartList);
    EXPECT_TRUE(grid.UpdateCell(listColumn(grid, "Distributor"), 0, QStringLiteral("newark")));
    EXPECT_EQ(sqlite("select Vendor,User from VendList"), "NEWARK|tester");
    EXPECT_TRUE(ui.saw("Vendor Added"));

    // A routing step's resource missing from LabrList: added, rate 1.00, cost = hours.
    exec("insert into RescList (Assy,Step,Hours) values ('TOP','10','2.5')");
    exec("insert into LabrList (Resource,Rate) values ('PAINT','40')");
    grid.Load(RescList);
    EXPECT_EQ(grid.cellText(0, listColumn(grid, "Cost")), "0.00"); // cost on load: no resource
    EXPECT_TRUE(grid.CommitEdit(listColumn(grid, "Resource"), 0, QStringLiteral("WELD"), {}));
    EXPECT_TRUE(ui.saw("Resource Added"));
    EXPECT_EQ(sqlite("select Rate,Cost from RescList"), "1.00|2.50");
    EXPECT_EQ(sqlite("select count(*) from LabrList where Resource='WELD'"), "1");
    grid.CommitEdit(listColumn(grid, "Resource"), 0, QStringLiteral("PAINT"), {});
    EXPECT_EQ(sqlite("select Rate,Cost from RescList"), "40|100.00");
    grid.Load(RescList);
    EXPECT_EQ(grid.cellText(0, listColumn(grid, "Cost")), "100.00");
}

TEST_F(GridTest, EveryRowOfALargeTableIsEditable)
{
    QStringList values;
    for (int i = 0; i < 500; ++i)
        values << QStringLiteral("('P%1')").arg(i);
    exec("insert into PartList (Part_nBr) values " + values.join(','));
    CGridModel grid;
    grid.Load(PartList);
    ASSERT_EQ(grid.rowCount(), 500);
    EXPECT_TRUE(grid.UpdateCell(listColumn(grid, "Description"), 480, QStringLiteral("late row")));
    EXPECT_EQ(sqlite("select Description from PartList where Part_nBr='P480'"), "late row");
}

TEST_F(GridTest, BillOfMaterialsRefusesCycles)
{
    exec("insert into AssyList (Assy,Item,Part_nBr) values ('TOP','10','MID'),('MID','10','LOW'),"
         "('LOW','10','R1'),('A','1','B'),('B','1','A')");
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("LOW");
    grid.Load(AssyList);
    const int part = listColumn(grid, "Part #");
    EXPECT_FALSE(grid.CommitEdit(part, 0, QStringLiteral("low"), {}));
    EXPECT_TRUE(ui.saw("Error:Part Number is the same as the Assembly"));
    EXPECT_FALSE(grid.CommitEdit(part, 0, QStringLiteral("TOP"), {}));
    EXPECT_TRUE(ui.saw("Error:Part Number is a parent Assembly"));
    EXPECT_EQ(sqlite("select Part_nBr from AssyList where Assy='LOW'"), "R1");
    // A sibling assembly is fine, and data that already loops does not hang the walk.
    exec("insert into AssyList (Assy,Item,Part_nBr) values ('OTHER','1','X')");
    EXPECT_FALSE(grid.IsParentAssembly(QStringLiteral("OTHER"), QStringLiteral("LOW")));
    EXPECT_TRUE(grid.IsParentAssembly(QStringLiteral("A"), QStringLiteral("B")));
    EXPECT_FALSE(grid.IsParentAssembly(QStringLiteral("OTHER"), QStringLiteral("A")));
}

TEST_F(GridTest, SeveralSelectedRowsChangeTogether)
{
    exec("insert into PartList (Part_nBr) values ('A'),('B'),('C'),('D'),('E'),('F')");
    CGridModel grid;
    grid.Load(PartList);
    const int category = listColumn(grid, "Category");
    grid.CommitEdit(category, 1, QStringLiteral("Resistor"), {0, 1, 2});
    EXPECT_EQ(ui.progressOpened, 0);
    EXPECT_EQ(sqlite("select group_concat(Category) from PartList"), "Resistor,Resistor,Resistor");
    grid.CommitEdit(category, 4, QStringLiteral("Diode"), {1, 2, 3, 4, 5});
    EXPECT_EQ(ui.progressOpened, 1);
    EXPECT_EQ(ui.captions.value(0), "Update Database...");
    EXPECT_EQ(ui.maximum, 5);
    EXPECT_EQ(sqlite("select count(*) from PartList where Category='Diode'"), "5");
    // An edited row outside the selection changes alone.
    grid.CommitEdit(category, 0, QStringLiteral("Cap"), {1, 2});
    EXPECT_EQ(sqlite("select count(*) from PartList where Category='Cap'"), "1");

    // All rows or none: a failing statement leaves every row as it was.
    InjectStatementFailure(4);
    grid.CommitEdit(category, 1, QStringLiteral("Lost"), {1, 2, 3});
    EXPECT_EQ(sqlite("select count(*) from PartList where Category='Lost'"), "0");
    EXPECT_EQ(grid.cellText(1, category), "Diode");
}

TEST_F(GridTest, InsertDefaultsAndNumbering)
{
    App().CurrentCurrency = QStringLiteral("USD");
    CGridModel grid;
    SetParam(ParamLastPurchaseOrder, QStringLiteral("5"));
    grid.Load(PurcList);
    ASSERT_TRUE(grid.InsertRecord());
    EXPECT_EQ(grid.newRecordNumber, "P0006");
    EXPECT_EQ(GetParam(ParamLastPurchaseOrder), "6");
    EXPECT_EQ(sqlite("select PO_nBr,Status,User from PurcList"), "P0006|Pending|tester");
    EXPECT_EQ(grid.rowToShow(), 0);

    grid.sortColumn.clear();
    grid.Load(ReqmList);
    ASSERT_TRUE(grid.InsertRecord());
    ASSERT_TRUE(grid.InsertRecord());
    EXPECT_EQ(grid.newRecordNumber, "REQ0002");
    EXPECT_EQ(sqlite("select group_concat(Order_nBr || Status) from ReqmList"), "REQ0001Created,REQ0002Created");

    exec("insert into AssyList (Assy,Item,Part_nBr) values ('TOP','7','A'),('TOP','8','B'),('SUB','40','C')");
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    ASSERT_TRUE(grid.InsertRecord());
    EXPECT_EQ(sqlite("select Item from AssyList where id=4"), "9");
    EXPECT_EQ(realText("select Quan from AssyList where id=4"), "1.0");
    EXPECT_EQ(grid.rowId(grid.rowToShow()), "4");
    EXPECT_TRUE(grid.sortColumn == "Item"); // cleared, then the BOM default again

    grid.Load(RescList);
    ASSERT_TRUE(grid.InsertRecord());
    ASSERT_TRUE(grid.InsertRecord());
    EXPECT_EQ(sqlite("select group_concat(Step) from RescList"), "10,20");

    grid.Load(PartList);
    ASSERT_TRUE(grid.InsertRecord());
    EXPECT_EQ(realText("select Price,Revision,Currency from PartList"), "0.0|A|USD");
    grid.Load(TaskList);
    EXPECT_FALSE(grid.InsertRecord());
}

TEST_F(GridTest, DeleteAsksAndIsAtomic)
{
    exec("insert into AssyList (Assy,Item,Part_nBr) values ('TOP','1','A'),('TOP','2','B'),('TOP','3','C')");
    CGridModel grid;
    QSignalSpy commands(&grid, &CGridModel::parentCommand);
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    ui.answers = {kAnswerNo};
    EXPECT_FALSE(grid.DeleteRecords({0, 1}));
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "3");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "Are you sure?");
    EXPECT_EQ(ui.messages.back().caption, "Delete");
    EXPECT_EQ(ui.messages.back().buttons, kButtonsYesNo);

    ui.answers = {kAnswerYes};
    InjectStatementFailure(2);
    EXPECT_FALSE(grid.DeleteRecords({0, 1}));
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "3");

    App().TreeRebuildFlag = false;
    ui.answers = {kAnswerYes};
    commands.clear();
    EXPECT_TRUE(grid.DeleteRecords({0, 2}));
    EXPECT_EQ(sqlite("select Part_nBr from AssyList"), "B");
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_TRUE(App().TreeRebuildFlag);
    EXPECT_EQ(commands.last()[0].toInt(), kCmdGridEdited);
}

TEST_F(GridTest, AnOrderDeletedInTheGridTakesItsLinesAndAnUndoBringsThemBack)
{
    ASSERT_TRUE(Execute(SqlFormat(
        "insert into PurcList (PO_nBr,Status,Item_List) values ('P0001','Pending','%s'),('P0002','Placed','%s')",
        {BuildItemList({{"1", "4", "R1", "", "1", "4", "Pending"}}),
         BuildItemList({{"1", "2", "U1", "", "1", "2", "Pending"}, {"2", "3", "U2", "", "1", "3", "Pending"}})})));
    ASSERT_TRUE(RebuildAllPurchaseLines());
    CGridModel grid;
    grid.Load(PurcList);
    ASSERT_EQ(grid.rowCount(), 2);
    ui.answers = {kAnswerYes};
    ASSERT_TRUE(grid.DeleteRecords({1}));
    EXPECT_EQ(sqlite("select PO_nBr, Part_nBr from PurcLine order by PO_nBr, Line"), "P0001|R1");
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(sqlite("select PO_nBr, Part_nBr from PurcLine order by PO_nBr, Line"), "P0001|R1\nP0002|U1\nP0002|U2");
}

TEST_F(GridTest, ARoutingStepTakesItsRateAndCostInOneWrite)
{
    exec("insert into LabrList (Resource,Rate) values ('SMT','40')");
    exec("insert into RescList (Assy,Step,Resource,Hours) values ('TOP','10','','2')");
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(RescList);
    ASSERT_EQ(grid.rowCount(), 1);
    static QStringList updates;
    updates.clear();
    ObserveStatements([](const QByteArray& statement, int) {
        if (statement.toLower().startsWith("update resclist"))
            updates << QString::fromUtf8(statement);
    });
    EXPECT_TRUE(grid.UpdateCell(listColumn(grid, "Resource"), 0, "SMT"));
    ObserveStatements(nullptr);
    EXPECT_EQ(sqlite("select Resource, Rate, Cost from RescList"), "SMT|40|80.00");
    // The cell with its stamp, then the rate with its cost.
    EXPECT_EQ(updates.size(), 2) << updates.join('\n').toStdString();
    EXPECT_TRUE(updates.value(0).contains("User='tester'")) << updates.join('\n').toStdString();
}
