// The grid driven as a user drives it: keys, undo, the filter box, sorting
// and the columns that stay in view.
#include "gridfixture.h"
#include "widgettest.h"

#include "grid/frozencolumns.h"
#include "grid/gridview.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

namespace {

QPoint cellPoint(QTableView& view, int row, int column)
{
    const QRect rect = view.visualRect(view.model()->index(row, column));
    return QPoint(rect.left() + 5, rect.center().y());
}

} // namespace

class GridKeysTest : public GridTest
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        GridTest::SetUp();
    }

    void parts(int n)
    {
        QStringList values;
        for (int i = 0; i < n; ++i)
            values << QStringLiteral("('P%1','part %1','Buy','DK')").arg(i, 3, 10, QLatin1Char('0'));
        exec("insert into VendList (Vendor) values ('DK')");
        exec("insert into PartList (Part_nBr,Description,Make,Distributor) values " + values.join(','));
    }
};

TEST_F(GridKeysTest, ArrowsMoveTypingEditsEnterStoresAndMovesDown)
{
    parts(3);
    CGridView view;
    view.resize(1200, 400);
    view.show();
    view.Load(PartList);
    const int description = listColumn(view.model(), "Description");
    const int price = listColumn(view.model(), "Price");

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellPoint(view, 0, description));
    EXPECT_FALSE(view.editor().isOpen());
    QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(view.currentListColumn(), description - 1);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Up);
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.currentRow(), 0);
    EXPECT_EQ(view.currentListColumn(), description);

    // Typing replaces the cell's text; Enter stores it in that row and moves down.
    view.setCurrentIndex(view.QTableView::model()->index(0, price));
    QTest::keyClicks(&view, "0.05");
    ASSERT_TRUE(view.editor().isOpen());
    QTest::keyClick(view.editor().widget(), Qt::Key_Return);
    EXPECT_EQ(sqlite("select Price from PartList where id=1"), "0.05");
    EXPECT_EQ(sqlite("select coalesce(Price,'-') from PartList where id=2"), "-");
    EXPECT_FALSE(view.editor().isOpen());
    EXPECT_EQ(view.currentRow(), 1);
    EXPECT_EQ(view.currentListColumn(), price);
    // On the last row Enter stays there; arrows in a text field store and move.
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.currentRow(), 2);
    QTest::keyClick(&view, Qt::Key_F2);
    ASSERT_TRUE(view.editor().isOpen());
    qobject_cast<QLineEdit*>(view.editor().widget())->setText("9");
    QTest::keyClick(view.editor().widget(), Qt::Key_Up);
    EXPECT_EQ(sqlite("select Price from PartList where id=3"), "9.0");
    EXPECT_EQ(view.currentRow(), 1);

    // Read-only and picture cells take no typing.
    view.setCurrentIndex(view.QTableView::model()->index(0, listColumn(view.model(), "On Order")));
    QTest::keyClicks(&view, "5");
    EXPECT_FALSE(view.editor().isOpen());

    // Ctrl+Z takes the edits back, newest first, and says so.
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select coalesce(Price,'') from PartList where id=3"), "");
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select coalesce(Price,'') from PartList where id=1"), "");
    EXPECT_TRUE(view.statusText().startsWith("Undone: Price"));
    EXPECT_EQ(view.model().cellText(0, price), "");
}

TEST_F(GridKeysTest, FilterBoxSortArrowAndWidthsThatStay)
{
    parts(30);
    exec("update PartList set Description='rare thing' where id in (7, 21)");
    CGridView view;
    view.resize(1200, 500);
    view.show();
    view.Load(PartList);
    const int description = listColumn(view.model(), "Description");

    // Ctrl+F anywhere in the window goes to the filter box.
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
    QLineEdit* box = view.filterBox();
    EXPECT_TRUE(box->hasFocus());
    box->setText("RARE");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(view.model().rowCount(), 2);
    EXPECT_EQ(view.QTableView::model()->rowCount(), 2);
    EXPECT_EQ(view.model().rowId(1), "21");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(view.model().rowCount(), 30);
    EXPECT_TRUE(box->text().isEmpty());

    // Sorting shows its arrow and leaves every width as the user set it; the
    // current record stays current.
    view.setCurrentIndex(view.QTableView::model()->index(6, description));
    view.horizontalHeader()->resizeSection(description, 211);
    const int partWidth = view.horizontalHeader()->sectionSize(listColumn(view.model(), "Part #"));
    view.model().SortByListColumn(description);
    EXPECT_EQ(view.horizontalHeader()->sortIndicatorSection(), description);
    EXPECT_EQ(view.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(description), 211);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(listColumn(view.model(), "Part #")), partWidth);
    EXPECT_EQ(view.model().cellText(0, description), "rare thing");
    EXPECT_EQ(view.model().rowId(view.currentRow()), "7");
    EXPECT_EQ(view.currentListColumn(), description);
    view.model().SortByListColumn(description);
    EXPECT_EQ(view.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(description), 211);

    // The error column's tooltip names the row's faults in words.
    exec("update PartList set Make='' where id=1");
    view.model().sortColumn.clear();
    view.Reload();
    const QModelIndex err = view.QTableView::model()->index(0, listColumn(view.model(), "Err"));
    EXPECT_EQ(err.data(Qt::ToolTipRole).toString(), "No Make or Buy Entry");
    EXPECT_FALSE(view.QTableView::model()->index(1, err.column()).data(Qt::ToolTipRole).isValid());
    EXPECT_EQ(view.statusText(), "1 row with faults: 1 part without Make");
}

TEST_F(GridKeysTest, PartNumbersStayInViewAndNewRowsAreScrolledTo)
{
    parts(120);
    for (ColumnSetting& setting : App().ColumnLayout[PartList])
        setting.width = 150;
    CGridView view;
    view.resize(900, 400);
    view.show();
    view.Load(PartList);
    const int part = listColumn(view.model(), "Part #");
    CFrozenColumns* frozen = view.frozenColumns();
    EXPECT_EQ(frozen->columns(), std::vector<int>{part});
    EXPECT_EQ(frozen->frozenWidth(), 150);
    EXPECT_FALSE(frozen->isVisible()); // nothing scrolled away yet

    // Far to the right, the part numbers are still there at the left edge.
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QCoreApplication::processEvents();
    ASSERT_TRUE(frozen->isVisible());
    EXPECT_LT(view.columnViewportPosition(part), 0);
    EXPECT_EQ(frozen->visualRect(frozen->model()->index(0, part)).left(), 0);
    EXPECT_EQ(frozen->indexAt(QPoint(5, 5)).data().toString(), "P000");
    // A column moved to under the frozen one is scrolled out from under it.
    const int description = listColumn(view.model(), "Description");
    view.setCurrentIndex(view.QTableView::model()->index(0, description));
    EXPECT_GE(view.visualRect(view.currentIndex()).left(), frozen->frozenWidth());
    // Its editor opens where the part number is seen.
    view.OpenEditor(3, part);
    ASSERT_TRUE(view.editor().isOpen());
    EXPECT_EQ(view.editor().widget()->parentWidget(), frozen->viewport());
    QTest::keyClick(view.editor().widget(), Qt::Key_Escape);
    // Both views scroll the rows together.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    EXPECT_EQ(frozen->verticalScrollBar()->value(), view.verticalScrollBar()->value());

    // Insert: the new last row is current and in view.
    view.verticalScrollBar()->setValue(0);
    QTest::keyClick(&view, Qt::Key_Insert);
    ASSERT_EQ(view.model().rowCount(), 121);
    EXPECT_EQ(view.currentRow(), 120);
    const QRect rect = view.visualRect(view.currentIndex());
    EXPECT_TRUE(view.viewport()->rect().contains(rect.center()));
}
