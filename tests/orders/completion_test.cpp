// Completing a build: the finished units into stock, their components out,
// made sub-assemblies in and out, the rest left open for a later completion,
// every movement in the ledger.
#include "orders/ordersfixture.h"

#include "db/database.h"
#include "db/stockledger.h"
#include "orders/completion.h"
#include "orders/purchaseorder.h"
#include "orders/requirement.h"

class CompletionTest : public OrdersTest
{
protected:
    // A kit of one made board (2 resistors) and 4 screws bought for the build.
    void SetUp() override
    {
        OrdersTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addPart("KIT", 0, 0, {}, {}, 0, 0, "M");
        addPart("BOARD", 0, 0, {}, {}, 0, 0, "M");
        addPart("R1", 100, 0, "DIGI");
        addPart("SCREW", 0, 0, "FASTCO");
        addBom("KIT", "BOARD", 1, 1);
        addBom("KIT", "SCREW", 4, 2);
        addBom("BOARD", "R1", 2, 1);
        addStep("KIT", "10", 0.5, "Assemble");
        addRequirement("REQ0001", "KIT", 0);
        ASSERT_TRUE(ProcessRequirement("REQ0001", 25, "KIT").done);
        ui.answers = {kAnswerYes};
        ASSERT_EQ(ReceivePurchaseOrder(sqlite("select PO_nBr from PurcList")), kAnswerYes);
        ui.clear();
    }

    QString moves(const QString& part) const
    {
        return realText("select Kind, Quantity from MoveList where Part_nBr = '" + part
                        + "' and Document = 'REQ0001' order by id");
    }
    bool ledgerAgrees() const
    {
        bool ok = false;
        return CheckStockFigures(&ok).empty() && ok;
    }
};

TEST_F(CompletionTest, TwoPartialCompletionsBuildTheWholeOrderAndKeepTheLedger)
{
    ASSERT_EQ(partValue("SCREW", "Stock"), "100.0");
    ASSERT_EQ(partValue("R1", "Allocated"), "50.0");

    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CompleteOrder("REQ0001", 10));
    EXPECT_EQ(partValue("KIT", "Stock"), "10.0");
    EXPECT_EQ(partValue("BOARD", "Stock"), "0.0"); // built and used at once
    EXPECT_EQ(partValue("R1", "Stock"), "80.0");
    EXPECT_EQ(partValue("R1", "Allocated"), "30.0");
    EXPECT_EQ(partValue("SCREW", "Stock"), "60.0");
    EXPECT_EQ(partValue("SCREW", "Allocated"), "60.0");
    EXPECT_EQ(sqlite("select Status, Built from ReqmList"), "PO Gen|10");
    EXPECT_EQ(sqlite("select distinct Status from TaskList"), "Pending");
    EXPECT_TRUE(ledgerAgrees());

    // More than is still open is refused and changes nothing.
    const QString before = dump();
    EXPECT_FALSE(CompleteOrder("REQ0001", 16));
    EXPECT_TRUE(ui.saw("The quantity to complete must be greater than 0 and not above 15"));
    EXPECT_EQ(dump(), before);

    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CompleteOrder("REQ0001", 15));
    EXPECT_EQ(partValue("KIT", "Stock"), "25.0");
    EXPECT_EQ(partValue("R1", "Stock"), "50.0");
    EXPECT_EQ(partValue("R1", "Allocated"), "0.0");
    EXPECT_EQ(partValue("SCREW", "Stock"), "0.0");
    EXPECT_EQ(partValue("SCREW", "Allocated"), "0.0");
    EXPECT_EQ(sqlite("select Status, Built from ReqmList"), "Complete|25");
    EXPECT_EQ(sqlite("select distinct Status from TaskList"), "Done");
    EXPECT_TRUE(ledgerAgrees());

    // The ledger shows every movement, the board both ways.
    EXPECT_EQ(moves("KIT"), "Build|10.0\nBuild|15.0");
    EXPECT_EQ(moves("BOARD"), "Build|10.0\nConsumption|-10.0\nBuild|15.0\nConsumption|-15.0");
    EXPECT_EQ(moves("R1"), "Consumption|-20.0\nConsumption|-30.0");
    EXPECT_EQ(moves("SCREW"), "Consumption|-40.0\nConsumption|-60.0");
    // The movements, from the opening 100, add up to the stock figure: 50.
    EXPECT_EQ(realText("select sum(Quantity) from MoveList where Part_nBr = 'R1'"), "50.0");

    // A complete order is left as it is.
    ui.answers = {kAnswerYes};
    EXPECT_FALSE(CompleteOrder("REQ0001", 1));
    EXPECT_EQ(partValue("KIT", "Stock"), "25.0");
}

TEST_F(CompletionTest, CompletingTheRestInOneGoAndCancellingWhatIsLeft)
{
    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CompleteOrder("REQ0001", 5));
    // Cancelling now releases only what the 20 open units still hold.
    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CancelOrder("REQ0001"));
    EXPECT_EQ(partValue("R1", "Allocated"), "0.0");
    EXPECT_EQ(partValue("R1", "Stock"), "90.0");
    EXPECT_EQ(partValue("KIT", "Stock"), "5.0");
    EXPECT_TRUE(ledgerAgrees());

    // Without a quantity a completion finishes everything still open.
    addRequirement("REQ0002", "KIT", 0);
    ASSERT_TRUE(ProcessRequirement("REQ0002", 2, "KIT").done);
    ui.answers = {kAnswerYes};
    ASSERT_TRUE(CompleteOrder("REQ0002"));
    EXPECT_EQ(partValue("KIT", "Stock"), "7.0");
    EXPECT_EQ(sqlite("select Status, Built from ReqmList where Order_nBr = 'REQ0002'"), "Complete|2");
    EXPECT_EQ(sqlite("select distinct Status from TaskList where Requirement = 'REQ0002'"), "Done");
    EXPECT_TRUE(ledgerAgrees());
}
