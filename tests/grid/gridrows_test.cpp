#include "gridfixture.h"

#include "db/parameters.h"
#include "grid/gridrows.h"

#include <QProcess>
#include <QSignalSpy>

class GridRowsTest : public GridTest
{
protected:
    // n parts P0000.. in id order, descriptions counting down.
    void insertParts(int n)
    {
        QStringList values;
        for (int i = 0; i < n; ++i)
            values << QStringLiteral("('P%1','d%2','Make')").arg(i, 4, 10, QLatin1Char('0')).arg(n - i, 4, 10, QLatin1Char('0'));
        exec("insert into PartList (Part_nBr,Description,Make) values " + values.join(','));
    }
};

TEST(GridRows, IdListsParse)
{
    EXPECT_EQ(ParseIdList(QStringLiteral("1|22|333|")), (std::vector<long long>{1, 22, 333}));
    EXPECT_EQ(ParseIdList(QStringLiteral("7")), (std::vector<long long>{7}));
    EXPECT_TRUE(ParseIdList(QString()).empty());
}

TEST_F(GridRowsTest, RowsAreReadInWindowsInTheOrderShown)
{
    const int n = 3 * CGridRows::kWindowRows + 17;
    insertParts(n);
    CGridModel grid;
    grid.Load(PartList);
    ASSERT_EQ(grid.rowCount(), n);
    const int part = listColumn(grid, "Part #");
    const int description = listColumn(grid, "Description");
    // The entry order, though an index on part numbers could answer faster.
    EXPECT_EQ(grid.cellText(0, part), "P0000");
    EXPECT_EQ(grid.cellText(n - 1, part), QStringLiteral("P%1").arg(n - 1, 4, 10, QLatin1Char('0')));
    // Back and forth across windows, each row stays itself.
    for (int row : {n - 1, 5, 600, 599, 300, 0, 257, n - 2})
        EXPECT_EQ(grid.cellText(row, part), QStringLiteral("P%1").arg(row, 4, 10, QLatin1Char('0'))) << row;
    EXPECT_EQ(grid.cellText(n, part), ""); // past the end: nothing
    EXPECT_EQ(grid.rowId(n - 1), QString::number(n));

    // Sorted in the database: the first row is the largest description.
    grid.SortByListColumn(description);
    EXPECT_EQ(grid.sortListColumn(), description);
    EXPECT_EQ(grid.cellText(0, description), QStringLiteral("d%1").arg(n, 4, 10, QLatin1Char('0')));
    EXPECT_EQ(grid.cellText(n - 1, part), QStringLiteral("P%1").arg(n - 1, 4, 10, QLatin1Char('0')));

    // A row another program deletes meanwhile shows empty, and nothing fails.
    exec("delete from PartList where id = " + grid.rowId(n - 1));
    grid.SortByListColumn(description); // ascending now: the deleted row is gone
    EXPECT_EQ(grid.rowCount(), n - 1);
    CGridRows rows;
    rows.setSource("PartList", QString(), {}, "id", {"id", "Part #"});
    ASSERT_TRUE(rows.Refresh());
    exec("delete from PartList where id = 1");
    EXPECT_EQ(rows.cell(0, 1), "");
    EXPECT_EQ(rows.cell(1, 1), "P0001");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GridRowsTest, FilterKeepsRowsHoldingTheTextInAShownColumn)
{
    insertParts(40);
    exec("update PartList set Notes='hidden-X' where id=2");           // a column never shown
    exec("update PartList set Description='50% off_a' where id=3");    // wildcards taken literally
    exec("update PartList set Description='50 percent' where id=4");
    CGridModel grid;
    QSignalSpy rows(&grid, &CGridModel::rowsChanged);
    grid.Load(PartList);
    const int part = listColumn(grid, "Part #");

    grid.SetFilter(QStringLiteral("p001")); // any letter case
    EXPECT_EQ(grid.rowCount(), 10);
    EXPECT_EQ(grid.totalRowCount(), 40);
    EXPECT_EQ(grid.cellText(0, part), "P0010");
    EXPECT_EQ(rows.count(), 1);
    grid.SetFilter(QStringLiteral("% off_"));
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.rowId(0), "3");
    grid.SetFilter(QStringLiteral("hidden"));
    EXPECT_EQ(grid.rowCount(), 0);
    grid.SetFilter(QStringLiteral("o'brien")); // a quote is a character like any
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_TRUE(ui.messages.empty());

    // The whole table is checked, whatever the filter shows.
    grid.SetFilter(QStringLiteral("Make"));
    EXPECT_EQ(grid.ShownRows().rowCount, grid.rowCount());
    exec("update PartList set Part_nBr='P0001' where id=1");
    grid.Reload();
    EXPECT_EQ(grid.errorCheck().rowsWith(kErrDuplicateParts), 2);

    // An insert shows every row again, the new one selected; another table
    // starts without the filter.
    QSignalSpy filter(&grid, &CGridModel::filterChanged);
    ASSERT_TRUE(grid.InsertRecord());
    EXPECT_EQ(grid.filter(), "");
    EXPECT_EQ(grid.rowCount(), 41);
    EXPECT_EQ(grid.rowToShow(), 40);
    EXPECT_EQ(filter.count(), 1);
    grid.SetFilter(QStringLiteral("P00"));
    grid.Load(VendList);
    EXPECT_EQ(grid.filter(), "");
}

TEST_F(GridRowsTest, UndoWritesTheOldValuesBackThroughTheCell)
{
    insertParts(5);
    CGridModel grid;
    grid.Load(PartList);
    const int part = listColumn(grid, "Part #");
    const int category = listColumn(grid, "Category");
    EXPECT_FALSE(grid.Undo()); // nothing yet
    ASSERT_TRUE(grid.UpdateCell(part, 1, QStringLiteral("new-1")));
    ASSERT_TRUE(grid.CommitEdit(category, 2, QStringLiteral("Resistor"), {2, 3, 4}));
    EXPECT_EQ(sqlite("select count(*) from PartList where Category='Resistor'"), "3");

    // The commit of three rows is one step; then the part number.
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(sqlite("select count(*) from PartList where Category='Resistor'"), "0");
    EXPECT_EQ(sqlite("select Part_nBr from PartList where id=2"), "NEW-1");
    exec("update PartList set User='' where id=2");
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(sqlite("select Part_nBr,User from PartList where id=2"), "P0001|tester"); // stamped again
    EXPECT_EQ(grid.cellText(1, part), "P0001");
    EXPECT_FALSE(grid.CanUndo());

    // A row the filter hides is shown again; an edit made in another table
    // shows that table first.
    ASSERT_TRUE(grid.UpdateCell(part, 4, QStringLiteral("LAST")));
    grid.SetFilter(QStringLiteral("P0000"));
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(grid.filter(), "");
    EXPECT_EQ(sqlite("select Part_nBr from PartList where id=5"), "P0004");
    ASSERT_TRUE(grid.UpdateCell(part, 4, QStringLiteral("LAST")));
    grid.Load(VendList);
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(grid.table(), PartList);
    EXPECT_EQ(sqlite("select Part_nBr from PartList where id=5"), "P0004");

    // A step the database refuses stays for another try; a deleted record says so.
    ASSERT_TRUE(grid.UpdateCell(part, 0, QStringLiteral("FIRST")));
    InjectStatementFailure(1);
    EXPECT_FALSE(grid.Undo());
    EXPECT_TRUE(ui.saw("The change was not saved:"));
    EXPECT_TRUE(grid.CanUndo());
    exec("delete from PartList where id=1");
    ui.clear();
    grid.Undo();
    EXPECT_TRUE(ui.saw("no longer exists"));
}

TEST_F(GridRowsTest, AnEditOfARecordAnotherUserChangedSaysSoInsteadOfOverwriting)
{
    insertParts(2);
    CGridModel grid;
    grid.Load(PartList);
    const int description = listColumn(grid, "Description");
    const int part = listColumn(grid, "Part #");
    ASSERT_GE(part, 0);
    ASSERT_EQ(grid.cellText(0, description), "d0002");
    // Another desk changes the first part's description after it was shown.
    exec("update PartList set Description = 'from the other desk' where id = 1");
    ui.clear();
    EXPECT_FALSE(grid.UpdateCell(description, 0, QStringLiteral("mine")));
    EXPECT_EQ(grid.lastEditResult(), EditResult::Failed);
    EXPECT_TRUE(ui.saw("another user changed this record meanwhile"));
    EXPECT_EQ(sqlite("select Description from PartList where id = 1"), "from the other desk");
    // The grid shows the record as it is now, and the edit can be made on it.
    EXPECT_EQ(grid.cellText(0, description), "from the other desk");
    ui.clear();
    EXPECT_TRUE(grid.UpdateCell(description, 0, QStringLiteral("mine")));
    EXPECT_EQ(sqlite("select Description from PartList where id = 1"), "mine");
    // Another cell of the record changed meanwhile: the edit is kept, and the
    // row then shows both.
    exec("update PartList set Description = 'theirs' where id = 2");
    EXPECT_TRUE(grid.UpdateCell(part, 1, QStringLiteral("MINE-2")));
    EXPECT_EQ(sqlite("select Part_nBr||'|'||Description from PartList where id = 2"), "MINE-2|theirs");
    EXPECT_EQ(grid.cellText(1, description), "theirs");
    EXPECT_TRUE(ui.messages.empty());
    // A desk that stamps its change is named, with the time. (A server may
    // hand the rows back in another order after an update.)
    exec("update PartList set Description = 'anna''s', User = 'anna', Time_Stamp = '2026-12-09 10:31:02' "
         "where id = 2");
    int second = -1;
    for (int r = 0; r < grid.rowCount(); ++r)
        if (grid.cellText(r, description) == "theirs")
            second = r;
    ASSERT_GE(second, 0);
    ui.clear();
    EXPECT_FALSE(grid.UpdateCell(description, second, QStringLiteral("mine")));
    EXPECT_TRUE(ui.saw("was changed by anna at 2026-12-09 10:31:02"));
}

TEST_F(GridRowsTest, AFailedWriteIsReportedAndTheCellShowsTheDatabase)
{
    insertParts(3);
    CGridModel grid;
    grid.Load(PartList);
    const int description = listColumn(grid, "Description");
    QSignalSpy rows(&grid, &CGridModel::rowsChanged);
    refuseWrites("refuse", "update", "PartList", QString(), "refused by a trigger");
    EXPECT_FALSE(grid.UpdateCell(description, 0, QStringLiteral("lost")));
    EXPECT_EQ(grid.lastEditResult(), EditResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "The change was not saved: refused by a trigger");
    EXPECT_EQ(ui.messages[0].caption, "Database Status");
    EXPECT_EQ(grid.cellText(0, description), "d0003");
    EXPECT_EQ(rows.count(), 1);
    EXPECT_FALSE(grid.CanUndo());
    // A master record that cannot be added takes the cell back with it.
    allowWrites("refuse", "PartList");
    refuseWrites("refuse_vendor", "insert", "VendList", QString(), "no vendors");
    ui.clear();
    EXPECT_FALSE(grid.UpdateCell(listColumn(grid, "Distributor"), 1, QStringLiteral("ACME")));
    EXPECT_EQ(sqlite("select coalesce(Distributor,'-') from PartList where id=2"), "-");
    EXPECT_FALSE(ui.saw("Vendor Added"));

    // Another program holds the write lock: "database is busy", and nothing changes.
    QProcess holder;
    if (TestOnServer()) {
        holder.start("psql", {location, "-q"});
        ASSERT_TRUE(holder.waitForStarted());
        holder.write("begin;\nselect pg_advisory_xact_lock(1263488084, hashtext(current_schema()));\nselect 'locked';\n");
    } else {
        holder.start("sqlite3", {dbPath()});
        ASSERT_TRUE(holder.waitForStarted());
        holder.write("BEGIN IMMEDIATE;\nSELECT 'locked';\n");
    }
    while (!holder.readAllStandardOutput().contains("locked"))
        ASSERT_TRUE(holder.waitForReadyRead(10000));
    SetBusyTimeout(50);
    ui.clear();
    EXPECT_FALSE(grid.UpdateCell(description, 2, QStringLiteral("busy")));
    SetBusyTimeout(5000);
    holder.write(TestOnServer() ? "rollback;\n\\q\n" : "ROLLBACK;\n.quit\n");
    holder.waitForFinished();
    EXPECT_TRUE(ui.saw("The change was not saved: database is busy"));
    EXPECT_EQ(grid.cellText(2, description), "d0001");
}

TEST_F(GridTest, NumbersNeverPassTheLargestInteger)
{
    SetParam(ParamLastPurchaseOrder, QStringLiteral("2147483647"));
    SetParam(ParamLastRequirement, QStringLiteral("99999999999"));
    CGridModel grid;
    grid.Load(PurcList);
    EXPECT_FALSE(grid.InsertRecord());
    EXPECT_TRUE(ui.saw("No purchase order number after 2147483647"));
    EXPECT_EQ(sqlite("select count(*) from PurcList"), "0");
    EXPECT_EQ(GetParam(ParamLastPurchaseOrder), "2147483647");
    grid.Load(ReqmList);
    EXPECT_FALSE(grid.InsertRecord());
    EXPECT_EQ(sqlite("select count(*) from ReqmList"), "0");

    exec("insert into AssyList (Assy,Item,Part_nBr) values ('TOP','2147483647','A')");
    grid.currentAssembly = QStringLiteral("TOP");
    grid.Load(AssyList);
    ui.clear();
    EXPECT_FALSE(grid.InsertRecord());
    EXPECT_TRUE(ui.saw("No item number after 2147483647"));
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "1");
    // A bill line needs an assembly.
    grid.currentAssembly.clear();
    grid.Load(AssyList);
    EXPECT_FALSE(grid.InsertRecord());
    EXPECT_TRUE(ui.saw("Choose an assembly first"));
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "1");

    // Designator ranges are bounded, however many there are.
    EXPECT_EQ(CountDesignators(QStringLiteral("R0-R1000000000")), kMaxDesignators);
    EXPECT_EQ(CountDesignators(QStringLiteral("R0-R1000000000,C0-C1000000000,D0-D99999999999")), kMaxDesignators);
    EXPECT_EQ(CountDesignators(QStringLiteral("R1-R999999,R1000000")), kMaxDesignators);
}
