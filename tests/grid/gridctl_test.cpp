#include "gridfixture.h"

class GridCtlTest : public GridTest
{
};

TEST_F(GridCtlTest, CommandsRunTheGridEngine)
{
    // koltctl reads the shipped definitions: the tables go back to them.
    LoadAllTableDefinitions();
    for (int t = 0; t < kTableCount; ++t)
        define(t, {});
    CtlRun run = ctl({"insert", "PartList"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), "1");
    run = ctl({"set", "PartList", "1", "Part #", "r'1"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(sqlite("select Part_nBr from PartList"), "R'1");
    run = ctl({"set", "PartList", "1", "distributor", "acme"});
    EXPECT_TRUE(run.err.contains("Vendor Added"));
    run = ctl({"param", "set", "7", "41"});
    run = ctl({"insert", "PurcList"});
    EXPECT_EQ(run.out.trimmed(), "P0042");
    run = ctl({"insert", "AssyList", "--assy", "TOP"});
    EXPECT_EQ(run.out.trimmed(), "1");
    run = ctl({"set", "AssyList", "1", "Part #", "top"});
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.err.contains("Error:Part Number is the same as the Assembly"));
    run = ctl({"check", "PartList"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "1\t1024\n"); // a part neither bought nor made
    run = ctl({"delete", "PartList", "1"});
    EXPECT_EQ(sqlite("select count(*) from PartList"), "1"); // not without --yes
    run = ctl({"--yes", "delete", "PartList", "1"});
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");
    run = ctl({"print", "table", "AssyList", "--assy", "TOP", "--pdf", dir.path() + "/v.pdf"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.path() + "/v.pdf"));
    run = ctl({"print", "nothing"});
    EXPECT_EQ(run.code, 2);
}

TEST_F(GridCtlTest, FailuresExitNonZeroAndAssembliesAreUpperCased)
{
    LoadAllTableDefinitions();
    for (int t = 0; t < kTableCount; ++t)
        define(t, {});
    CtlRun run = ctl({"insert", "AssyList", "--assy", "10µf"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(sqlite("select Assy from AssyList"), "10µF");
    run = ctl({"insert", "AssyList", "--assy", "10µF"}); // the same bill, numbered on
    EXPECT_EQ(sqlite("select group_concat(Item) from AssyList"), "1,2");
    run = ctl({"insert", "AssyList", "--assy", ""});
    EXPECT_EQ(run.code, 2);
    EXPECT_TRUE(run.err.contains("--assy needs the name of an assembly"));
    run = ctl({"insert", "AssyList"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("Choose an assembly first"));
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "2");

    // A write the database refuses: a message and a non-zero exit, nothing stored.
    run = ctl({"insert", "PartList"});
    exec("update PartList set Err='0'"); // the insert's own check stored the word already
    refuseWrites("refuse", "update", "PartList", QString(), "disk says no");
    run = ctl({"set", "PartList", "1", "Description", "lost"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("The change was not saved: disk says no"));
    EXPECT_EQ(sqlite("select coalesce(Description,'-') from PartList"), "-");
    // The check says what it found, and that it could not store it.
    run = ctl({"check", "PartList"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("1 row with faults: 1 part without Make"));
    EXPECT_TRUE(run.err.contains("could not be stored"));
}
