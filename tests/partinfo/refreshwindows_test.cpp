// Refresh from the windows, offscreen against the distributors' stand-in:
// the sources grid's Refresh and the Order dialog's run the refresh through
// the window hook and say what it did; Transfer of an offer makes a source.
// With KOLT_SHOT_DIR set, the windows are saved there as PNG files.
#include "controls/minimenu.h"
#include "core/tabledefs.h"
#include "core/windowhooks.h"
#include "db/database.h"
#include "db/sources.h"
#include "grid/gridview.h"
#include "orders/requirements.h"
#include "partinfo/epartinfo.h"
#include "partinfo/offerstable.h"
#include "partinfo/providers.h"
#include "partinfo/standin.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QVBoxLayout>

namespace {

class RefreshWindowTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "partinfo_widget_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
        DataFolderTest::SetUp();
        qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
        qputenv("XDG_CACHE_HOME", (dir.path() + "/cache").toUtf8());
        RegisterPartinfoWindows();
    }

    static void shot(QWidget& window, const QString& name)
    {
        const QString folder = qEnvironmentVariable("KOLT_SHOT_DIR");
        if (folder.isEmpty())
            return;
        window.show();
        QApplication::processEvents();
        window.grab().save(folder + QLatin1Char('/') + name);
    }
};

} // namespace

TEST_F(RefreshWindowTest, TheSourcesGridsRefreshAsksAndSaysWhatItDid)
{
    StandInService service(QStringLiteral("distributors.py"), {});
    if (!service.running())
        GTEST_SKIP() << service.why().toStdString();
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr, Mfr_Part_nBr) values ('R1', 'RC0603FR-0710KL'), "
                        "('U1', 'NE555P')"));
    SourceRecord mine;
    mine.part = "R1";
    mine.vendor = "MOUS";
    mine.orderCode = "595-RC0603FR-0710KL";
    mine.preferred = true;
    ASSERT_TRUE(SaveSource(mine));

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* menu = new CMiniMenu(&window);
    menu->setup(SrcList);
    auto* grid = new CGridView(&window);
    layout->addWidget(menu);
    layout->addWidget(grid);
    window.resize(1100, 360);
    grid->Load(SrcList);
    ASSERT_EQ(grid->model().rowCount(), 1);

    // Without an account the window asks to set one up; No leaves everything.
    ui.answers = {kAnswerNo};
    grid->refreshSources();
    EXPECT_TRUE(ui.saw("No distributor's account is set up"));
    EXPECT_EQ(grid->model().rowCount(), 1);

    QString error;
    ASSERT_TRUE(SetProviderValues("mouser", {{"key", "MOUSER-KEY"}, {"address", service.address()}}, &error));
    ui.clear();
    grid->RecordCommand(6); // Refresh, after Price Breaks
    // Only the parts shown: R1.
    EXPECT_TRUE(ui.saw("1 parts, 1 offers, 0 not found, 0 obsolete")) << (ui.messages.empty() ? std::string() : ui.messages.back().text.toStdString());
    EXPECT_GE(ui.progressOpened, 1);
    EXPECT_EQ(ui.progressOpened, ui.progressClosed);
    EXPECT_EQ(sqlite("select Vendor_Stock from SrcList where Part_nBr = 'R1'"), "412000");
    shot(window, "sources-refresh.png");

    // With the grid empty, every part with a manufacturer part number.
    ASSERT_TRUE(Execute("delete from SrcList"));
    grid->Load(SrcList);
    ui.clear();
    grid->refreshSources();
    EXPECT_TRUE(ui.saw("2 parts, 2 offers, 0 not found, 1 obsolete"));
    EXPECT_EQ(grid->model().rowCount(), 2);
}

TEST_F(RefreshWindowTest, TheOrderDialogRefreshesItsBill)
{
    StandInService service(QStringLiteral("distributors.py"), {});
    if (!service.running())
        GTEST_SKIP() << service.why().toStdString();
    QString error;
    ASSERT_TRUE(SetProviderValues("mouser", {{"key", "MOUSER-KEY"}, {"address", service.address()}}, &error));
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr, Mfr_Part_nBr, Make) values ('R1', 'RC0603FR-0710KL', 'Buy'), "
                        "('C9', 'GRM188R71H104KA93D', 'Buy'), ('TOP', '', 'Make')"));
    ASSERT_TRUE(Execute("insert into AssyList (Assy, Item, Part_nBr, Quan) values ('TOP', 1, 'R1', 2)"));
    ASSERT_TRUE(Execute("insert into ReqmList (Order_nBr, Assy, Quan, Created, Status) values "
                        "('ORD1', 'TOP', '5', '2026-01-02 10:00:00', 'Created')"));
    CRequirements dialog("ORD1");
    QAbstractButton* refresh = dialog.findChild<QAbstractButton*>("refreshSources");
    ASSERT_NE(refresh, nullptr);
    shot(dialog, "order-refresh.png");
    refresh->click();
    EXPECT_TRUE(ui.saw("1 parts, 1 offers, 0 not found, 0 obsolete"))
        << (ui.messages.empty() ? std::string() : ui.messages.back().text.toStdString());
    EXPECT_EQ(sqlite("select Part_nBr from SrcList"), "R1");
}

TEST_F(RefreshWindowTest, TransferMakesTheSelectedOfferASource)
{
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr) values ('R1')"));
    const QString id = sqlite("select id from PartList where Part_nBr = 'R1'");
    CEPartInfo dialog(nullptr, "RC0603FR-0710KL", id.toInt(), "http://127.0.0.1:1");
    Offer offer;
    offer.provider = "mouser";
    offer.distributor = "Mouser";
    offer.orderCode = "595-RC0603FR-0710KL";
    offer.mpn = "RC0603FR-0710KL";
    offer.currency = "USD";
    offer.stock = 100;
    offer.breaks = {{1, 0.1}, {10, 0.05}};
    dialog.offerList()->show({offer});
    dialog.offerList()->selectRow(0);
    ASSERT_TRUE(dialog.transfer());
    EXPECT_TRUE(dialog.changedData());
    EXPECT_TRUE(ui.saw("is a source of part R1"));
    EXPECT_EQ(sqlite("select Vendor, Order_Code, Vendor_Stock from SrcList"), "Mouser|595-RC0603FR-0710KL|100");
    EXPECT_EQ(sqlite("select count(*) from BrkList"), "2");
}
