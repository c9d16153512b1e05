#include "orders/ordersfixture.h"

#include "core/format.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/stockledger.h"
#include "bom/rollup.h"
#include "orders/completion.h"
#include "orders/purchaseorder.h"
#include "orders/requirement.h"

namespace {

int g_statements = 0;

void countStatement(const QByteArray&, int)
{
    ++g_statements;
}

// Counts the statements handed to the database while it lives: on a server,
// the round trips a desk waits for.
class StatementCounter
{
public:
    StatementCounter()
    {
        g_statements = 0;
        ObserveStatements(countStatement);
    }
    ~StatementCounter() { ObserveStatements(nullptr); }
    int count() const { return g_statements; }
};

} // namespace

class ProcessStatementTest : public OrdersTest
{
protected:
    // A product of `size` purchased parts from size / 4 distributors, two
    // levels of sub-assemblies, some stock, and a routing step per assembly.
    void buildProduct(const QString& top, int size)
    {
        for (int v = 0; v < size / 4; ++v)
            addVendor(Format("%s-V%i", {top, v}), "1 Main St", "Springfield");
        for (int s = 0; s < size / 4; ++s) {
            const QString sub = Format("%s-S%i", {top, s});
            addPart(sub, 0, 0, {}, {}, 1, 0, "Make");
            addBom(top, sub, 2, s + 1);
            addStep(sub, "10", 1.5);
        }
        for (int i = 0; i < size; ++i) {
            const QString part = Format("%s-P%i", {top, i});
            addPart(part, i % 3 == 0 ? 100 : 0, 0, Format("%s-V%i", {top, i % (size / 4)}));
            addBom(Format("%s-S%i", {top, i % (size / 4)}), part, 3, i + 1);
        }
        addStep(top, "10", 2);
    }

    int processStatements(const QString& order, const QString& top)
    {
        addRequirement(order, top, 2);
        const StatementCounter counter;
        const ProcessOutcome outcome = ProcessRequirement(order, 2, top);
        EXPECT_TRUE(outcome.done) << order.toStdString();
        return counter.count();
    }
};

TEST_F(ProcessStatementTest, ProcessSendsAsManyStatementsForABillTenTimesLarger)
{
    buildProduct("SMALL", 16);
    buildProduct("LARGE", 160);
    const int small = processStatements("REQ0001", "SMALL");
    const int large = processStatements("REQ0002", "LARGE");
    EXPECT_EQ(large, small);
    EXPECT_LE(small, 40) << "a handful per table, none per part";

    // The sets were written whole: every part allocated, every vendor ordered
    // from with its address, every step a task.
    EXPECT_EQ(sqlite("select count(*) from PurcList where Order_nBr = 'REQ0002'"), "40");
    EXPECT_EQ(sqlite("select count(*) from TaskList where Requirement = 'REQ0002'"), "41");
    EXPECT_EQ(sqlite("select count(distinct Part_nBr) from AlloList where Requirement = 'REQ0002'"), "160");
    EXPECT_EQ(sqlite("select count(*) from PurcList where Order_nBr = 'REQ0002' and Vendor_Address not like '1 Main St/%'"),
              "0");
    // The part with stock was covered from it, the others ordered; the
    // figures agree with the ledger.
    EXPECT_EQ(partValue("LARGE-P0", "Allocated"), "12.0");
    EXPECT_EQ(partValue("LARGE-P0", "On_Order"), "0.0");
    EXPECT_EQ(partValue("LARGE-P1", "On_Order"), "12.0");
    EXPECT_TRUE(CheckStockFigures().empty());
}

TEST_F(ProcessStatementTest, FiguresOfASetAreReadAndWrittenInOneStatementEach)
{
    addPart("A", 5, 1);
    addPart("B", 0, 2);
    addPart("QUOTE'D", 1, 0);
    addPart("A", 9, 9); // entered twice: the first record answers, both take the write
    {
        const StatementCounter counter;
        const QHash<QString, PartFigures> figures = ReadPartFigures({"A", "B", "QUOTE'D", "MISSING"});
        EXPECT_EQ(counter.count(), 1);
        EXPECT_EQ(figures.size(), 3);
        EXPECT_DOUBLE_EQ(figures.value("A").stock, 5);
        EXPECT_DOUBLE_EQ(figures.value("B").allocated, 2);
        EXPECT_DOUBLE_EQ(figures.value("QUOTE'D").stock, 1);
    }
    {
        const StatementCounter counter;
        EXPECT_TRUE(AddToPartFigure("Stock", {{"A", 2}, {"B", -3}, {"QUOTE'D", 4}, {"MISSING", 1}}, true));
        EXPECT_EQ(counter.count(), 2);
    }
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr = 'A' and Stock = '7'"), "2");
    EXPECT_EQ(partValue("B", "Stock"), "0.0"); // held at zero
    EXPECT_EQ(realText("select Stock from PartList where Part_nBr = 'QUOTE''D'"), "5.0");
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr = 'MISSING'"), "0");
}

TEST_F(ProcessStatementTest, RollupLoadCompleteAndCancelSendAsManyStatementsForABillTenTimesLarger)
{
    buildProduct("SMALL", 16);
    int smallRollup = 0;
    {
        const StatementCounter counter;
        ASSERT_GE(RunCostRollup(1), 0);
        smallRollup = counter.count();
    }
    buildProduct("LARGE", 160);
    int largeRollup = 0;
    {
        const StatementCounter counter;
        ASSERT_GE(RunCostRollup(1), 0);
        largeRollup = counter.count();
    }
    EXPECT_EQ(largeRollup, smallRollup) << "prices are written as a set";
    EXPECT_LE(smallRollup, 12);
    // Every sub-assembly holds four parts, three each at 1.00, whichever set
    // of statements wrote it.
    EXPECT_DOUBLE_EQ(sqlite("select Price from PartList where Part_nBr = 'SMALL-S0'").toDouble(), 12);
    EXPECT_DOUBLE_EQ(sqlite("select Price from PartList where Part_nBr = 'LARGE-S39'").toDouble(), 12);

    addRequirement("REQ0001", "SMALL", 2);
    addRequirement("REQ0002", "LARGE", 2);
    ASSERT_TRUE(ProcessRequirement("REQ0001", 2, "SMALL").done);
    ASSERT_TRUE(ProcessRequirement("REQ0002", 2, "LARGE").done);

    // A purchase order and its vendor's address are one statement each.
    const QString number = sqlite("select PO_nBr from PurcList where Order_nBr = 'REQ0002' order by id limit 1");
    ASSERT_FALSE(number.isEmpty());
    {
        const StatementCounter counter;
        const PurchaseOrderRecord record = LoadPurchaseOrder(number);
        EXPECT_EQ(counter.count(), 1);
        EXPECT_EQ(record.value("Order_nBr"), "REQ0002");
        EXPECT_EQ(record.value("Status"), sqlite("select Status from PurcList where PO_nBr = '" + number + "'"));
        EXPECT_TRUE(record.value("Item_List").contains("LARGE-P")) << record.value("Item_List").toStdString();
        const StatementCounter vendorCounter;
        const VendorContact contact = LookupVendor(record.value("Vendor"));
        EXPECT_EQ(vendorCounter.count(), 1);
        EXPECT_TRUE(contact.address.startsWith("1 Main St\r\nSpringfield,")) << contact.address.toStdString();
    }

    // Completion and cancellation work on the requirement's allocations as sets.
    auto complete = [&](const QString& order) {
        ui.answers = {kAnswerYes};
        const StatementCounter counter;
        EXPECT_TRUE(CompleteOrder(order, 1));
        return counter.count();
    };
    EXPECT_EQ(complete("REQ0002"), complete("REQ0001"));
    auto cancel = [&](const QString& order) {
        ui.answers = {kAnswerYes};
        const StatementCounter counter;
        EXPECT_TRUE(CancelOrder(order));
        return counter.count();
    };
    EXPECT_EQ(cancel("REQ0002"), cancel("REQ0001"));
    EXPECT_EQ(sqlite("select count(*) from AlloList where Requirement = 'REQ0002'"), "0");
    EXPECT_TRUE(CheckStockFigures().empty());
}

TEST_F(ProcessStatementTest, ABillOfThousandsOfPartsTakesNoStatementPerFewHundredParts)
{
    buildProduct("SMALL", 16);
    for (int v = 0; v < 4; ++v)
        addVendor(Format("BULK-V%i", {v}), "1 Main St", "Springfield");
    addPart("BULK", 0, 0, {}, {}, 1, 0, "Make");
    // Past the size at which reads by name were cut into slices of a few
    // hundred: each slice was a round trip more.
    const char* const numbers = "with recursive n(i) as (select 1 union all select i + 1 from n where i < 2600) ";
    ASSERT_TRUE(Execute(QString::fromLatin1(numbers)
                        + "insert into PartList (Part_nBr,Description,Distributor,Make,Price,Currency,Stock,On_Order,"
                          "Allocated,Loss) select 'BULK-P' || i, 'bulk', 'BULK-V' || (i % 4), '', 1, 'USD', 0, 0, 0, 0 "
                          "from n"));
    ASSERT_TRUE(Execute(QString::fromLatin1(numbers)
                        + "insert into AssyList (Assy,Item,Part_nBr,Quan) select 'BULK', i, 'BULK-P' || i, 2 from n"));
    const int small = processStatements("REQ0001", "SMALL");
    const int bulk = processStatements("REQ0002", "BULK");
    // A slice more where either database's limit on values asks for one,
    // never one per few hundred parts (that was 20 more here).
    EXPECT_LE(bulk, small + 5);
    EXPECT_EQ(sqlite("select count(*) from AlloList where Requirement = 'REQ0002'"), "2600");
}
