#include "gridfixture.h"
#include "widgettest.h"

#include "core/dictionary.h"
#include "core/windowhooks.h"
#include "grid/gridview.h"
#include "grid/headerselect.h"
#include "grid/partsearch.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QScrollBar>

namespace {

QPoint cellPoint(CGridView& view, int row, int column, bool hot = false)
{
    const QRect rect = view.visualRect(view.QTableView::model()->index(row, column));
    return hot ? QPoint(rect.right() - 5, rect.center().y()) : QPoint(rect.left() + 5, rect.center().y());
}

} // namespace

class GridViewTest : public GridTest
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        GridTest::SetUp();
    }
};

TEST_F(GridViewTest, KeyboardEditingAndSorting)
{
    exec("insert into PartList (Part_nBr,Description,Make) values ('B','two','0'),('A','one','1'),('C','three','0')");
    CGridView view;
    view.resize(1200, 400);
    view.show();
    QSignalSpy commands(&view, &CGridView::parentCommand);
    view.Load(PartList);
    EXPECT_EQ(commands.count(), 1);
    const int part = listColumn(view.model(), "Part #");
    const int description = listColumn(view.model(), "Description");
    ASSERT_EQ(description, part + 2);

    // A click only selects; a double click opens a text editor; Tab stores
    // it and edits the next column.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellPoint(view, 0, part));
    EXPECT_FALSE(view.editor().isOpen());
    EXPECT_EQ(view.currentListColumn(), part);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cellPoint(view, 0, part));
    auto* line = qobject_cast<QLineEdit*>(view.editor().widget());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->selectedText(), "B");
    line->setText("b2");
    QTest::keyClick(line, Qt::Key_Tab);
    EXPECT_EQ(sqlite("select Part_nBr from PartList where id=1"), "B2");
    ASSERT_TRUE(view.editor().isOpen());
    EXPECT_EQ(view.currentListColumn(), part + 1);
    QTest::keyClick(view.editor().widget(), Qt::Key_Tab);
    line = qobject_cast<QLineEdit*>(view.editor().widget());
    ASSERT_NE(line, nullptr);
    line->setText("second");
    QTest::keyClick(line, Qt::Key_Return); // stores and moves down, no editor
    EXPECT_EQ(sqlite("select Description from PartList where id=1"), "second");
    EXPECT_EQ(view.currentRow(), 1);
    EXPECT_EQ(view.currentListColumn(), description);
    EXPECT_FALSE(view.editor().isOpen());
    QTest::keyClick(&view, Qt::Key_F2);
    line = qobject_cast<QLineEdit*>(view.editor().widget());
    ASSERT_NE(line, nullptr);
    line->setText("dropped");
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_FALSE(view.editor().isOpen());
    EXPECT_EQ(sqlite("select Description from PartList where id=2"), "one");

    // A fixed list: choosing an item commits at once.
    view.OpenEditor(1, listColumn(view.model(), "Make"));
    auto* combo = qobject_cast<QComboBox*>(view.editor().widget());
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->currentText(), "Make");
    combo->setCurrentIndex(0);
    Q_EMIT combo->activated(0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.editor().isOpen());
    EXPECT_EQ(sqlite("select Make from PartList where id=2"), "Buy");

    // Read-only columns open nothing.
    view.OpenEditor(0, listColumn(view.model(), "On Order"));
    EXPECT_FALSE(view.editor().isOpen());

    // Heading clicks: descending first, then ascending.
    QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(view.horizontalHeader()->sectionViewportPosition(part) + 5, view.horizontalHeader()->height() - 8));
    EXPECT_EQ(view.model().cellText(0, part), "C");
    QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(view.horizontalHeader()->sectionViewportPosition(part) + 5, view.horizontalHeader()->height() - 8));
    EXPECT_EQ(view.model().cellText(0, part), "A");
}

TEST_F(GridViewTest, HotCellsSelectionAndRecordKeys)
{
    exec("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('TOP','10','R1','1'),('TOP','20','R1','1')");
    CGridView view;
    view.resize(1200, 400);
    view.show();
    view.model().currentAssembly = QStringLiteral("TOP");
    view.Load(AssyList);
    const int err = listColumn(view.model(), "Err");
    const int part = listColumn(view.model(), "Part #");
    // Only the rightmost 32 pixels of a column with an action are hot.
    EXPECT_TRUE(view.IsHotCell(cellPoint(view, 0, err, true)));
    EXPECT_FALSE(view.IsHotCell(cellPoint(view, 0, err)));
    EXPECT_FALSE(view.IsHotCell(cellPoint(view, 0, listColumn(view.model(), "Item"), true)));
    // The error summary of a row.
    ui.clear();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellPoint(view, 0, err, true));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Record Status");
    EXPECT_TRUE(ui.messages[0].text.contains("Duplicate Parts"));
    // Code 16 with nothing registered names the window it would open.
    ui.clear();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellPoint(view, 0, part, true));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains("part-info"));
    EXPECT_EQ(view.model().searchText, "R1");

    // Insert key: a new line, selected; Ctrl+Delete asks first.
    view.model().searchText.clear();
    QTest::keyClick(&view, Qt::Key_Insert);
    EXPECT_EQ(view.model().rowCount(), 3);
    EXPECT_EQ(view.SelectedRows(), QList<int>{2});
    ui.answers = {kAnswerYes};
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(view.model().rowCount(), 2);
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "2");

    // Several rows selected: one edit writes them all.
    view.selectAll();
    view.OpenEditor(0, listColumn(view.model(), "Quan"));
    qobject_cast<QLineEdit*>(view.editor().widget())->setText("5");
    QTest::keyClick(view.editor().widget(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(sqlite("select group_concat(Quan) from AssyList"), "5.0,5.0");
}

TEST_F(GridViewTest, ColumnChooserAndLayout)
{
    exec("insert into VendList (Vendor,City) values ('ACME','Berlin')");
    CGridView view;
    view.resize(1000, 300);
    view.show();
    view.Load(VendList);
    const int columns = view.model().listColumnCount();
    CHeaderSelect chooser(VendList);
    // The first field is not offered.
    ASSERT_EQ(chooser.list()->count(), App().tables[VendList].fieldCount - 1);
    EXPECT_EQ(chooser.list()->item(0)->text(), "Address");
    chooser.list()->item(1)->setCheckState(Qt::Unchecked); // City
    chooser.accept();
    view.Reload();
    EXPECT_EQ(view.model().listColumnCount(), columns - 1);
    EXPECT_EQ(listColumn(view.model(), "City"), -1);

    // Dragging a column before the first: the first is first again after a load.
    view.horizontalHeader()->moveSection(2, 0);
    view.horizontalHeader()->resizeSection(1, 222);
    view.Reload();
    EXPECT_EQ(view.horizontalHeader()->logicalIndex(0), 0);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 222);
    view.Load(PartList);
    EXPECT_EQ(App().ColumnLayout[VendList][2].width, 222);

    CHeaderSelect single(TaskList);
    define(TaskList, {"Task #,0,EDIT,text"});
    CHeaderSelect empty(TaskList);
    EXPECT_EQ(empty.list()->count(), 0);
}

TEST_F(GridViewTest, PartSearchFindsAndReturns)
{
    exec("insert into PartList (Part_nBr,Description,Manufacturer) values ('R1','resistor','ACME'),"
         "('C1','Capacitor','KEMET'),('U1','logic','CAPCO')");
    CPartSearch all(QString{});
    EXPECT_EQ(all.list()->topLevelItemCount(), 3);
    all.accept();
    EXPECT_EQ(all.searchText(), ""); // no row chosen: the text passed in

    CPartSearch search(QStringLiteral("cap"));
    EXPECT_EQ(search.list()->topLevelItemCount(), 2);
    search.field()->setText("o'brien");
    search.Search();
    EXPECT_EQ(search.list()->topLevelItemCount(), 0);
    EXPECT_TRUE(ui.messages.empty());
    search.field()->setText("KEMET");
    search.Search();
    ASSERT_EQ(search.list()->topLevelItemCount(), 1);
    search.list()->topLevelItem(0)->setSelected(true);
    search.accept();
    EXPECT_EQ(search.searchText(), "C1");
}

TEST_F(GridViewTest, Screenshots)
{
    const QByteArray folder = qgetenv("KOLT_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set KOLT_SCREENSHOT_DIR to keep pictures of the grid";
    exec("insert into PartList (Part_nBr,Description,Make,Distributor,Web_Page) values ('R1','resistor','Buy','',"
         "'www.acme.com'),('C1','cap','Make','',''),('C1','cap','Buy','NOBODY','')");
    exec("insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values ('TOP','10','R1','2','R1-R2'),"
         "('TOP','20','C1','1','C1,C2'),('TOP','30','','1','')");
    exec("insert into VendList (Vendor,City) values ('ACME','Berlin')");
    exec("insert into RescList (Assy,Step,Resource,Hours) values ('TOP','10','PAINT','2')");
    exec("insert into LabrList (Resource,Rate) values ('PAINT','35')");
    CGridView view;
    view.resize(1280, 300);
    view.show();
    view.model().currentAssembly = QStringLiteral("TOP");
    for (int t = 0; t < kTableCount; ++t) {
        view.model().sortColumn.clear();
        view.Load(t);
        if (t == PartList)
            view.selectRow(1);
        QCoreApplication::processEvents();
        view.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/grid-%1.png").arg(TableSqlName(t)));
    }
    // The part table sorted, filtered and scrolled sideways with an editor open.
    view.Load(PartList);
    view.model().SortByListColumn(listColumn(view.model(), "Description"));
    view.ApplyFilter(QStringLiteral("c"));
    view.horizontalScrollBar()->setValue(100);
    view.OpenEditor(0, listColumn(view.model(), "Part #"));
    QCoreApplication::processEvents();
    view.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/grid-PartList-sorted.png"));
    view.Commit();
    for (int language : {1, 2}) {
        LoadDictionary(language);
        view.ApplyFilter(QString());
        view.horizontalScrollBar()->setValue(0);
        view.Load(PartList);
        QCoreApplication::processEvents();
        view.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/grid-PartList-%1.png").arg(language));
    }
    LoadDictionary(0);
}

TEST_F(GridViewTest, AutomaticWidthsFollowTheContentUntilTheUserSetsOne)
{
    for (ColumnSetting& setting : App().ColumnLayout[PartList])
        setting.width = -1;
    CGridView view;
    view.resize(1200, 400);
    view.show();
    view.Load(PartList); // empty: headings only
    const int description = listColumn(view.model(), "Description");
    const int part = listColumn(view.model(), "Part #");
    const int emptyWidth = view.horizontalHeader()->sectionSize(description);

    // Rows arrive: a column nobody sized grows to its longest text.
    exec("insert into PartList (Part_nBr,Description) values ('R1','Resistor, thick film, 10 kOhm, 1 %, 0603, AEC-Q200')");
    view.Reload();
    EXPECT_GT(view.horizontalHeader()->sectionSize(description), emptyWidth + 100);
    EXPECT_LE(view.horizontalHeader()->sectionSize(description), 320);

    // A width the user set is kept as set; an untouched one stays automatic.
    view.horizontalHeader()->resizeSection(part, 140);
    view.SaveColumnLayout();
    const int partResult = view.model().resultColumn(part);
    const int descriptionResult = view.model().resultColumn(description);
    EXPECT_EQ(App().ColumnLayout[PartList][partResult].width, 140);
    EXPECT_EQ(App().ColumnLayout[PartList][descriptionResult].width, -1);
    view.Reload();
    EXPECT_EQ(view.horizontalHeader()->sectionSize(part), 140);
}

TEST_F(GridViewTest, PartLookupTransfersShowAtOnce)
{
    // The part number's hot cell opens the part lookup, as the shipped definition has it.
    define(PartList, {"Part #,16,EDIT,text", "Description,0,EDIT,text", "Err,99,READ,text", "User,0,READ,text",
                      "Time Stamp,0,READ,text"});
    exec("insert into PartList (Part_nBr,Description) values ('BME280','old')");
    CGridView view;
    view.resize(1200, 400);
    view.show();
    view.Load(PartList);
    const int part = listColumn(view.model(), "Part #");
    const int description = listColumn(view.model(), "Description");
    QStringList opened;
    RegisterWindowAction(WindowActions::PartInfo, [&](QWidget*, const QStringList& args) {
        opened = args;
        exec("update PartList set Description='from the service' where id=" + args.value(1));
        return true; // values were transferred
    });
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellPoint(view, 0, part, true));
    RegisterWindowAction(WindowActions::PartInfo, {});
    EXPECT_EQ(opened, (QStringList{"BME280", view.model().rowId(0)}));
    EXPECT_EQ(view.model().cellText(0, description), "from the service");
}
