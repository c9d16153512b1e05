// Two connections in one program: two shops side by side, and two sessions
// of one shop that lock each other out as two programs would.
#include "support/testsupport.h"

#include "core/appstate.h"
#include "db/connection.h"
#include "db/database.h"
#include "db/location.h"
#include "db/parameters.h"
#include "db/serveraccess.h"
#include "db/statement.h"

namespace {

QString partNames()
{
    return QueryTextBound(QStringLiteral("select Part_nBr from PartList order by Part_nBr"), {}, true);
}

} // namespace

TEST_F(DataFolderTest, TwoConnectionsHoldTwoShopsApart)
{
    const QString here = App().DataFolder;
    const QString there = TestOnServer() ? anotherServerLocation() : dir.filePath(QStringLiteral("other"));
    ASSERT_TRUE(ExecuteBound(QStringLiteral("insert into PartList (Part_nBr) values (?)"), {QStringLiteral("HERE")}));

    Connection other;
    {
        UseConnection use(other);
        EXPECT_EQ(&Connection::Current(), &other);
        App().DataFolder = there;
        ASSERT_TRUE(InitializeDatabase(true));
        ASSERT_TRUE(ExecuteBound(QStringLiteral("insert into PartList (Part_nBr) values (?)"), {QStringLiteral("THERE")}));
        EXPECT_EQ(partNames(), "THERE|");
        SetParam(ParamCompanyName, QStringLiteral("Other Shop"));
    }
    // The default connection and its location come back untouched.
    EXPECT_EQ(&Connection::Current(), &Connection::Default());
    EXPECT_EQ(App().DataFolder, here);
    EXPECT_EQ(other.location(), there);
    EXPECT_EQ(partNames(), "HERE|");
    EXPECT_EQ(GetParam(ParamCompanyName), "YOUR COMPANY");
    // What the login may do is known for each server shop on its own.
    if (TestOnServer()) {
        EXPECT_TRUE(ServerShopOpened(here));
    }

    // Back on the other one, its shop is still there, and its failure stays
    // its own.
    {
        UseConnection use(other);
        EXPECT_EQ(App().DataFolder, there);
        EXPECT_EQ(partNames(), "THERE|");
        EXPECT_EQ(GetParam(ParamCompanyName), "Other Shop");
        EXPECT_FALSE(Execute(QStringLiteral("select nonsense from Nowhere")));
        EXPECT_NE(LastResultCode(), 0);
    }
    EXPECT_EQ(LastResultCode(), 0);
    EXPECT_TRUE(other.isOpen());
}

TEST_F(DataFolderTest, TwoSessionsOfOneShopLockEachOtherOut)
{
    ASSERT_TRUE(ExecuteBound(QStringLiteral("insert into PartList (Part_nBr, Stock) values (?, ?)"),
                             {QStringLiteral("P1"), 5}));
    Connection second;
    {
        UseConnection use(second);
        SetBusyTimeout(150);
        EXPECT_EQ(partNames(), "P1|"); // the same shop, in a session of its own
    }

    {
        Transaction work;
        ASSERT_TRUE(work.active());
        ASSERT_TRUE(ExecuteBound(QStringLiteral("update PartList set Stock = ? where Part_nBr = ?"),
                                 {7, QStringLiteral("P1")}));
        {
            // The first holds the write lock: the second's work is refused
            // whole, and says why.
            UseConnection use(second);
            Transaction blocked;
            EXPECT_FALSE(blocked.active());
            EXPECT_FALSE(ExecuteBound(QStringLiteral("update PartList set Stock = ? where Part_nBr = ?"),
                                      {9, QStringLiteral("P1")}));
            EXPECT_FALSE(blocked.commit());
            EXPECT_EQ(LastErrorText(), "database is busy");
        }
        // The second's refusal spoiled nothing of the first's work.
        EXPECT_TRUE(work.ok());
        EXPECT_TRUE(work.commit());
    }
    EXPECT_EQ(QueryTextBound(QStringLiteral("select Stock from PartList where Part_nBr = ?"), {QStringLiteral("P1")}, false)
                  .toDouble(),
              7);

    // Once the lock is free, the second writes and the first reads it.
    {
        UseConnection use(second);
        Transaction work;
        ASSERT_TRUE(work.active());
        ASSERT_TRUE(ExecuteBound(QStringLiteral("update PartList set Stock = ? where Part_nBr = ?"),
                                 {9, QStringLiteral("P1")}));
        EXPECT_TRUE(work.commit());
    }
    EXPECT_EQ(QueryTextBound(QStringLiteral("select Stock from PartList where Part_nBr = ?"), {QStringLiteral("P1")}, false)
                  .toDouble(),
              9);
    EXPECT_TRUE(ui.messages.empty());
}
