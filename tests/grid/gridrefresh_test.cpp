// The grid after other desks' writes: their deletions leave the rows, their
// inserts arrive, and an edit over their change is refused.
#include "grid/gridfixture.h"

#include "core/format.h"

TEST_F(GridTest, RowsAnotherDeskDeletedLeaveTheGridWithoutAGhost)
{
    for (int i = 1; i <= 4; ++i)
        ASSERT_TRUE(Execute(SqlFormat("insert into PartList (Part_nBr,Description) values ('P%i','d%i')", {i, i})));
    CGridModel grid;
    grid.Load(PartList);
    const int part = listColumn(grid, "Part #");
    ASSERT_EQ(grid.rowCount(), 4);
    const long long thirdId = grid.rowId(2).toLongLong();

    // The other desk deletes P2 and adds P5.
    ASSERT_EQ(ctl({"query", "delete from PartList where Part_nBr = 'P2'"}).code, 0);
    ASSERT_EQ(ctl({"query", "insert into PartList (Part_nBr,Description) values ('P5','d5')"}).code, 0);
    grid.RefreshRows();
    ASSERT_EQ(grid.rowCount(), 4);
    QStringList shown;
    for (int r = 0; r < grid.rowCount(); ++r) {
        shown << grid.cellText(r, part);
        EXPECT_FALSE(grid.cellText(r, part).isEmpty()) << "no blank row at " << r;
    }
    EXPECT_TRUE(shown.contains("P5"));
    EXPECT_FALSE(shown.contains("P2"));
    EXPECT_GE(grid.rowOfId(thirdId), 0) << "a record still there is found again by its id";

    // An edit of a row deleted meanwhile is refused and the row leaves.
    const int row = static_cast<int>(shown.indexOf("P3"));
    ASSERT_GE(row, 0);
    ASSERT_EQ(ctl({"query", "delete from PartList where Part_nBr = 'P3'"}).code, 0);
    ui.clear();
    EXPECT_FALSE(grid.UpdateCell(listColumn(grid, "Description"), row, "late"));
    EXPECT_TRUE(ui.saw("the record no longer exists"));
    EXPECT_EQ(grid.rowCount(), 3);
    for (int r = 0; r < grid.rowCount(); ++r)
        EXPECT_NE(grid.cellText(r, part), "P3");
}

TEST_F(GridTest, AnEditOverAnotherDesksStampedChangeIsRefused)
{
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Description,User,Time_Stamp) values "
                        "('P1','old','ann','2026-01-01 09:00:00')"));
    CGridModel grid;
    grid.Load(PartList);
    const int description = listColumn(grid, "Description");
    ASSERT_EQ(grid.cellText(0, description), "old"); // as the desk shows it
    ASSERT_TRUE(Execute("update PartList set Description = 'theirs', User = 'ben', Time_Stamp = '2026-12-09 10:31:02'"));
    ui.clear();
    EXPECT_FALSE(grid.UpdateCell(description, 0, "mine"));
    EXPECT_TRUE(ui.saw("The change was not saved:")) << ui.messages.back().text.toStdString();
    EXPECT_EQ(grid.cellText(0, description), "theirs");
}
