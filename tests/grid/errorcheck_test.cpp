#include "gridfixture.h"

#include "grid/errorcheck.h"

namespace {

QString errOf(const CGridModel& grid, int row)
{
    return grid.cell(row, grid.FindColumnKey(QStringLiteral("ERR")));
}

} // namespace

TEST(CountDesignators, RangesListsAndOddPieces)
{
    EXPECT_EQ(CountDesignators(QStringLiteral("R1,R2,R5")), 3);
    EXPECT_EQ(CountDesignators(QStringLiteral("C1-C4,C9")), 5);
    EXPECT_EQ(CountDesignators(QStringLiteral("U3-U1")), 3);
    EXPECT_EQ(CountDesignators(QStringLiteral("R1-R3,R7")), 4);
    EXPECT_EQ(CountDesignators(QStringLiteral("R1,")), 2); // the empty piece counts
    EXPECT_EQ(CountDesignators(QStringLiteral("R1-")), 2); // second number 0
}

TEST_F(GridTest, BillOfMaterialsRules)
{
    exec("insert into PartList (Part_nBr) values ('R1'),('C1'),('X'),('O''RING')");
    exec("insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values "
         "('TOP','10','R1','1',''),"   // 1: same item as 2
         "('TOP','10','C1','1',''),"   // 2
         "('TOP','20','C1','4','R1-R3,R7')," // 3: same part as 2, designators fit
         "('TOP','30','R1','4','R1-R3')," // 4: designators do not fit, same part as 1
         "('TOP','40','','2','R1')," // 5: no part: exactly 256
         "('TOP','50','NOPART','1','')," // 6: unknown part
         "('TOP','60','X','1','')," // 7: a one-character part reads as missing
         "('SUB','10','R1','1','')," // another assembly: no duplicate
         "('TOP','70','O''RING','1','')"); // 9: a quote in a known part number
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    ASSERT_EQ(grid.rowCount(), 8);
    std::map<QString, unsigned> byId;
    for (int r = 0; r < grid.rowCount(); ++r)
        byId[grid.rowId(r)] = grid.errorWord(r);
    EXPECT_EQ(byId["1"], 1u | 2u);
    EXPECT_EQ(byId["2"], 1u | 2u);
    EXPECT_EQ(byId["3"], 2u);
    EXPECT_EQ(byId["4"], 2u | 64u);
    EXPECT_EQ(byId["5"], 256u);
    EXPECT_EQ(byId["6"], 16u);
    EXPECT_EQ(byId["7"], 16u);
    EXPECT_EQ(byId["9"], 0u);
    // Stored as text, and shown in the grid's cells.
    EXPECT_EQ(sqlite("select Err from AssyList where id=4"), "66");
    EXPECT_EQ(sqlite("select Err from AssyList where id=8"), "");
    EXPECT_EQ(errOf(grid, 0), QString::number(grid.errorWord(0)));

    // A second run over the same rows finds nothing to write.
    CErrorCheck again;
    EXPECT_EQ(again.Check(AssyList, QStringLiteral("AssyList"), QStringLiteral("Assy='TOP'")), 0);
    // Fixing the missing part in PartList clears the fault at the next load.
    exec("insert into PartList (Part_nBr) values ('NOPART')");
    grid.Load(AssyList);
    EXPECT_EQ(sqlite("select Err from AssyList where id=6"), "0");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GridTest, MasterTableRules)
{
    exec("insert into VendList (Vendor) values ('DIGIKEY'),('MOUSER'),('MOUSER'),('M')");
    exec("insert into PartList (Part_nBr,Make,Manufacturer,Distributor) values "
         "('A','Buy','',''),"        // no source
         "('B','Buy','','FARNELL')," // distributor not a vendor
         "('C','Make','',''),"        // made: no source needed
         "('D','Buy','ACME','DIGIKEY')," // fine; ACME is never looked up
         "('D','buy','',''),"         // duplicate; lower-case b is not Buy
         "('E','Buy','','M')");        // one-character vendor answer reads as missing
    CGridModel grid;
    grid.Load(PartList);
    ASSERT_EQ(grid.rowCount(), 6);
    EXPECT_EQ(grid.errorWord(0), 128u);
    EXPECT_EQ(grid.errorWord(1), 32u);
    EXPECT_EQ(grid.errorWord(2), 0u);
    EXPECT_EQ(grid.errorWord(3), 2u);
    EXPECT_EQ(grid.errorWord(4), 2u);
    EXPECT_EQ(grid.errorWord(5), 32u);

    grid.Load(VendList);
    EXPECT_EQ(grid.errorWord(0), 0u);
    EXPECT_EQ(grid.errorWord(1), 4u);
    EXPECT_EQ(grid.errorWord(2), 4u);

    exec("insert into RescList (Assy,Step) values ('TOP','10'),('TOP','10'),('TOP','20'),('SUB','10')");
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(RescList);
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.errorWord(0), 8u);
    EXPECT_EQ(grid.errorWord(1), 8u);
    EXPECT_EQ(grid.errorWord(2), 0u);
}

TEST_F(GridTest, SummaryTextsAndMissingColumns)
{
    EXPECT_EQ(CErrorCheck::SummaryText(0), "No Errors Found");
    EXPECT_EQ(CErrorCheck::SummaryText(256 | 64 | 1),
              "Duplicate Items\nMissing Part Number\nReference Designator Not Equal to Quantity\n");
    CErrorCheck::Summary(128);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Record Status");
    EXPECT_EQ(ui.messages[0].text, "No Manufacturer or Distributor for 'Buy' Part\n");

    // A definition without the rule's column reports it and compares ids instead;
    // without an Err column nothing is written and no id is overwritten.
    define(VendList, {"Name,0,EDIT,text"});
    exec("insert into VendList (Name) values ('A'),('A')");
    ui.clear();
    CGridModel grid;
    grid.Load(VendList);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith("Find Index Error - CErrorCheck:/"));
    EXPECT_EQ(grid.errorWord(0), 0u);
    EXPECT_EQ(grid.rowId(0), "1");
}

TEST_F(GridTest, QuantitiesMakeAndTheSummaryLine)
{
    if (TestOnServer()) // this fixture's Quan is a number column, which only SQLite lets hold text
        exec("alter table AssyList alter column Quan type text");
    exec("insert into PartList (Part_nBr,Make,Distributor) values ('R1','Buy','DK'),('C1','',''),('U1',' ','')");
    exec("insert into VendList (Vendor) values ('DK')");
    exec("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('TOP','1','R1','2.5'),('TOP','2','R1','abc'),"
         "('TOP','3','C1',' 5x'),('TOP','4','U1',''),('TOP','5','','abc')");
    CGridModel grid;
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    ASSERT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.errorWord(0), kErrDuplicateParts);
    EXPECT_EQ(grid.errorWord(1), kErrDuplicateParts | kErrQuantityNotNumber);
    EXPECT_EQ(grid.errorWord(2), kErrQuantityNotNumber);
    EXPECT_EQ(grid.errorWord(3), kErrQuantityNotNumber); // an empty quantity counts nothing either
    EXPECT_EQ(grid.errorWord(4), kErrMissingPart);        // exactly 256, as always
    EXPECT_EQ(grid.errorCheck().SummaryLine(),
              "5 rows with faults: 2 duplicate part numbers, 1 missing part number, 3 non-numeric quantities");

    grid.Load(PartList);
    EXPECT_EQ(grid.errorWord(0), 0u);
    EXPECT_EQ(grid.errorWord(1), kErrNoMake);
    EXPECT_EQ(grid.errorWord(2), kErrNoMake);
    EXPECT_EQ(grid.errorCheck().SummaryLine(), "2 rows with faults: 2 parts without Make");
    EXPECT_EQ(CErrorCheck::SummaryText(kErrNoMake | kErrQuantityNotNumber),
              "Quantity Is Not a Number\nNo Make or Buy Entry\n");
    exec("update PartList set Make='Make' where Make<>'Buy'");
    grid.Reload();
    EXPECT_EQ(grid.errorCheck().SummaryLine(), "No Errors Found");
    EXPECT_EQ(sqlite("select count(*) from PartList where cast(Err as integer) <> 0"), "0");
}

TEST_F(GridTest, TheWholeTableCheckReadsOnlyRowsARuleCanMarkAndAgreesWithAFullRead)
{
    // Faults of every kind of the part and vendor tables, and rows without any.
    exec("insert into VendList (Vendor) values ('DK'),('M'),('MOUSER'),('MOUSER'),(''),(NULL),(NULL)");
    exec("insert into PartList (Part_nBr,Make,Manufacturer,Distributor,Err) values "
         "('A','Buy','',NULL,'0'),('B','Buy','','FARNELL','0'),('C','Make','','','0'),('D','Buy','X','DK','0'),"
         "('D','Buy','',NULL,'0'),('E','Buy','','M','0'),('F',char(9),'','DK','0'),('G','Buy','X','DK','128'),"
         "(NULL,'Make','','','0'),('','Make','','','0'),(NULL,'Make','','','0'),('H','Buy','','DK','0')");
    for (int table : {PartList, VendList}) {
        CErrorCheck candidates, everything;
        candidates.Check(table, TableSqlName(table), QString());
        everything.Check(table, TableSqlName(table), QStringLiteral("1 = 1"));
        EXPECT_EQ(candidates.faultyRows(), everything.faultyRows()) << table;
        for (int id = 1; id <= 12; ++id)
            EXPECT_EQ(candidates.wordOfId(id), everything.wordOfId(id)) << table << " id " << id;
        EXPECT_LT(candidates.words().size(), everything.words().size()) << table;
    }
    // A stored word whose fault went away is cleared: row G.
    EXPECT_EQ(sqlite("select Err from PartList where id=8"), "0");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GridTest, DeletingAPartNamesTheBillsThatUseIt)
{
    exec("insert into PartList (Part_nBr,Make) values ('R1','Buy'),('C1','Buy')");
    exec("insert into AssyList (Assy,Item,Part_nBr) values ('TOP','1','R1'),('SUB','1','R1'),('AMP','1','R1'),"
         "('AMP','2','R1')");
    CGridModel grid;
    grid.Load(PartList);
    ui.answers = {kAnswerNo};
    EXPECT_FALSE(grid.DeleteRecords({0, 1}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "R1: used in 3 assemblies: AMP, SUB, TOP\n\nAre you sure?");
    EXPECT_EQ(sqlite("select count(*) from PartList"), "2");
    ui.clear();
    ui.answers = {kAnswerYes};
    EXPECT_TRUE(grid.DeleteRecords({1})); // C1: used nowhere
    EXPECT_EQ(ui.messages[0].text, "Are you sure?");
    EXPECT_EQ(sqlite("select count(*) from PartList"), "1");
}

TEST_F(GridTest, AnEditRechecksTheTableOnlyWhenARuleReadsTheColumn)
{
    exec("insert into PartList (Part_nBr,Make,Description) values ('A','Buy','x'),('A','Buy','y')");
    CGridModel grid;
    grid.Load(PartList);
    ASSERT_EQ(grid.errorWord(0), 2u | 128u);
    static int statements = 0;
    statements = 0;
    ObserveStatements([](const QByteArray&, int) { ++statements; });
    // A description feeds no rule: the edit alone, not the table read again.
    EXPECT_TRUE(grid.CommitEdit(listColumn(grid, "Description"), 0, QStringLiteral("resistor"), {}));
    const int descriptionEdit = statements;
    statements = 0;
    // The part number does: the twin's fault ends with this edit.
    EXPECT_TRUE(grid.CommitEdit(listColumn(grid, "Part #"), 0, QStringLiteral("B"), {}));
    ObserveStatements(nullptr);
    EXPECT_LT(descriptionEdit, statements);
    EXPECT_LE(descriptionEdit, 8);
    EXPECT_EQ(grid.errorWord(1) & 2u, 0u);
    EXPECT_EQ(sqlite("select cast(Err as integer) & 2 from PartList where Part_nBr = 'A'"), "0");
}
