#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/addassy.h"
#include "bom/assemblyindex.h"
#include "bom/assyview.h"
#include "bom/dbview.h"
#include "bom/report.h"
#include "bom/rollupdialog.h"
#include "core/windowhooks.h"
#include "sourcing/pricing.h"
#include "core/appstate.h"
#include "db/sources.h"

#include <QApplication>
#include <QTimer>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

class BomWindowTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "bom_window_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        DataFolderTest::SetUp();
    }

    void sampleData()
    {
        AddPart("CTRL", "Controller", "Assembly", "12", "30");
        AddPart("PCB-1", "Main board", "Circuit Board Assembly", "20", "5");
        AddPart("HARN", "Cable harness", "Cable harness", "4", "1");
        AddPart("R10K", "Resistor 10k", "Component", "0.01");
        AddPart("BOX", "Shipping box", "Packaging", "2");
        AddLine("CTRL", 1, "PCB-1", "1", "A1");
        AddLine("CTRL", 2, "HARN", "2", "W1,W2");
        AddLine("CTRL", 3, "BOX", "1");
        AddLine("PCB-1", 1, "R10K", "12", "R1-R12");
        AddLine("PCB-1", 2, "C100N", "8");
        AddLine("HARN", 1, "WIRE-RED", "2.5");
        AddLine("PSU", 1, "R10K", "3");
        ASSERT_TRUE(Execute("Insert into RescList (Assy,Step,Description,Resource,Hours,Cost) values "
                            "('CTRL','10','Solder','Bench','1.5','45')"));
    }

    // Saves a picture of the widget when KOLT_SHOTS names a folder.
    void shot(QWidget& widget, const QString& name)
    {
        const QString folder = qEnvironmentVariable("KOLT_SHOTS");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            widget.grab().save(folder + "/" + name + ".png");
        }
    }
};

QTreeWidgetItem* findItem(QTreeWidget* tree, const QString& text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

TEST_F(BomWindowTest, NavigationTreeReloadsInPlaceAndDrivesTheGrid)
{
    sampleData();
    SelectTable(dir.path(), AssyList);
    CDBView view;
    view.resize(900, 600);
    std::vector<QStringList> rows;
    QObject::connect(&view, &CDBView::showAssemblyRow, [&](int row, const QString& assembly, const QString& key) {
        rows.push_back({QString::number(row), assembly, key});
    });
    view.onCommand(kCommandTreeRefresh);
    QTreeWidget* tree = view.assemblyTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2); // CTRL and PSU; PCB-1 and HARN are used
    EXPECT_EQ(view.currentAssembly(), "CTRL");
    QTreeWidgetItem* ctrl = tree->topLevelItem(0);
    ctrl->setExpanded(true);
    ASSERT_EQ(ctrl->childCount(), 3);
    QTreeWidgetItem* board = ctrl->child(0);
    board->setExpanded(true);
    EXPECT_EQ(board->childCount(), 2);

    AddLine("PCB-1", 3, "LED", "1");
    view.onCommand(kCommandTreeRefresh);
    EXPECT_EQ(tree->topLevelItem(0), ctrl); // the same items, still expanded
    EXPECT_TRUE(board->isExpanded());
    EXPECT_EQ(board->childCount(), 3);

    tree->setCurrentItem(board->child(0));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "PCB-1");
    EXPECT_EQ(view.selectedPart(), "R10K");
    EXPECT_EQ(view.partDetails().description, "Resistor 10k");
    // The panel follows changes made under it (a roll-up, an edit in the grid).
    ASSERT_TRUE(Execute("Update PartList set Price = '0.02', Labor = '0.5' where Part_nBr = 'R10K'"));
    view.onCommand(kCommandTreeRefresh);
    EXPECT_EQ(view.partDetails().price, "0.02");
    EXPECT_EQ(view.partDetails().labor, "0.5");
    // The part's sources stand under it, one a line, with their breaks.
    SourceRecord source;
    source.part = "R10K";
    source.vendor = "DIGI";
    source.orderCode = "311-10KHRCT-ND";
    source.minimum = 10;
    source.preferred = true;
    source.breaks = {{10, 0.0123}, {1000, 0.004}};
    ASSERT_TRUE(SaveSource(source));
    view.onCommand(kCommandTreeRefresh);
    ASSERT_EQ(view.partDetails().sources.size(), 1);
    EXPECT_EQ(view.partDetails().sources[0], "DIGI  311-10KHRCT-ND  min 10    10 @ 0.0123, 1000 @ 0.004  *");
    EXPECT_GT(view.detailsArea()->height(), 151);
    auto* grid = new QTableWidget(3, 3);
    view.setGridWidget(grid);
    EXPECT_EQ(view.splitter()->widget(1), grid);
    EXPECT_EQ(view.gridWidget(), grid);
    shot(view, "dbview-assembly");

    SelectTable(dir.path(), RescList);
    view.refresh();
    view.routingTree()->topLevelItem(0)->setExpanded(true); // CTRL's steps are read as it opens
    QTreeWidgetItem* step = findItem(view.routingTree(), "[10]Solder");
    ASSERT_NE(step, nullptr);
    view.routingTree()->expandAll();
    view.routingTree()->setCurrentItem(step);
    EXPECT_EQ(view.selection(), CDBView::Selection::Step);
    EXPECT_EQ(view.stepDetails().resource, "Bench");
    EXPECT_EQ(rows.back()[2], "10");
    shot(view, "dbview-routing");

    // Other tables leave the trees alone and fix the divider.
    SelectTable(dir.path(), PartList);
    view.refresh();
    EXPECT_EQ(view.routingTree()->topLevelItemCount(), 2);
    EXPECT_FALSE(view.splitter()->handle(1)->isEnabled());

    // A bill that contains itself: one message, the rest still listed.
    AddLine("HARN", 2, "PCB-1", "1");
    AddLine("PCB-1", 4, "HARN", "1");
    SelectTable(dir.path(), AssyList);
    ui.clear();
    view.refresh();
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.saw("Assembly contains itself: CTRL > PCB-1 > HARN > PCB-1"));
}

namespace {

int g_treeStatements = 0;

void countTreeStatement(const QByteArray&, int)
{
    ++g_treeStatements;
}

} // namespace

TEST_F(BomWindowTest, NavigationTreeFillsBranchesWhenOpenedFindsAnyAssemblyAndKeepsWhatIsOpen)
{
    sampleData();
    AddPart("SUBBOARD", "Daughter board", "PCB");
    AddLine("PCB-1", 3, "SUBBOARD", "1");
    AddLine("SUBBOARD", 1, "R10K", "2");
    SelectTable(dir.path(), AssyList);
    CDBView view;
    view.resize(400, 600);
    view.onCommand(kCommandTreeRefresh);
    QTreeWidget* tree = view.assemblyTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* ctrl = tree->topLevelItem(0);
    EXPECT_EQ(ctrl->childCount(), 0) << "nothing below a closed branch is built";
    EXPECT_EQ(ctrl->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    // Opening a branch reads its lines, once.
    g_treeStatements = 0;
    ObserveStatements(countTreeStatement);
    ctrl->setExpanded(true);
    ObserveStatements(nullptr);
    EXPECT_EQ(g_treeStatements, 1);
    ASSERT_EQ(ctrl->childCount(), 3);
    EXPECT_EQ(ctrl->child(0)->childCount(), 0);
    EXPECT_EQ(ctrl->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator); // PCB-1
    EXPECT_NE(ctrl->child(2)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator); // BOX
    ctrl->setExpanded(false);
    ctrl->setExpanded(true);
    EXPECT_EQ(ctrl->childCount(), 3);

    // A search opens the path to an assembly at any depth, or to the line of a part.
    ASSERT_TRUE(view.findInTree("subboard"));
    QTreeWidgetItem* found = tree->currentItem();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->text(0), "SUBBOARD");
    EXPECT_EQ(found->parent()->text(0), "PCB-1");
    EXPECT_TRUE(found->parent()->isExpanded());
    EXPECT_EQ(view.currentAssembly(), "PCB-1");
    ASSERT_TRUE(view.findInTree("wire-red"));
    QTreeWidgetItem* wire = tree->currentItem();
    EXPECT_EQ(wire->text(0), "WIRE-RED");
    EXPECT_EQ(wire->parent()->text(0), "HARN");
    QTreeWidgetItem* harness = wire->parent();

    // The box above the tree searches too; what it cannot find is named.
    view.searchBox()->setText("PSU");
    Q_EMIT view.searchBox()->returnPressed();
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(1));
    view.searchBox()->setText("NO-SUCH");
    Q_EMIT view.searchBox()->returnPressed();
    EXPECT_TRUE(ui.saw("Not found in the tree: NO-SUCH"));

    // A refresh keeps the open branches open and reads them again; a closed
    // one is read when it is opened next.
    QTreeWidgetItem* subboard = found;
    subboard->setExpanded(true);
    ASSERT_EQ(subboard->childCount(), 1);
    harness->setExpanded(false);
    AddLine("SUBBOARD", 2, "LED", "1");
    AddLine("HARN", 2, "WIRE-BLACK", "1");
    view.onCommand(kCommandTreeRefresh);
    EXPECT_EQ(tree->topLevelItem(0), ctrl);
    EXPECT_TRUE(subboard->isExpanded());
    EXPECT_EQ(subboard->childCount(), 2);
    EXPECT_EQ(harness->childCount(), 0);
    harness->setExpanded(true);
    EXPECT_EQ(harness->childCount(), 2);
    shot(view, "dbview-lazy");
}

TEST_F(BomWindowTest, ReportDialogProducesPrintsAndRemembersColumns)
{
    sampleData();
    LoadAssemblyIndex();
    {
        CReport report;
        ASSERT_TRUE(report.selectAssembly("CTRL"));
        report.produceReport(kIndentedBom);
        EXPECT_EQ(report.billList()->rowCount(), 6);
        EXPECT_EQ(report.billList()->columnCount(), 11);
        EXPECT_EQ(report.billList()->item(1, 0)->text(), "   R10K");
        report.resize(1000, 560);
        shot(report, "report-indented");

        report.produceReport(kFlatBom);
        EXPECT_EQ(report.billList()->rowCount(), 4 + 1) << "the parts and their totals";
        report.columnChoices()->item(9)->setCheckState(Qt::Unchecked);
        report.accept();
    }
    CReport again;
    EXPECT_EQ(again.columnChoices()->item(9)->checkState(), Qt::Unchecked);
    EXPECT_EQ(again.columnChoices()->item(0)->checkState(), Qt::Checked);
    again.print();
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "Produce Indented or Flat BOM before Printing");
    EXPECT_EQ(ui.messages.back().caption, "Print");
    again.produceReport(kFlatBom); // nothing selected
    EXPECT_EQ(ui.messages.back().text, "Make Selection");
    again.columnChoices()->item(9)->setCheckState(Qt::Checked);
    again.accept();
}

TEST_F(BomWindowTest, ReportListNamesColumnsAsTheGridAndCutsNoPartNumber)
{
    sampleData();
    AddPart("GRM188R71H104KA93D", "Capacitor 100nF 50V X7R 0603", "Component", "0.10");
    AddLine("PCB-1", 3, "GRM188R71H104KA93D", "4", "C1-C4");
    LoadAssemblyIndex();
    CReport report;
    ASSERT_TRUE(report.selectAssembly("CTRL"));
    report.produceReport(kFlatBom);
    QTableWidget* bill = report.billList();
    QStringList headings;
    for (int c = 0; c < bill->columnCount(); ++c)
        headings << bill->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headings.value(0), "Part #");
    EXPECT_EQ(headings.value(1), "Description");
    EXPECT_TRUE(headings.contains("Ref Des"));
    EXPECT_TRUE(headings.contains("Line Total"));
    EXPECT_FALSE(headings.contains("Part_nBr"));
    const QFontMetrics metrics(bill->font());
    for (int r = 0; r < bill->rowCount(); ++r)
        EXPECT_GE(bill->columnWidth(0), metrics.horizontalAdvance(bill->item(r, 0)->text()))
            << bill->item(r, 0)->text().toStdString();
    // The last row totals the bill.
    EXPECT_TRUE(bill->item(bill->rowCount() - 1, 0)->text().startsWith("Total"));
    EXPECT_TRUE(bill->item(bill->rowCount() - 1, 0)->font().bold());
    shot(report, "report-flat");
}

TEST_F(BomWindowTest, TreeWindowScrollsInTenPixelUnits)
{
    sampleData();
    LoadAssemblyIndex();
    CAssyView view;
    view.resize(500, 300);
    view.setSelectedAssembly("CTRL");
    view.buildTree();
    ASSERT_EQ(view.layout().nodes.size(), 3u);
    view.show();
    shot(view, "tree-window");
    auto* horizontal = view.findChild<QScrollBar*>();
    ASSERT_NE(horizontal, nullptr);
    QScrollBar* bars[2] = {nullptr, nullptr};
    for (QScrollBar* bar : view.findChildren<QScrollBar*>())
        bars[bar->orientation() == Qt::Horizontal ? 0 : 1] = bar;
    ASSERT_GT(bars[0]->maximum(), 0);
    bars[0]->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bars[1]->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view.scrollOffset(), QPoint(100, 10));
}

TEST_F(BomWindowTest, AddAssemblyDialogStaysOpenOnBadInput)
{
    CAddAssy dialog;
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(ui.saw("Error. Enter Assembly Name"));
    dialog.nameEdit()->setText("new-kit");
    dialog.rowsEdit()->setText("25");
    shot(dialog, "add-assy");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.assemblyName(), "NEW-KIT");
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'NEW-KIT'"), "20");
}

TEST_F(BomWindowTest, TheRollupWindowRunsAtTheBuildsGiven)
{
    // Setup's roll-up builds come first; a quantity that is no plain number
    // keeps the window open and says why.
    SetDefaultRollupQuantity(5);
    CRollupDialog dialog;
    EXPECT_EQ(dialog.buildsEdit()->text(), "5");
    dialog.buildsEdit()->setText("1e3");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(ui.messages.size(), 1u);
    dialog.buildsEdit()->setText(" 20 ");
    shot(dialog, "rollup");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.builds(), 20);
    SetDefaultRollupQuantity(1);

    // The Update hook prices the bill at the quantity typed into its window:
    // 9 a board for 20 boards buys 180, the 100 break.
    AddPart("BOARD", "Board", "Assembly", "0");
    AddPart("R1", "Resistor", "Component", "0.2");
    AddLine("BOARD", 1, "R1", "9");
    ASSERT_TRUE(Execute("update PartList set Make = 'Make' where Part_nBr = 'BOARD'"));
    SourceRecord digi;
    digi.part = "R1";
    digi.vendor = "DIGI";
    digi.orderCode = "311-1K";
    digi.breaks = {{1, 0.10}, {100, 0.05}};
    ASSERT_TRUE(SaveSource(digi));
    RegisterBomWindows();
    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<CRollupDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        window->buildsEdit()->setText("20");
        window->accept();
    });
    EXPECT_TRUE(RunWindowAction(WindowActions::Update, nullptr));
    EXPECT_EQ(sqlite("select Price from PartList where Part_nBr = 'BOARD'"), "0.45");
}
