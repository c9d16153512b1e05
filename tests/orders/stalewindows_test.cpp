// Two desks on one record: a window loads it, the other desk changes it, and
// the window's write is refused, naming who changed it and when, with the
// stored record left as the other desk wrote it.
#include "orders/ordersfixture.h"

#include "core/appstate.h"
#include "db/database.h"
#include "orders/completion.h"
#include "orders/purchaseorder.h"
#include "orders/requirement.h"
#include "schedule/taskrecord.h"

#include <QThread>

namespace {

class StaleWindowsTest : public OrdersTest
{
protected:
    void SetUp() override
    {
        OrdersTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        App().CurrentUser = QStringLiteral("anna");
    }

    // The other desk is another login; the stamp goes with it.
    void asDesk(const QString& user) { App().CurrentUser = user; }

    // The refusal shown last, and that it names who and says nothing was written.
    void expectRefusalNaming(const QString& what, const QString& user)
    {
        ASSERT_FALSE(ui.messages.empty());
        const QString text = ui.messages.back().text;
        EXPECT_TRUE(text.contains(what + QStringLiteral(" was changed by ") + user + QStringLiteral(" at ")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Nothing was written."))) << text.toStdString();
    }
};

} // namespace

TEST_F(StaleWindowsTest, OrderDialogSavedOverAProcessedOrCancelledRequirementIsRefused)
{
    addPart("R1", 100, 0, "DIGI");
    addBom("BOARD", "R1", 2);
    addRequirement("REQ0001", "BOARD", 2);

    // Both desks open REQ0001; anna processes it for 2.
    RequirementRecord ben = LoadRequirement("REQ0001");
    ASSERT_TRUE(ben.loaded.found);
    asDesk("anna");
    ASSERT_TRUE(ProcessRequirement("REQ0001", 2, "BOARD").done);
    const QString processed = dump();

    // Ben's OK with his quantity 3 writes nothing and names anna.
    asDesk("ben");
    ui.clear();
    ben.quantity = "3";
    bool stale = false;
    EXPECT_FALSE(SaveRequirement(ben, &stale));
    EXPECT_TRUE(stale);
    expectRefusalNaming("REQ0001", "anna");
    EXPECT_EQ(dump(), processed);
    EXPECT_EQ(sqlite("select cast(Quan as integer)||'|'||Status||'|'||User from ReqmList"), "2|PO Gen|anna");

    // Shown again, the record saves: the window now holds what is stored.
    RequirementRecord again = LoadRequirement("REQ0001");
    again.description = "for the fair";
    EXPECT_TRUE(SaveRequirement(again, &stale));
    EXPECT_FALSE(stale);
    EXPECT_EQ(sqlite("select Description||'|'||User from ReqmList"), "for the fair|ben");

    // Cancelled by anna while ben looks at it: refused the same way.
    ben = LoadRequirement("REQ0001");
    asDesk("anna");
    ui.answers.push_back(kAnswerYes);
    ASSERT_TRUE(CancelOrder("REQ0001"));
    asDesk("ben");
    ui.clear();
    ben.description = "late change";
    EXPECT_FALSE(SaveRequirement(ben, &stale));
    EXPECT_TRUE(stale);
    expectRefusalNaming("REQ0001", "anna");
    EXPECT_EQ(sqlite("select Status||'|'||Description from ReqmList"), "Canceled|for the fair");
}

TEST_F(StaleWindowsTest, OrderDialogOverADeletedRequirementOrWithNothingTypedWritesNothing)
{
    addRequirement("REQ0002", "BOARD", 1);
    RequirementRecord record = LoadRequirement("REQ0002");
    // OK with nothing changed writes nothing, not even a stamp.
    EXPECT_TRUE(SaveRequirement(record));
    EXPECT_EQ(sqlite("select ifnull(User,'')||'|'||ifnull(Time_Stamp,'') from ReqmList"), "|");

    ASSERT_TRUE(Execute("delete from ReqmList where Order_nBr = 'REQ0002'"));
    ui.clear();
    record.quantity = "5";
    bool stale = false;
    EXPECT_FALSE(SaveRequirement(record, &stale));
    EXPECT_TRUE(stale);
    EXPECT_TRUE(ui.saw("REQ0002: the record no longer exists"));
    EXPECT_EQ(sqlite("select count(*) from ReqmList"), "0");
}

TEST_F(StaleWindowsTest, PurchaseOrderDialogSavedOverAnotherDesksSaveIsRefused)
{
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Vendor,Status,Notes,Item_List) values "
                        "('P0001','ACME','Pending','call first','1\n4\nR1\n\n1.00\n4.00\nPending\n\r')"));
    const PurchaseOrderRecord ben = LoadPurchaseOrder("P0001");
    const PurchaseOrderRecord anna = LoadPurchaseOrder("P0001");

    // Anna changes only the notes: the lines stay, the save is stamped.
    asDesk("anna");
    QMap<QString, QString> annas = anna.loaded;
    annas["Notes"] = "call Tom first";
    bool written = false;
    ASSERT_TRUE(SavePurchaseOrderFields(anna, annas, true, &written));
    ASSERT_TRUE(written);

    // Ben's tracking number is refused: his window still shows the old notes.
    asDesk("ben");
    ui.clear();
    QMap<QString, QString> bens = ben.loaded;
    bens["Tracking"] = "1Z999";
    bool stale = false;
    EXPECT_FALSE(SavePurchaseOrderFields(ben, bens, true, &written, &stale));
    EXPECT_FALSE(written);
    EXPECT_TRUE(stale);
    expectRefusalNaming("P0001", "anna");
    EXPECT_EQ(sqlite("select Notes||'|'||ifnull(Tracking,'')||'|'||User from PurcList"), "call Tom first||anna");

    // Received by anna: ben's close is refused too, and stock moves once.
    addPart("R1", 0);
    const PurchaseOrderRecord loaded = LoadPurchaseOrder("P0001");
    asDesk("anna");
    ui.answers.push_back(kAnswerYes);
    ASSERT_EQ(ReceivePurchaseOrder("P0001"), kAnswerYes);
    asDesk("ben");
    ui.clear();
    QMap<QString, QString> closing = loaded.loaded;
    closing["Status"] = "Closed";
    EXPECT_FALSE(ClosePurchaseOrder(loaded, closing, true, &stale));
    EXPECT_EQ(partValue("R1", "Stock").toDouble(), 4);
}

TEST_F(StaleWindowsTest, TaskEditorSavedOverAnotherDesksChangeIsRefused)
{
    ASSERT_TRUE(Execute("insert into TaskList (Task_nBr,Requirement,Assy,Step,Status,Count) values "
                        "(1,'REQ0003','BOARD','10','Pending','4')"));
    TaskRecord ben = LoadTask("REQ0003", "1");
    ASSERT_TRUE(ben.loaded.found);
    TaskRecord anna = LoadTask("REQ0003", "1");

    asDesk("anna");
    anna.status = "In-Process";
    ASSERT_TRUE(SaveTask(anna));

    asDesk("ben");
    ui.clear();
    ben.actual = "2.5";
    bool stale = false;
    EXPECT_FALSE(SaveTask(ben, &stale));
    EXPECT_TRUE(stale);
    expectRefusalNaming("REQ0003/1", "anna");
    EXPECT_EQ(sqlite("select Status||'|'||ifnull(Actual,'')||'|'||User from TaskList"), "In-Process||anna");

    // Loaded again it saves, stamped with ben.
    ben = LoadTask("REQ0003", "1");
    ben.actual = "2.5";
    EXPECT_TRUE(SaveTask(ben, &stale));
    EXPECT_EQ(sqlite("select Status||'|'||Actual||'|'||User from TaskList"), "In-Process|2.5|ben");

    // Its requirement cancelled (the tasks deleted) meanwhile.
    ben = LoadTask("REQ0003", "1");
    ASSERT_TRUE(Execute("delete from TaskList"));
    ui.clear();
    ben.count = "5";
    EXPECT_FALSE(SaveTask(ben, &stale));
    EXPECT_TRUE(ui.saw("REQ0003/1: the record no longer exists"));
}

TEST_F(StaleWindowsTest, AChangeThatStampedNothingIsStillSeen)
{
    addRequirement("REQ0004", "BOARD", 1);
    RequirementRecord record = LoadRequirement("REQ0004");
    // Another program (a script, the query command) changes the quantity
    // as text; a number spelled another way is no change.
    ASSERT_TRUE(Execute("update ReqmList set Quan = '1.0'"));
    record.description = "same quantity";
    EXPECT_TRUE(SaveRequirement(record));
    record = LoadRequirement("REQ0004");
    ASSERT_TRUE(Execute("update ReqmList set Quan = '7'"));
    ui.clear();
    record.description = "quantity moved";
    bool stale = false;
    EXPECT_FALSE(SaveRequirement(record, &stale));
    EXPECT_TRUE(ui.saw("REQ0004 was changed meanwhile")) << ui.messages.back().text.toStdString();
    EXPECT_EQ(sqlite("select cast(Quan as integer)||'|'||Description from ReqmList"), "7|same quantity");
}
