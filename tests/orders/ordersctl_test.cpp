// koltctl's orders commands end to end: the dry run, the stock check and
// repair, refused quantities and assemblies.
#include "orders/ordersfixture.h"

#include "db/database.h"
#include "db/parameters.h"

#include <QFile>
#include <QProcess>

class OrdersCtlTest : public OrdersTest
{
protected:
    // koltctl reads the shipped definitions: so does the data folder here.
    void SetUp() override { DataFolderTest::SetUp(); }
};

TEST_F(OrdersCtlTest, DryRunStockCheckAndRepair)
{
    addPart("R1", 8, 0, "DIGI", {}, 0.1);
    addPart("U1", 0, 0, {}, "TI", 0, 10);
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1.5, 2);
    addRequirement("REQ0001", "BOARD", 5);
    SetParam(ParamLastPurchaseOrder, "65");
    const QString before = dump();

    CtlRun run = ctl({"process", "REQ0001", "--quantity", "5", "--dry-run"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "R1\t25\t8\t17\tDIGI\t17\t17\t\t0.1\tUSD\t0\nU1\t7.5\t0\t7.5\tTI\t8\t8\t\t0\tUSD\t0\n"
                       "P0066:  Vendor:DIGI Items:1\nP0067:  Vendor:TI Items:1\n");
    EXPECT_EQ(dump(), before);

    for (const char* bad : {"-1", "1e30", "1e-9", "0x10", " 5x"}) {
        run = ctl({"process", "REQ0001", "--quantity", bad});
        EXPECT_EQ(run.code, 1) << bad;
        EXPECT_TRUE(run.err.contains("The quantity must")) << bad << " " << run.err.toStdString();
    }
    run = ctl({"process", "REQ0001", "--quantity", "5", "--assembly", "nosuch"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("No such assembly: NOSUCH")) << run.err.toStdString();
    EXPECT_EQ(dump(), before);

    run = ctl({"process", "REQ0001", "--quantity", "5"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    run = ctl({"stock", "check"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "Stock figures agree\n");

    // U1 is priced 0.00: printed all the same, with a warning.
    run = ctl({"print", "po", "P0067", "--pdf", dir.path() + "/p.pdf"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Lines priced 0.00: 1 U1"));
    EXPECT_TRUE(QFile::exists(dir.path() + "/p.pdf"));

    ASSERT_TRUE(Execute("update PartList set Allocated='7.5' where Part_nBr='R1'"));
    run = ctl({"stock", "check"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "R1\tAllocated\t7.5\t25\n");
    run = ctl({"stock", "repair"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("R1  Allocated  7.5 -> 25")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("nothing was repaired"));
    EXPECT_EQ(sqlite("select Allocated from PartList where Part_nBr='R1'"), "7.5");
    run = ctl({"stock", "repair", "--yes"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "1 stock figures repaired\n");
    EXPECT_EQ(sqlite("select Allocated from PartList where Part_nBr='R1'"), "25");
    EXPECT_EQ(ctl({"--yes", "stock", "repair"}).code, 0); // said at once: nothing to repair
    EXPECT_EQ(ctl({"stock", "count"}).code, 2);
}

TEST_F(OrdersCtlTest, ABuildThroughKoltctlFromNeedDateToStock)
{
    addPart("KIT", 0, 0, {}, {}, 0, 0, "M");
    addPart("R1", 0, 0, "DIGI");
    addBom("KIT", "R1", 2);
    ASSERT_TRUE(Execute("insert into RescList (Assy,Step,Description,Resource,Hours) values "
                        "('KIT','10','SMT','LINE','0.5')"));
    addRequirement("REQ0001", "KIT", 0);

    EXPECT_EQ(ctl({"holiday", "add", "2027-01-18", "Shop closed"}).code, 0);
    EXPECT_EQ(ctl({"holiday", "add", "18.01.2027"}).code, 1); // ISO only on the command line
    EXPECT_EQ(ctl({"holiday", "add", "2027-02-30"}).code, 1);
    EXPECT_EQ(ctl({"holiday", "list"}).out, "2027-01-18\n");

    CtlRun run = ctl({"process", "REQ0001", "--quantity", "25", "--need-date", "2027-13-01"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("not a date")) << run.err.toStdString();
    run = ctl({"process", "REQ0001", "--quantity", "25", "--need-date", "2099-01-15"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(sqlite("select Need_Date from ReqmList"), "2099-01-15");
    EXPECT_EQ(sqlite("select Count from TaskList"), "25");
    // The purchase order is needed by the day the work must start.
    EXPECT_EQ(sqlite("select Need_Date from PurcList"), "2099-01-14"); // Thursday 15th and most of Wednesday
    run = ctl({"schedule", "REQ0001"});
    EXPECT_TRUE(run.out.contains("NEED\t2099-01-15\ton time")) << run.out.toStdString();
    run = ctl({"tasks", "--resource", "LINE"});
    EXPECT_EQ(run.out, "REQ0001\t0\tKIT\t10\tLINE\t25\t12.5\tPending\n");

    ui.answers = {kAnswerYes};
    ASSERT_EQ(ctl({"--yes", "receive", sqlite("select PO_nBr from PurcList")}).code, 0);
    EXPECT_EQ(ctl({"--yes", "complete", "REQ0001", "--quantity", "30"}).code, 1);
    EXPECT_EQ(ctl({"--yes", "complete", "REQ0001", "--quantity", "10"}).code, 0);
    EXPECT_EQ(ctl({"stock", "check"}).code, 0);
    EXPECT_EQ(ctl({"--yes", "complete", "REQ0001", "--quantity", "15"}).code, 0);
    run = ctl({"stock", "check"});
    EXPECT_EQ(run.code, 0) << run.out.toStdString();
    EXPECT_EQ(sqlite("select Stock from PartList where Part_nBr = 'KIT'"), "25");
    EXPECT_EQ(sqlite("select Status from TaskList"), "Done");
    EXPECT_EQ(sqlite("select Status from ReqmList"), "Complete");
    EXPECT_EQ(ctl({"tasks", "--status", "Pending"}).out, "");

    EXPECT_EQ(ctl({"holiday", "remove", "2027-01-18"}).code, 0);
    EXPECT_EQ(ctl({"holiday", "remove", "2027-01-18"}).code, 1);
    EXPECT_EQ(ctl({"holiday", "list"}).out, "");
}

TEST_F(OrdersCtlTest, ThePurchaseLinesFollowProcessPartialReceiptsAndCancellation)
{
    addPart("KIT", 0, 0, {}, {}, 0, 0, "M");
    addPart("R1", 0, 0, "DIGI", {}, 0.1);
    addPart("C1", 0, 0, "DIGI", {}, 0.2);
    addBom("KIT", "R1", 2);
    addBom("KIT", "C1", 1, 2);
    addRequirement("REQ0001", "KIT", 0);
    ASSERT_EQ(ctl({"process", "REQ0001", "--quantity", "10"}).code, 0);
    const QString po = sqlite("select PO_nBr from PurcList");
    CtlRun run = ctl({"po", "lines"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "PO_nBr\tLine\tPart_nBr\tOrdered\tReceived\tOpen\tLine_Status\tOrder_Status\n" + po
                           + "\t1\tR1\t20\t0\t20\tPending\tPending\n" + po + "\t2\tC1\t10\t0\t10\tPending\tPending\n");

    // A partial receipt: the line's received quantity, and what is still open.
    run = ctl({"--yes", "receive", po, "--part", "R1", "--quantity", "15"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    run = ctl({"po", "lines", "R1"});
    EXPECT_EQ(run.out, "PO_nBr\tLine\tPart_nBr\tOrdered\tReceived\tOpen\tLine_Status\tOrder_Status\n" + po
                           + "\t1\tR1\t20\t15\t5\tPartial\tPending\n");
    EXPECT_EQ(ctl({"stock", "check"}).code, 0);

    // Cancelling deletes the pending order and its lines with it.
    ASSERT_EQ(ctl({"--yes", "cancel", "REQ0001"}).code, 0);
    EXPECT_EQ(sqlite("select count(*) from PurcList"), "0");
    EXPECT_EQ(ctl({"po", "lines"}).out, "PO_nBr\tLine\tPart_nBr\tOrdered\tReceived\tOpen\tLine_Status\tOrder_Status\n");
    EXPECT_EQ(ctl({"po", "lines", "a", "b"}).code, 2);
}
