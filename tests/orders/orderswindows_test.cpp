// Offscreen tests of the Order dialog's purchasing preview and ends, and of
// what the purchase-order dialog shows and warns about.
#include "orders/ordersfixture.h"
#include "support/windowtest.h"

#include "controls/imagebutton.h"
#include "core/itemlist.h"
#include "db/database.h"
#include "db/parameters.h"
#include "grid/smallgrid.h"
#include "orders/purchaseorderdialog.h"
#include "orders/purchasingpreview.h"
#include "orders/requirements.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>

namespace {

bool enabled(QWidget& dialog, const char* name)
{
    auto* button = dialog.findChild<CImageButton*>(name);
    return button && button->isEnabled();
}

} // namespace

class OrdersWindowTest : public OrdersTest
{
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        DataFolderTest::SetUp(); // the shipped definitions
    }
};

TEST_F(OrdersWindowTest, ThePreviewShowsEachPartAndTheOrdersBeforeAnythingIsWritten)
{
    addPart("R1", 12, 0, "DIGI", {}, 0.1);
    addPart("U1", 0, 0, {}, "TI", 2.5, 10);
    addBom("BOARD", "R1", 5);
    addBom("BOARD", "U1", 1, 2);
    addRequirement("REQ0001", "BOARD", 4);
    SetParam(ParamLastPurchaseOrder, "65");
    const QString before = dump();

    CRequirements dialog("REQ0001");
    auto* quantity = dialog.findChild<QLineEdit*>("quantity");
    ASSERT_NE(quantity, nullptr);
    quantity->setText("0x10");
    dialog.preview();
    EXPECT_TRUE(ui.saw("The quantity must be a positive number in plain decimal"));
    EXPECT_EQ(dialog.findChild<CPurchasingPreview*>(), nullptr);

    quantity->setText("4");
    dialog.preview();
    auto* preview = dialog.findChild<CPurchasingPreview*>();
    ASSERT_NE(preview, nullptr);
    QTableWidget* table = preview->table();
    ASSERT_EQ(table->rowCount(), 2);
    QStringList first;
    for (int c = 0; c < table->columnCount(); ++c)
        first << table->item(0, c)->text();
    EXPECT_EQ(first, QStringList({"R1", "20", "12", "0", "12", "8", "8", "DIGI", "P0066", "0", "8", "", "0.10",
                                  "0.80", "USD", "", ""}));
    EXPECT_EQ(table->item(1, 6)->text(), "4"); // 4 with 10 % loss is 4.4: the line asks for 4
    EXPECT_EQ(preview->orders()->text(), "P0066:  Vendor:DIGI Items:1\nP0067:  Vendor:TI Items:1");
    KeepShot(*preview, "purchasing-preview");
    preview->close();
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(dialog.stage(), 0);
}

TEST_F(OrdersWindowTest, CloseAndCancelAreOffOnAFinishedRequirement)
{
    addPart("R1", 10, 0, "DIGI");
    addBom("BOARD", "R1", 1);
    addRequirement("REQ0001", "BOARD", 2);
    {
        CRequirements dialog("REQ0001");
        EXPECT_TRUE(enabled(dialog, "preview"));
        EXPECT_TRUE(enabled(dialog, "closeOrder"));
        dialog.process();
        EXPECT_FALSE(enabled(dialog, "process"));
        EXPECT_FALSE(enabled(dialog, "preview"));
        EXPECT_TRUE(enabled(dialog, "closeOrder"));
        EXPECT_TRUE(enabled(dialog, "cancelOrder"));
        ui.answers = {kAnswerYes};
        dialog.completeOrder();
    }
    EXPECT_EQ(partValue("R1", "Stock"), "8");
    CRequirements dialog("REQ0001");
    EXPECT_EQ(dialog.stage(), 3);
    EXPECT_FALSE(enabled(dialog, "closeOrder"));
    EXPECT_FALSE(enabled(dialog, "cancelOrder"));
    KeepShot(dialog, "order-complete");
}

TEST_F(OrdersWindowTest, ThePurchaseOrderShowsItsValueAndWarnsAboutLinesWithoutAPrice)
{
    // An order written without its Value: the dialog shows the total, and
    // closing it untouched asks nothing.
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Vendor,Status,Value,Tax_Rate,Shipping_Cost,Date,Need_Date,"
                        "Item_List) values ('P0001','DIGI','Pending','','10','5','2026-02-01 09:00:00',"
                        "'2026-03-01 00:00:00',"
                        "'1\n4\nR1\nRes\n0.50\n2.00\nPending\n\r2\n2\nU1\nChip\n0.00\n0.00\nPending\n\r')"));
    {
        CPurchaseOrder dialog("P0001");
        EXPECT_EQ(dialog.currentFields()["Value"], "7.20"); // 2.00 + 10 % + 5
        KeepShot(dialog, "purchase-order-value");
        dialog.reject();
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();
    }
    {
        ui.clear();
        CPurchaseOrder dialog("P0001");
        ui.answers = {kAnswerNo};
        dialog.print(); // No: nothing goes to a printer
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "Lines priced 0.00: 2 U1\nPrint anyway?");
        dialog.save();
    }
    EXPECT_EQ(sqlite("select Value||'|'||Need_Date from PurcList"), "7.20|2026-03-01 00:00:00");
}

TEST_F(OrdersWindowTest, ARefusedWriteKeepsThePurchaseOrderOpenWithItsEdits)
{
    addPart("R1", 0, 0, "DIGI");
    ASSERT_TRUE(Execute("update PartList set On_Order='4'"));
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Vendor,Status,Date,Item_List) values ('P0001','DIGI','Pending',"
                        "'2026-02-01 09:00:00','1\n4\nR1\nRes\n0.50\n2.00\nPending\n\r')"));
    const QString before = dump();
    CPurchaseOrder dialog("P0001");
    auto* status = dialog.findChild<QComboBox*>("status");
    ASSERT_NE(status, nullptr);
    status->setCurrentText("Closed");
    ui.answers = {kAnswerYes};
    InjectStatementFailure(3);
    dialog.statusChosen();
    InjectStatementFailure(0);
    EXPECT_TRUE(ui.saw("Nothing was written"));
    EXPECT_EQ(status->currentText(), "Pending"); // "OK" now cannot close it unreceived
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dump(), before);

    ui.clear();
    auto* shipping = dialog.findChild<QLineEdit*>("Shipping_Cost");
    ASSERT_NE(shipping, nullptr);
    shipping->setText("9");
    InjectStatementFailure(2);
    dialog.save();
    InjectStatementFailure(0);
    EXPECT_TRUE(ui.saw("Nothing was written"));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(shipping->text(), "9");
    dialog.save();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(sqlite("select Shipping_Cost from PurcList"), "9");
}

TEST_F(OrdersWindowTest, TheOrderDialogTakesANeedDateAndCompletesPartOfTheBuild)
{
    addPart("KIT", 0, 0, {}, {}, 0, 0, "M");
    addPart("R1", 100, 0, "DIGI");
    addBom("KIT", "R1", 2);
    addRequirement("REQ0001", "KIT", 5);
    CRequirements dialog("REQ0001");
    auto* need = dialog.findChild<QLineEdit*>("needDate");
    ASSERT_NE(need, nullptr);
    need->setText("no date");
    dialog.process();
    EXPECT_TRUE(ui.saw("Not a date: no date"));
    EXPECT_EQ(dialog.stage(), 0);
    need->setText("2099-01-15");
    dialog.process();
    EXPECT_EQ(dialog.stage(), 1);
    EXPECT_EQ(sqlite("select Need_Date from ReqmList"), "2099-01-15");

    auto* part = dialog.findChild<QLineEdit*>("completeQuantity");
    ASSERT_NE(part, nullptr);
    part->setText("2");
    ui.answers = {kAnswerYes};
    dialog.completeOrder();
    EXPECT_EQ(partValue("KIT", "Stock"), "2");
    EXPECT_EQ(dialog.stage(), 1); // three are still open
    EXPECT_TRUE(dialog.findChild<QLabel*>("built")->text().contains("2 / 5"));
    KeepShot(dialog, "order-partly-built");
    ui.answers = {kAnswerYes};
    dialog.completeOrder();
    EXPECT_EQ(partValue("KIT", "Stock"), "5");
    EXPECT_EQ(sqlite("select Status from ReqmList"), "Complete");
}

TEST_F(OrdersWindowTest, SubCentPricesSurviveASaveAndLinesAreReceivedInPart)
{
    addPart("R1", 0, 0, "DIGI");
    ASSERT_TRUE(Execute("update PartList set On_Order='350'"));
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Vendor,Status,Date,Item_List) values ('P0001','DIGI','Pending',"
                        "'2026-02-01 09:00:00','1\n350\nR1\nRes\n0.012\n4.20\nPending\n311-R1-ND\n\r"
                        "2\n1000\nC1\nCap\n0.3214\n321.40\nPending\n\r')"));
    {
        CPurchaseOrder dialog("P0001");
        // Totals from the exact prices: 4.20 + 321.40.
        EXPECT_EQ(dialog.currentFields()["Value"], "325.60");
        auto* notes = dialog.findChild<QPlainTextEdit*>();
        ASSERT_NE(notes, nullptr);
        notes->setPlainText("call first");
        KeepShot(dialog, "purchase-order-exact-prices");
        dialog.save();
    }
    EXPECT_EQ(sqlite("select Value from PurcList"), "325.60");
    const std::vector<ItemRow> rows = ParseItemList(LoadPurchaseOrder("P0001").value("Item_List"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][kItemPrice], "0.012");
    EXPECT_EQ(rows[0][kItemTotal], "4.20");
    EXPECT_EQ(rows[0].value(kItemOrderCode), "311-R1-ND");
    EXPECT_EQ(rows[1][kItemPrice], "0.3214");

    // A line received in part from the dialog: the stored lines change and
    // the dialog shows them, with nothing of its own overwritten.
    CPurchaseOrder dialog("P0001");
    dialog.receiveLine(0, 150);
    EXPECT_EQ(partValue("R1", "Stock"), "150");
    EXPECT_EQ(partValue("R1", "On_Order"), "200");
    EXPECT_EQ(dialog.itemGrid()->record().cell(0, kItemStatus), "Partial");
    EXPECT_EQ(dialog.itemGrid()->record().cell(0, kItemReceived), "150");
    KeepShot(dialog, "purchase-order-partial");
    dialog.save();
    EXPECT_EQ(partValue("R1", "On_Order"), "200");
    EXPECT_EQ(sqlite("select count(*) from MoveList where Kind = 'Receipt'"), "1");
}
