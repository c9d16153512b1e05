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
        exec("insert into PartList (Part_nBr,Description,Manufacturer) values "
             "('A','one','ACME'),('B','two',''),('C','three','')");
        view.resize(1400, 400);
        view.show();
        view.Load(PartList);
        part = listColumn(view.model(), "Part #");
        description = listColumn(view.model(), "Description");
        manufacturer = listColumn(view.model(), "Manufacturer");
    }

    // Selects the cells from (row, column) down to lastRow, as Shift+Down does.
    void selectDown(int row, int column, int lastRow)
    {
        view.setCurrentIndex(view.QTableView::model()->index(row, column));
        for (int r = row; r < lastRow; ++r)
            QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    }

    QString descriptions() { return sqlite("select group_concat(Description,'|') from PartList order by id"); }

    CGridView view;
    int part = -1, description = -1, manufacturer = -1;
};

} // namespace

TEST_F(GridBlockKeysTest, DeleteEmptiesCellsCtrlDeleteAsksAndUndoRestores)
{
    selectDown(0, description, 1);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(sqlite("select count(*) from PartList"), "3");
    EXPECT_EQ(sqlite("select group_concat(ifnull(Description,''),'|') from PartList order by id"), "||three");
    EXPECT_TRUE(ui.messages.empty()) << "emptying cells asks nothing";
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "one|two|three");
    view.setCurrentIndex(view.QTableView::model()->index(2, description));
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(sqlite("select ifnull(Description,'') from PartList where Part_nBr='C'"), "");
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);

    // Ctrl+Delete asks; the answer a stray Enter gives is No.
    selectDown(0, part, 1);
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].buttons, kButtonsYesNo);
    EXPECT_EQ(sqlite("select count(*) from PartList"), "3");
    ui.answers = {kAnswerYes};
    selectDown(0, part, 1);
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select Part_nBr from PartList"), "C");
    EXPECT_EQ(view.model().rowCount(), 1);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select group_concat(Part_nBr||':'||Description||':'||Manufacturer,',') from PartList order by id"),
              "A:one:ACME,B:two:,C:three:");
    EXPECT_EQ(view.model().rowCount(), 3);
}

TEST_F(GridBlockKeysTest, CopyPasteFillAndEnterToEverySelectedRow)
{
    // Ctrl+D: the first row's value down the selection.
    selectDown(0, manufacturer, 2);
    QTest::keyClick(&view, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select group_concat(Manufacturer,'|') from PartList order by id"), "ACME|ACME|ACME");

    // Ctrl+C gives tab-separated lines in the order the columns are shown.
    view.setCurrentIndex(view.QTableView::model()->index(0, part));
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("A\t")) << copied.toStdString();
    EXPECT_TRUE(copied.endsWith("\ttwo\n")) << copied.toStdString();

    // Ctrl+V: a block from a spreadsheet, one undo step.
    QGuiApplication::clipboard()->setText("first\nsecond\nthird\n");
    view.setCurrentIndex(view.QTableView::model()->index(0, description));
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "first|second|third");
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "one|two|three");

    // Typing with several rows selected: Enter stores one cell, Ctrl+Enter all.
    selectDown(0, description, 2);
    QTest::keyClicks(&view, "x");
    ASSERT_TRUE(view.editor().isOpen());
    QTest::keyClick(view.editor().widget(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "x|x|x");
    selectDown(0, description, 2);
    QTest::keyClicks(&view, "y");
    QTest::keyClick(view.editor().widget(), Qt::Key_Return);
    EXPECT_EQ(descriptions(), "y|x|x");
}
