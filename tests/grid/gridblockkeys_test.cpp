// The spreadsheet keys of the grid on many cells: Delete empties cells and
// never deletes a record, Ctrl+Delete does after a question that defaults to
// No, Ctrl+Z brings records back, Ctrl+C/V/D and Ctrl+Enter work on blocks.
#include "gridfixture.h"
#include "widgettest.h"

#include "grid/gridview.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

namespace {

class GridBlockKeysTest : public GridTest
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        GridTest::SetUp();
        owned = std::make_unique<CGridView>();
        exec("insert into PartList (Part_nBr,Description,Manufacturer) values "
             "('A','one','ACME'),('B','two',''),('C','three','')");
        grid().resize(1400, 400);
        grid().show();
        grid().Load(PartList);
        part = listColumn(grid().model(), "Part #");
        description = listColumn(grid().model(), "Description");
        manufacturer = listColumn(grid().model(), "Manufacturer");
    }

    // Selects the cells from (row, column) down to lastRow, as Shift+Down does.
    void selectDown(int row, int column, int lastRow)
    {
        grid().selectionModel()->setCurrentIndex(grid().QTableView::model()->index(row, column),
                                               QItemSelectionModel::ClearAndSelect);
        for (int r = row; r < lastRow; ++r)
            QTest::keyClick(&grid(), Qt::Key_Down, Qt::ShiftModifier);
    }

    QString descriptions() { return sqlite("select group_concat(Description,'|') from PartList order by id"); }

    // Made once the application is there, which a member cannot wait for.
    std::unique_ptr<CGridView> owned;
    CGridView& grid() { return *owned; }
    int part = -1, description = -1, manufacturer = -1;
};

} // namespace

TEST_F(GridBlockKeysTest, DeleteEmptiesCellsCtrlDeleteAsksAndUndoRestores)
{
    selectDown(0, description, 1);
    QTest::keyClick(&grid(), Qt::Key_Delete);
    EXPECT_EQ(sqlite("select count(*) from PartList"), "3");
    EXPECT_EQ(sqlite("select group_concat(ifnull(Description,''),'|') from PartList order by id"), "||three");
    EXPECT_TRUE(ui.messages.empty()) << "emptying cells asks nothing";
    QTest::keyClick(&grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "one|two|three");
    selectDown(2, description, 2);
    QTest::keyClick(&grid(), Qt::Key_Backspace);
    EXPECT_EQ(sqlite("select ifnull(Description,'') from PartList where Part_nBr='C'"), "");
    QTest::keyClick(&grid(), Qt::Key_Z, Qt::ControlModifier);

    // Ctrl+Delete asks; the answer a stray Enter gives is No.
    selectDown(0, part, 1);
    QTest::keyClick(&grid(), Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].buttons, kButtonsYesNo);
    EXPECT_EQ(sqlite("select count(*) from PartList"), "3");
    ui.answers = {kAnswerYes};
    selectDown(0, part, 1);
    QTest::keyClick(&grid(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select Part_nBr from PartList"), "C");
    EXPECT_EQ(grid().model().rowCount(), 1);
    QTest::keyClick(&grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select group_concat(Part_nBr||':'||Description||':'||Manufacturer,',') from PartList order by id"),
              "A:one:ACME,B:two:,C:three:");
    EXPECT_EQ(grid().model().rowCount(), 3);
}

TEST_F(GridBlockKeysTest, CopyPasteFillAndEnterToEverySelectedRow)
{
    // Ctrl+D: the first row's value down the selection.
    selectDown(0, manufacturer, 2);
    QTest::keyClick(&grid(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select group_concat(Manufacturer,'|') from PartList order by id"), "ACME|ACME|ACME");

    // Ctrl+C gives tab-separated lines in the order the columns are shown.
    const QAbstractItemModel* cells = grid().QTableView::model();
    grid().selectionModel()->select(QItemSelection(cells->index(0, description), cells->index(1, manufacturer)),
                                    QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&grid(), Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("one\t")) << copied.toStdString();
    EXPECT_TRUE(copied.endsWith("\tACME\n")) << copied.toStdString();
    EXPECT_EQ(copied.count('\n'), 2);

    // Ctrl+V: a block from a spreadsheet, one undo step.
    QGuiApplication::clipboard()->setText("first\nsecond\nthird\n");
    selectDown(0, description, 0);
    QTest::keyClick(&grid(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "first|second|third");
    QTest::keyClick(&grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "one|two|three");

    // Typing with several rows selected: Enter stores the current cell (the
    // last one moved to), Ctrl+Enter every selected row.
    selectDown(0, description, 2);
    QTest::keyClicks(&grid(), "x");
    ASSERT_TRUE(grid().editor().isOpen());
    QTest::keyClick(grid().editor().widget(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "x|x|x");
    selectDown(0, description, 2);
    QTest::keyClicks(&grid(), "y");
    QTest::keyClick(grid().editor().widget(), Qt::Key_Return);
    EXPECT_EQ(descriptions(), "x|x|y");
}
