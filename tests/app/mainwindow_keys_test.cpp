// The main window's keys around the grid: Esc never ends the program unasked,
// and the grid's compact rows fill a screen.
#include "controls/guitest.h"
#include "support/testsupport.h"

#include "app/quorvelapp.h"
#include "app/quorveldlg.h"
#include "core/appstate.h"
#include "db/database.h"
#include "grid/gridview.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

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
