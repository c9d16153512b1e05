// Other desks' writes reach a desk: through the server's notices, or the
// file's data version, within the interval a desk waits for them.
#include "support/testsupport.h"

#include "db/changefeed.h"
#include "db/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

// The feed's timers and socket need an event loop.
QCoreApplication& eventLoop()
{
    static int argc = 1;
    static char name[] = "changefeed_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return app ? *app : *QCoreApplication::instance();
}

class ChangeFeedTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        eventLoop();
        DataFolderTest::SetUp();
    }

    // Runs the event loop until the feed announced a change or the time is up.
    static bool heard(int& announcements, int milliseconds)
    {
        QElapsedTimer clock;
        clock.start();
        const int before = announcements;
        while (clock.elapsed() < milliseconds && announcements == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return announcements > before;
    }
};

} // namespace

TEST_F(ChangeFeedTest, AnotherDesksWriteIsHeardAndTheDesksOwnIsNot)
{
    ChangeFeed feed;
    int announcements = 0;
    QObject::connect(&feed, &ChangeFeed::changed, [&] { ++announcements; });
    feed.watch(location);
    feed.setPollInterval(200);
    if (TestOnServer()) {
        EXPECT_TRUE(feed.listening());
    }

    // This desk's own write, in a transaction and outside one, is no news.
    {
        Transaction transaction;
        ASSERT_TRUE(Execute("insert into PartList (Part_nBr) values ('OWN')"));
        ASSERT_TRUE(transaction.commit());
    }
    ASSERT_TRUE(Execute("update PartList set Description = 'mine' where Part_nBr = 'OWN'"));
    EXPECT_FALSE(heard(announcements, 1200));

    // Another desk (another process) inserts a part: heard within the interval.
    ASSERT_EQ(ctl({"query", "insert into PartList (Part_nBr) values ('THEIRS')"}).code, 0);
    EXPECT_TRUE(heard(announcements, 3000));
    const int afterInsert = announcements;

    // Another desk that only reads tells nobody.
    ASSERT_EQ(ctl({"query", "select count(*) from PartList"}).code, 0);
    EXPECT_FALSE(heard(announcements, 1000));
    EXPECT_EQ(announcements, afterInsert);

    // A deletion on the other desk is heard too.
    ASSERT_EQ(ctl({"query", "delete from PartList where Part_nBr = 'THEIRS'"}).code, 0);
    EXPECT_TRUE(heard(announcements, 3000));

    // Stopped, the feed hears nothing more.
    feed.stop();
    ASSERT_EQ(ctl({"query", "insert into PartList (Part_nBr) values ('LATER')"}).code, 0);
    EXPECT_FALSE(heard(announcements, 800));
}
