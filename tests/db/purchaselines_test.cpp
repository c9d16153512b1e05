// Purchase-order lines kept as rows beside the orders' Item_List: brought
// forward from a shop that only had the packed lists, written with every
// change of a list, and read by the ledger without parsing.
#include "support/testsupport.h"

#include "core/format.h"
#include "core/itemlist.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/purchaseorders.h"
#include "db/schema.h"
#include "db/stockledger.h"

namespace {

bool addOrder(const QString& number, const QString& status, const std::vector<ItemRow>& rows)
{
    return Execute(SqlFormat("insert into PurcList (PO_nBr, Status, Item_List) values ('%s', '%s', '%s')",
                             {number, status, BuildItemList(rows)}));
}

// The lines as the table holds them: "PO line item part code quan ordered received price status".
QString linesText()
{
    QStringList text;
    for (const OpenPurchaseLine& open : ReadAllPurchaseLines()) {
        const PurchaseLine& l = open.line;
        text << Format("%s %i %s %s %s %s %s %s %s %s",
                       {l.number, l.line, l.item, l.part, l.orderCode, l.quantity, QString::number(l.ordered),
                        QString::number(l.received), QString::number(l.price), l.status});
    }
    return text.join(QLatin1Char('\n'));
}

int statementsOf(const std::function<void()>& work)
{
    static int count = 0;
    count = 0;
    ObserveStatements([](const QByteArray&, int) { ++count; });
    work();
    ObserveStatements(nullptr);
    return count;
}

} // namespace

TEST_F(DataFolderTest, AShopOfVersionTenGainsTheLinesOfItsPackedOrders)
{
    // The shop as the release before wrote it: the lines only packed in Item_List.
    sqlite("drop table PurcLine");
    if (TestOnServer())
        sqlite("update SchemaVersion set Version = 10");
    else
        sqlite("PRAGMA user_version = 10");
    ASSERT_EQ(StoredSchemaVersion(), 10);
    ASSERT_TRUE(addOrder("P0001", "Placed",
                         {{"1", "10", "R1", "Resistor", "0.10", "1.00", "Partial", "DK-R1", "4"},
                          {"2", "5", "U'1", "Chip | big", "2.5", "12.50", "Pending"}}));
    ASSERT_TRUE(addOrder("P0002", "Closed", {{"1", "7", "R1", "Resistor", "0.10", "0.70", "Received"}}));
    // A quantity that is no plain number stays as written: the ledger names it.
    ASSERT_TRUE(addOrder("P0003", "Pending", {{"1", "3x", "C1", "Cap", "1", "3", "Pending"}}));
    ASSERT_TRUE(addOrder("P0004", "Pending", {}));
    const QString listsBefore = sqlite("select PO_nBr, Item_List from PurcList order by id");

    ASSERT_TRUE(InitializeDatabase()) << (ui.messages.empty() ? "" : ui.messages.back().text.toStdString());
    EXPECT_EQ(StoredSchemaVersion(), CurrentSchemaVersion());
    ASSERT_TRUE(hasTable("PurcLine"));
    EXPECT_EQ(linesText(), "P0001 1 1 R1 DK-R1 10 10 4 0.1 Partial\n"
                           "P0001 2 2 U'1  5 5 0 2.5 Pending\n"
                           "P0002 1 1 R1  7 7 0 0.1 Received\n"
                           "P0003 1 1 C1  3x 3 0 1 Pending");
    // The packed lists stay what the window, the printout and the export show.
    EXPECT_EQ(sqlite("select PO_nBr, Item_List from PurcList order by id"), listsBefore);
    // The parts on order are asked of the lines by part.
    const std::vector<OpenPurchaseLine> r1 = ReadPurchaseLinesOfPart("R1");
    ASSERT_EQ(r1.size(), 2u);
    EXPECT_EQ(r1[0].orderStatus, "Placed");
    EXPECT_EQ(r1[1].orderStatus, "Closed");

    // On order: what the open orders still have to deliver; the closed order
    // nothing; the line that is no plain number is named and counts nothing.
    ui.clear();
    bool ok = true;
    const QHash<QString, LedgerFigures> ledger = ComputeStockLedger(&ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(ui.saw("P0003 C1")) << (ui.messages.empty() ? "" : ui.messages.back().text.toStdString());
    EXPECT_DOUBLE_EQ(ledger.value("R1").onOrder, 6);
    EXPECT_DOUBLE_EQ(ledger.value("U'1").onOrder, 5);
    EXPECT_DOUBLE_EQ(ledger.value("C1").onOrder, 0);
}

TEST_F(DataFolderTest, EveryWriteOfAnItemListWritesItsLinesInAFewStatements)
{
    ASSERT_TRUE(addOrder("P0001", "Pending", {}));
    ASSERT_TRUE(addOrder("P0002", "Placed", {}));
    ASSERT_TRUE(Execute("update PurcList set Order_nBr = 'REQ0001'"));
    auto rowsOf = [](int count) {
        std::vector<ItemRow> rows;
        for (int i = 1; i <= count; ++i)
            rows.push_back({QString::number(i), "2", Format("R%i", {i}), "", "1", "2", "Pending"});
        return rows;
    };
    // The same few statements for two lines and for three hundred.
    const int few = statementsOf([&] {
        EXPECT_TRUE(WritePurchaseOrderFields("P0001", {{"Item_List", BuildItemList(rowsOf(2))}}));
    });
    const int many = statementsOf([&] {
        EXPECT_TRUE(WritePurchaseOrderFields("P0002", {{"Item_List", BuildItemList(rowsOf(300))}}));
    });
    EXPECT_EQ(few, 3);
    EXPECT_EQ(many, few);
    EXPECT_EQ(sqlite("select count(*) from PurcLine where PO_nBr = 'P0001'"), "2");
    EXPECT_EQ(sqlite("select count(*) from PurcLine where PO_nBr = 'P0002'"), "300");

    // Fields other than the lines leave them alone.
    EXPECT_TRUE(WritePurchaseOrderFields("P0002", {{"Notes", "call first"}}));
    EXPECT_EQ(sqlite("select count(*) from PurcLine where PO_nBr = 'P0002'"), "300");

    // A new list replaces the old lines, never adds to them.
    EXPECT_TRUE(WritePurchaseOrderFields("P0002", {{"Item_List", BuildItemList(rowsOf(1))}}));
    EXPECT_EQ(sqlite("select count(*) from PurcLine where PO_nBr = 'P0002'"), "1");

    // Cancelling deletes the pending orders and their lines; a placed one keeps both.
    EXPECT_TRUE(DeletePendingPurchaseOrders("REQ0001"));
    EXPECT_EQ(sqlite("select PO_nBr from PurcLine order by PO_nBr"), "P0002");

    // An order gone from the table by any other road loses its lines when refreshed.
    ASSERT_TRUE(Execute("delete from PurcList where PO_nBr = 'P0002'"));
    EXPECT_TRUE(RefreshPurchaseLines({"P0002"}));
    EXPECT_EQ(sqlite("select count(*) from PurcLine"), "0");
}
