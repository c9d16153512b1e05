#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/newassembly.h"
#include "core/appstate.h"

TEST_F(DataFolderTest, AddAssemblyWritesThePartAndItsLines)
{
    App().CurrentCurrency = "EUR";
    EXPECT_EQ(NewAssemblyRowCount("25"), 20);
    EXPECT_EQ(NewAssemblyRowCount("-3"), 1);
    EXPECT_EQ(NewAssemblyRowCount("abc"), 0);

    int lastPosition = -1;
    EXPECT_EQ(AddAssembly("ctrl", "3", [&](int i, int n) {
                  lastPosition = i;
                  EXPECT_EQ(n, 3);
              }),
              AddAssemblyResult::Added);
    EXPECT_EQ(lastPosition, 2);
    EXPECT_EQ(sqlite("select Part_nBr,Description,User,Revision,Currency from PartList"),
              "CTRL|CTRL Description|tester|A|EUR");
    EXPECT_EQ(sqlite("select group_concat(Item||':'||Quan||':'||Part_nBr, ',') from AssyList"), "1:1:,2:1:,3:1:");
    EXPECT_TRUE(App().TreeRebuildFlag);

    EXPECT_EQ(AddAssembly("CTRL", "1"), AddAssemblyResult::Exists);
    EXPECT_TRUE(ui.saw("Error. Assembly already exists"));
    EXPECT_EQ(AddAssembly("  ", "1"), AddAssemblyResult::EmptyName);
    EXPECT_TRUE(ui.saw("Error. Enter Assembly Name"));

    // Rows 0: only the part record, so the name is free again as an assembly.
    EXPECT_EQ(AddAssembly("EMPTY", "0"), AddAssemblyResult::Added);
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'EMPTY'"), "0");
    EXPECT_EQ(AddAssembly("EMPTY", "-3"), AddAssemblyResult::Added);
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'EMPTY'"), "1");
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr = 'EMPTY'"), "1");

    // An existing part keeps its record.
    ASSERT_TRUE(Execute("Insert into PartList (Part_nBr,Description,Revision) values ('KIT','Old kit','C')"));
    EXPECT_EQ(AddAssembly("KIT", "25"), AddAssemblyResult::Added);
    EXPECT_EQ(sqlite("select Description||Revision from PartList where Part_nBr = 'KIT'"), "Old kitC");
    EXPECT_EQ(sqlite("select max(cast(Item as integer))||'/'||count(*) from AssyList where Assy = 'KIT'"), "20/20");

    // Quotes and non-ASCII text are stored as typed.
    EXPECT_EQ(AddAssembly("O'HARA ÄÖ", "1"), AddAssemblyResult::Added);
    EXPECT_EQ(sqlite("select Assy from AssyList where Assy like 'O''HARA%'"), "O'HARA ÄÖ");
}

TEST_F(DataFolderTest, AddAssemblyWritesAllOrNothing)
{
    InjectStatementFailure(4); // part record check, part insert, line 1, line 2 fails
    EXPECT_EQ(AddAssembly("HALF", "5"), AddAssemblyResult::Failed);
    InjectStatementFailure(0);
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "0");
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");
    EXPECT_FALSE(ui.messages.empty());
}
