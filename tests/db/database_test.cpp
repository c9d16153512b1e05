#include "support/testsupport.h"
#include "db/database.h"
TEST_F(DataFolderTest, Smoke) { EXPECT_EQ(QueryText("select 1", false), "1"); }
