// The dialog offscreen against the stand-in: the search on opening, a click
// on a match, the buttons, and an unreachable service.
#include "core/appstate.h"
#include "db/database.h"
#include "partinfo/epartinfo.h"
#include "partinfo/partservice.h"
#include "partinfo/standin.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QAbstractButton>
#include <QTimer>
#include <QTableWidget>

namespace {

class PartInfoDialogTest : public DataFolderTest
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
    }
    void TearDown() override
    {
        SetShowServiceAnswers(false); // the profile outlives the test
        DataFolderTest::TearDown();
    }
};

QAbstractButton* button(QWidget& dialog, const QString& text)
{
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

QString cell(const QTableWidget* list, int row, int column)
{
    const QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

} // namespace

TEST_F(PartInfoDialogTest, SearchesOnOpeningAndFetchesTheClickedMatch)
{
    StandInService service;
    if (!service.running())
        GTEST_SKIP() << service.why().toStdString();
    ASSERT_TRUE(Execute(QStringLiteral("INSERT INTO PartList (Part_nBr, Description) VALUES ('LM317T/NOPB', '')")));
    const int id = sqlite(QStringLiteral("SELECT id FROM PartList")).toInt();

    CEPartInfo dialog(nullptr, QStringLiteral("LM3"), id, service.address());
    dialog.setScrollingResponses(false);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Electronic Part Information"));
    QTableWidget* matches = dialog.matchList();
    QTableWidget* details = dialog.detailList();
    ASSERT_EQ(matches->columnCount(), 6);
    EXPECT_EQ(matches->horizontalHeaderItem(2)->text(), QStringLiteral("Cost"));
    EXPECT_EQ(matches->horizontalHeaderItem(5)->text(), QStringLiteral("uid"));
    ASSERT_EQ(details->rowCount(), 9); // and the distributor and order code Transfer can write
    EXPECT_EQ(cell(details, 6, 0), QStringLiteral("Document"));

    dialog.show();
    for (int i = 0; i < 20 && matches->rowCount() == 0; ++i)
        QApplication::processEvents();
    ASSERT_EQ(matches->rowCount(), 2);
    EXPECT_EQ(cell(matches, 0, 0), QStringLiteral("LM358DR"));
    EXPECT_EQ(cell(matches, 1, 0), QStringLiteral("LM317T/NOPB"));
    EXPECT_EQ(cell(matches, 1, 4), QStringLiteral("www.ti.com"));
    EXPECT_TRUE(ui.messages.empty()); // the raw answer only when Setup asks for it

    dialog.showMatch(1);
    EXPECT_EQ(cell(details, 0, 1), QStringLiteral("LM317T/NOPB"));
    EXPECT_EQ(cell(details, 2, 1), QStringLiteral("0.5891USD"));
    EXPECT_EQ(dialog.datasheetPath(), DataDocumentFolder() + QStringLiteral("/LM317T-NOPB.pdf"));
    EXPECT_TRUE(QFileInfo::exists(dialog.datasheetPath()));
    EXPECT_EQ(cell(details, 6, 1), QStringLiteral("LM317T-NOPB.pdf"));

    // Transfer writes only what is checked.
    details->item(1, 0)->setCheckState(Qt::Checked);
    details->item(3, 0)->setCheckState(Qt::Checked);
    ASSERT_NE(button(dialog, QStringLiteral("Transfer")), nullptr);
    ui.clear();
    button(dialog, QStringLiteral("Transfer"))->click();
    EXPECT_TRUE(dialog.changedData());
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Description, Manufacturer, Price, User FROM PartList")),
              QStringLiteral("Linear regulator adjustable 1.5 A TO-220|TEXAS INSTRUMENTS||tester"));
    // Its own number: no question, and the message names the part.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("The checked values were written to part LM317T/NOPB."));

    // "Search" searches again for the text in the field.
    dialog.findChild<QLineEdit*>()->setText(QStringLiteral("SMD"));
    button(dialog, QStringLiteral("Search"))->click();
    EXPECT_EQ(matches->rowCount(), 10);

    if (!qEnvironmentVariableIsEmpty("KOLT_SCREENSHOT_DIR")) {
        matches->selectRow(7);
        dialog.grab().save(qEnvironmentVariable("KOLT_SCREENSHOT_DIR") + QStringLiteral("/partinfo.png"));
    }
}

TEST_F(PartInfoDialogTest, UnreachableServiceLeavesTheListsEmpty)
{
    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(ClosedLoopbackPort());
    CEPartInfo dialog(nullptr, QStringLiteral("LM358"), 0, closed);
    dialog.setScrollingResponses(false);
    dialog.search();
    EXPECT_EQ(dialog.matchList()->rowCount(), 0);
    EXPECT_TRUE(ui.saw(QStringLiteral("Internet Connection Error")));

    // Nothing fetched yet: the buttons explain instead of acting.
    ui.clear();
    button(dialog, QStringLiteral("Read PDF"))->click();
    EXPECT_TRUE(ui.saw(QStringLiteral("No datasheet has been downloaded.")));
    dialog.showMatch(0); // no row: nothing happens
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(dialog.transfer());
    EXPECT_FALSE(dialog.changedData());
}

TEST_F(PartInfoDialogTest, TransferToAnotherPartAsksFirst)
{
    StandInService service;
    if (!service.running())
        GTEST_SKIP() << service.why().toStdString();
    ASSERT_TRUE(Execute(QStringLiteral("INSERT INTO PartList (Part_nBr, Description) VALUES ('BME280', 'sensor')")));
    const int id = sqlite(QStringLiteral("SELECT id FROM PartList")).toInt();

    CEPartInfo dialog(nullptr, QStringLiteral("LM3"), id, service.address());
    dialog.setScrollingResponses(false);
    EXPECT_EQ(button(dialog, QStringLiteral("Transfer"))->toolTip(),
              QStringLiteral("Writes the checked values into part BME280"));
    dialog.search();
    ASSERT_EQ(dialog.matchList()->rowCount(), 2);
    dialog.showMatch(0);
    dialog.detailList()->item(1, 0)->setCheckState(Qt::Checked);

    // Declined (the safe answer): the sensor keeps its description.
    ui.clear();
    EXPECT_FALSE(dialog.transfer());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Write the values of LM358DR into part BME280?"));
    EXPECT_EQ(ui.messages[0].buttons, kButtonsYesNo);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Description FROM PartList")), QStringLiteral("sensor"));
    EXPECT_FALSE(dialog.changedData());

    // Confirmed: written, and the closing message names the part written.
    ui.clear();
    ui.answers = {kAnswerYes};
    EXPECT_TRUE(dialog.transfer());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("The checked values were written to part BME280."));
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Part_nBr, Description FROM PartList")),
              QStringLiteral("BME280|Op amp dual general purpose 32 V SOIC-8 SMD, Tape & Reel"));
    EXPECT_TRUE(dialog.changedData());
}

TEST_F(PartInfoDialogTest, TheAnswerIsShownInAScrollingBox)
{
    StandInService service;
    if (!service.running())
        GTEST_SKIP() << service.why().toStdString();
    SetShowServiceAnswers(true);
    CEPartInfo dialog(nullptr, QStringLiteral("SMD"), 0, service.address());
    QString shown;
    // The box is modal: look at it from inside its own loop, then close it.
    // The network wait runs events too, so watch until the box is there.
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const auto* view = box ? box->findChild<QPlainTextEdit*>() : nullptr;
        if (!view)
            return;
        watcher.stop();
        shown = view->toPlainText();
        if (!qEnvironmentVariableIsEmpty("KOLT_SCREENSHOT_DIR"))
            box->grab().save(qEnvironmentVariable("KOLT_SCREENSHOT_DIR") + QStringLiteral("/partinfo-answer.png"));
        box->accept();
    });
    watcher.start(10);
    dialog.search();
    EXPECT_TRUE(shown.contains(QStringLiteral("\"hits\": 19")));
    EXPECT_EQ(dialog.matchList()->rowCount(), 10);
    EXPECT_TRUE(ui.messages.empty());
}
