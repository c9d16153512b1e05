// The main window's keys around the grid: Esc never ends the program unasked,
// and the grid's compact rows fill a screen.
#include "controls/guitest.h"
#include "support/testsupport.h"

#include "app/quorvelapp.h"
#include "app/quorveldlg.h"
#include "controls/helpwindow.h"
#include "controls/imagemenu.h"
#include "core/commandids.h"
#include "core/appstate.h"
#include "db/database.h"
#include "grid/gridview.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

class MainWindowKeysTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString program = dir.path() + QStringLiteral("/program/");
        QDir().mkpath(program);
        const QDir built(ProgramDir());
        for (const QString& name : built.entryList({QStringLiteral("*.def"), QStringLiteral("Dictionary.txt")}))
            QFile::copy(built.filePath(name), program + name);
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
        qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toUtf8());
        App() = AppState{};
        SelectTable(dir.path(), 1);
        app = std::make_unique<CQuorvelApp>(program);
        SetUserInterface(&ui);
        window = app->createMainWindow(false);
        window->resize(1280, 1000);
        window->show();
        grid = window->findChild<CGridView*>(QStringLiteral("grid"));
        ui.clear();
    }

    void TearDown() override { SetUserInterface(nullptr); }

    QTemporaryDir dir;
    RecordingInterface ui;
    std::unique_ptr<CQuorvelApp> app;
    CQuorvelDlg* window = nullptr;
    CGridView* grid = nullptr;
};

} // namespace

TEST_F(MainWindowKeysTest, EscCancelsTheEditorThenAsksBeforeClosing)
{
    ASSERT_NE(grid, nullptr);
    QStringList values;
    for (int i = 0; i < 60; ++i)
        values << QStringLiteral("('P%1','Buy')").arg(i);
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make) values " + values.join(',')));
    window->showTable(PartList);
    QCoreApplication::processEvents();

    // Compact rows: thirty and more on a screen of 1000 pixels.
    EXPECT_GE(grid->viewport()->height() / grid->rowHeight(0), 30);

    // An open editor takes the Esc: the window neither asks nor closes.
    grid->OpenEditor(0, grid->model().FindListColumn(QStringLiteral("Description")));
    ASSERT_TRUE(grid->editor().isOpen());
    QTest::keyClick(grid->editor().widget(), Qt::Key_Escape);
    EXPECT_FALSE(grid->editor().isOpen());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(window->isVisible());

    // Without one the grid passes it on and the window asks; No keeps it open.
    QTest::keyClick(grid, Qt::Key_Escape);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Exit KOLT?");
    EXPECT_EQ(ui.messages[0].buttons, kButtonsYesNo);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isShutDown());

    // With a filter on, Esc first takes the filter away.
    grid->ApplyFilter(QStringLiteral("P1"));
    EXPECT_LT(grid->model().rowCount(), 60);
    ui.clear();
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(grid->model().rowCount(), 60);
    EXPECT_TRUE(grid->filterBox()->text().isEmpty());

    ui.answers = {kAnswerYes};
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->isShutDown());
}

TEST_F(MainWindowKeysTest, SmallWindowsKeepTheGridInView)
{
    ASSERT_NE(grid, nullptr);
    QStringList values;
    for (int i = 0; i < 60; ++i)
        values << QStringLiteral("('P%1','Buy')").arg(i);
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make) values " + values.join(',')));
    window->showTable(PartList);
    auto rowsShown = [this]() {
        QCoreApplication::processEvents();
        return grid->viewport()->height() / grid->rowHeight(0);
    };
    CImageMenu* bar = window->commandBar();

    window->resize(1024, 700);
    EXPECT_GE(rowsShown(), 20);
    EXPECT_EQ(bar->rowCount(), 1);
    window->resize(800, 600);
    EXPECT_GE(rowsShown(), 15);
    EXPECT_EQ(bar->rowCount(), 1);
    EXPECT_TRUE(bar->isCompact());
    for (int i = 0; i < bar->entryCount(); ++i) {
        if (bar->entry(i).image >= 0) {
            EXPECT_TRUE(bar->rect().contains(bar->entryRect(i))) << i;
        }
    }

    // The tree pane gives its width to the grid and takes it back.
    auto* toggle = window->findChild<QToolButton*>(QStringLiteral("treeToggle"));
    ASSERT_NE(toggle, nullptr);
    const int withTree = grid->width();
    toggle->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->treePaneShown());
    EXPECT_GT(grid->width(), withTree + 100);
    toggle->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->treePaneShown());
    // A narrow window leaves most of the width to the grid.
    EXPECT_GE(grid->width(), window->width() * 2 / 3);
}

TEST_F(MainWindowKeysTest, InsertOnTheRoutingAddsToTheSelectedSubAssembly)
{
    ASSERT_TRUE(Execute("insert into AssyList (Assy,Item,Part_nBr,Quan) values "
                        "('TOP','1','SUB','1'),('TOP','2','R1','1'),('SUB','1','R2','1')"));
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make) values ('TOP','Make'),('SUB','Make'),('R1','Buy'),"
                        "('R2','Buy')"));
    App().TreeRebuildFlag = true;
    window->showTable(RescList);
    QCoreApplication::processEvents();
    QTreeWidget* routing = nullptr;
    for (QTreeWidget* tree : window->treeSlot()->findChildren<QTreeWidget*>())
        if (tree->isVisible())
            routing = tree;
    ASSERT_NE(routing, nullptr);
    // The tree fills a branch when it is opened.
    for (QTreeWidgetItem* top : routing->findItems(QStringLiteral("TOP"), Qt::MatchContains))
        top->setExpanded(true);
    QCoreApplication::processEvents();
    const QList<QTreeWidgetItem*> found = routing->findItems(QStringLiteral("SUB"), Qt::MatchContains | Qt::MatchRecursive);
    QTreeWidgetItem* sub = nullptr;
    for (QTreeWidgetItem* item : found)
        if (item->parent())
            sub = item;
    ASSERT_NE(sub, nullptr) << "SUB under TOP";
    routing->setCurrentItem(sub);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->model().currentAssembly, QStringLiteral("SUB"));

    // Each Insert adds a step to SUB, and the newest stays in view.
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(grid, Qt::Key_Insert);
    EXPECT_EQ(QueryText("select count(*) from RescList where Assy='SUB'", false), "30");
    EXPECT_EQ(QueryText("select count(*) from RescList where Assy<>'SUB'", false), "0");
    const int newest = grid->model().rowOfId(QueryText("select max(id) from RescList", false).toLongLong());
    ASSERT_GE(newest, 0);
    EXPECT_EQ(grid->currentRow(), newest);
    const QRect shown = grid->visualRect(grid->QTableView::model()->index(newest, grid->currentListColumn()));
    EXPECT_TRUE(grid->viewport()->rect().contains(shown.center()));
}

TEST_F(MainWindowKeysTest, HelpOpensInItsOwnWindow)
{
    QDir().mkpath(App().ProgramFolder + QStringLiteral("help"));
    QFile::copy(ProgramDir() + QStringLiteral("help/KOLT.html"), App().ProgramFolder + QStringLiteral("help/KOLT.html"));
    window->onCommand(kCmdHelp);
    auto* help = window->findChild<CHelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_GT(help->contents()->topLevelItemCount(), 10);
    EXPECT_TRUE(ui.messages.empty());
    help->close();
}
