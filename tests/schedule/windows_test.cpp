// Offscreen tests of the order and schedule windows.
#include "orders/ordersfixture.h"
#include "support/windowtest.h"

#include "core/format.h"
#include "db/database.h"
#include "db/parameters.h"
#include "grid/smallgrid.h"
#include "orders/purchaseorderdialog.h"
#include "orders/requirements.h"
#include "schedule/schedulechart.h"
#include "schedule/tasklist.h"
#include "schedule/taskrecord.h"
#include "schedule/timelinedialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QTableWidget>

class WindowTest : public OrdersTest
{
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        OrdersTest::SetUp();
    }
    void addTask(int number, const QString& assy, const QString& step)
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into TaskList (Task_nBr,Requirement,Assy,Step,Status,Count,Actual) "
                                      "values (%i,'REQ0001','%s','%s','Pending','1','0')",
                                      {number, assy, step})));
    }
};

TEST_F(WindowTest, TimelineSetupReadsAndWritesTheWorkingTime)
{
    SetParam(ParamDaysOff, "");
    SetParam(ParamWorkingHours, "30");
    {
        CTimelineSetup setup;
        EXPECT_TRUE(setup.dayBox(0)->isChecked());
        EXPECT_TRUE(setup.dayBox(6)->isChecked());
        EXPECT_FALSE(setup.dayBox(3)->isChecked());
        EXPECT_EQ(setup.dayBox(3)->text(), "Wednsday");
        EXPECT_EQ(setup.hoursEdit()->text(), "8");
        KeepShot(setup, "timeline-setup");
        setup.save();
        EXPECT_FALSE(setup.changed()); // 65 equals the mask read; 8 equals the hours shown
        EXPECT_EQ(GetParam(ParamDaysOff), "");
    }
    {
        CTimelineSetup setup;
        for (int d = 0; d < 7; ++d)
            setup.dayBox(d)->setChecked(false);
        setup.hoursEdit()->setText("0");
        setup.save();
        EXPECT_TRUE(setup.changed());
        EXPECT_EQ(GetParam(ParamDaysOff), "0");
        EXPECT_EQ(GetParam(ParamWorkingHours), "1");
    }
    {
        CTimelineSetup setup;
        setup.hoursEdit()->setText("30");
        setup.save();
        EXPECT_EQ(GetParam(ParamWorkingHours), "24");
    }
}

TEST_F(WindowTest, TaskEditorShowsTheStepAndRefusesACountBelowOne)
{
    addRequirement("REQ0001", "A", 1);
    addStep("A", "10", 8, "Drill");
    addTask(0, "A", "10");
    const QString id = sqlite("select id from TaskList");
    QString order;
    QString task;
    ASSERT_TRUE(TaskById(id, order, task));
    EXPECT_EQ(order, "REQ0001");
    EXPECT_EQ(task, "0");

    CTaskEdit editor(order, task);
    KeepShot(editor, "task-edit");
    EXPECT_EQ(editor.countEdit()->text(), "1");
    editor.countEdit()->setText("0");
    editor.save();
    EXPECT_TRUE(ui.saw("The count must be a number above 0."));
    EXPECT_EQ(sqlite("select Count from TaskList"), "1");

    editor.countEdit()->setText("2");
    editor.actualEdit()->setText("O'Neil 3"); // a quote in a value is data, not SQL
    editor.statusList()->setCurrentText("In-Process");
    editor.save();
    EXPECT_EQ(sqlite("select Count||'|'||Actual||'|'||Status from TaskList"), "2|O'Neil 3|In-Process");
    const TaskRecord record = LoadTask("REQ0001", "0");
    EXPECT_EQ(record.description, "Drill");
    EXPECT_EQ(record.resource, "BENCH");
}

TEST_F(WindowTest, OrderDialogProcessesOnceAndShowsTheTimeline)
{
    addPart("BOLT", 0, 0, "FASTCO", {}, 0.5);
    addPart("FRAME", 0, 0, {}, {}, 0, 0, "M");
    addBom("UNIT", "FRAME", 1);
    addBom("UNIT", "BOLT", 2);
    addBom("FRAME", "BOLT", 4);
    addStep("FRAME", "10", 8);
    addStep("UNIT", "10", 4);
    addRequirement("REQ0001", "UNIT", 3, QDateTime::currentDateTime().addDays(-3).toString("yyyy-MM-dd HH:mm:ss"));
    SetParam(ParamLastRequirement, "1");

    CRequirements dialog({});
    EXPECT_EQ(dialog.orderNumber(), "REQ0001");
    EXPECT_EQ(dialog.stage(), 0);
    dialog.process();
    EXPECT_TRUE(ui.saw("1 Purchase Orders Created under REQ0001"));
    EXPECT_EQ(dialog.stage(), 1);
    KeepShot(dialog, "order");
    ui.clear();
    dialog.process(); // "Process" is disabled now; even called, it writes nothing again
    EXPECT_EQ(sqlite("select count(*) from PurcList"), "1");
    EXPECT_EQ(partValue("BOLT", "Allocated"), "18.0");

    CTimeline timeline("REQ0001");
    timeline.resize(1000, 400);
    ASSERT_EQ(timeline.schedule().items.size(), 3u);
    EXPECT_EQ(timeline.schedule().items[0].label, "P0001");
    EXPECT_EQ(timeline.schedule().items[1].label, "FRAME");
    timeline.setZoom(8);
    KeepShot(timeline, "timeline");
}

TEST_F(WindowTest, PurchaseOrderDialogTotalsAsksAndSavesChangedFields)
{
    addVendor("ACME", "1 Main St", "Springfield");
    ASSERT_TRUE(Execute("insert into PurcList (PO_nBr,Order_nBr,Vendor,Status,Value,Shipping_Cost,Tax_Rate,Item_List) "
                        "values ('P0001','REQ0001','ACME','Pending',100,'0','8.25',"
                        "'1\n4\nP1\nBolt\n20\n80.00\nPending\n\r2\n2\nP2\nNut\n10\n20.00\nDrop\n\r')"));
    CPurchaseOrder dialog("P0001");
    KeepShot(dialog, "purchase-order");
    ASSERT_EQ(dialog.itemGrid()->rowCount(), 2);
    EXPECT_NEAR(dialog.subtotal(), 100, 1e-9);
    EXPECT_EQ(dialog.currentFields()["Item_List"], "1\n4\nP1\nBolt\n20\n80.00\nPending\n\r2\n2\nP2\nNut\n10\n20.00\nDrop\n\r");

    // Only the shipping cost changes: the total follows and Cancel asks.
    auto* shippingEdit = dialog.findChild<QLineEdit*>("Shipping_Cost");
    ASSERT_NE(shippingEdit, nullptr);
    shippingEdit->setText("12");
    Q_EMIT shippingEdit->textEdited("12");
    EXPECT_EQ(dialog.currentFields()["Value"], "120.25");
    ui.answers = {kAnswerNo};
    dialog.reject();
    EXPECT_TRUE(ui.saw("Quit without Saving"));
    EXPECT_EQ(sqlite("select Shipping_Cost from PurcList"), "0");

    // A quantity edited in the item grid: the line total and Value follow.
    CSmallGrid* grid = dialog.itemGrid();
    grid->OpenEditor(1, 1);
    auto* quantity = qobject_cast<QLineEdit*>(grid->editor().widget());
    ASSERT_NE(quantity, nullptr);
    quantity->setText("6");
    grid->Commit();
    EXPECT_EQ(grid->record().cell(1, 5), "60.00");
    EXPECT_EQ(dialog.currentFields()["Value"], "163.55"); // 140 + 8.25 % + 12
    // The status is a fixed choice that opens on the line's own status.
    grid->OpenEditor(1, 6);
    auto* status = qobject_cast<QComboBox*>(grid->editor().widget());
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isEditable());
    EXPECT_EQ(status->currentText(), "Drop");
    status->setCurrentText("Back Order");
    grid->Commit();
    // The row popup's "Insert Below" adds a numbered line with quantity 1.
    grid->RunRowCommand(CSmallGrid::kRowInsertBelow, 1);
    ASSERT_EQ(grid->record().rowCount, 3);
    EXPECT_EQ(grid->record().cell(2, 0), "3");
    EXPECT_EQ(grid->record().cell(2, 1), "1");

    dialog.save();
    EXPECT_EQ(sqlite("select Shipping_Cost||'|'||Value||'|'||Vendor from PurcList"), "12|163.55|ACME");
    EXPECT_EQ(sqlite("select replace(replace(Item_List, char(10), '|'), char(13), '#') from PurcList"),
              "1|4|P1|Bolt|20|80.00|Pending|#2|6|P2|Nut|10|60.00|Back Order|#3|1||||0.00||#");
}

TEST_F(WindowTest, TimelineOpensAtItsFirstBarAndNamesEachBar)
{
    // Entered 300 days ago; its purchase order was placed only ten days ago.
    const QDateTime now = QDateTime::currentDateTime();
    addRequirement("REQ0001", "UNIT", 1, now.addDays(-300).toString("yyyy-MM-dd HH:mm:ss"));
    addStep("UNIT", "20", 6, "Assemble");
    ASSERT_TRUE(Execute(SqlFormat("insert into PurcList (PO_nBr,Order_nBr,Vendor,Date,Need_Date,Status) values "
                                  "('P0007','REQ0001','FASTCO','%s','%s','Pending')",
                                  {now.addDays(-10).toString("yyyy-MM-dd HH:mm:ss"),
                                   now.addDays(-3).toString("yyyy-MM-dd HH:mm:ss")})));
    addTask(1, "UNIT", "20");
    ASSERT_TRUE(Execute("update TaskList set Actual = '2.5'"));

    CTimeline timeline("REQ0001");
    timeline.resize(1000, 400);
    timeline.show();
    ASSERT_EQ(timeline.schedule().items.size(), 2u);
    const int firstBar = FirstBarDay(timeline.schedule());
    EXPECT_GE(firstBar, 289);
    EXPECT_LE(firstBar, 291);
    EXPECT_EQ(timeline.firstDayShown(), firstBar - 1) << "a day before the first bar, not at day 0";

    // Each bar tells what it is; the empty chart tells nothing.
    const double rowHeight = 22, labelWidth = 130;
    const double ppd = timeline.chart()->width() / 365.0 * 4;
    auto barPoint = [&](int item) {
        const ScheduleItem& bar = timeline.schedule().items[static_cast<size_t>(item)];
        const double x = labelWidth + (bar.start / 24 - timeline.firstDayShown()) * ppd + 2;
        return QPointF(x, (kChartHeaderRows + item) * rowHeight + rowHeight / 2);
    };
    const QString order = timeline.toolTipAt(barPoint(0));
    EXPECT_TRUE(order.contains("P0007")) << order.toStdString();
    EXPECT_TRUE(order.contains("Vendor: FASTCO"));
    EXPECT_TRUE(order.contains("Date: " + now.addDays(-10).toString("yyyy-MM-dd")));
    EXPECT_TRUE(order.contains("Need Date: " + now.addDays(-3).toString("yyyy-MM-dd")));
    EXPECT_TRUE(order.contains("Status: Pending"));
    const QString task = timeline.toolTipAt(barPoint(1));
    EXPECT_TRUE(task.contains("Task 1: UNIT")) << task.toStdString();
    EXPECT_TRUE(task.contains("Step: 20"));
    EXPECT_TRUE(task.contains("Hours: 6"));
    EXPECT_TRUE(task.contains("Actual: 2.5"));
    EXPECT_TRUE(timeline.toolTipAt(QPointF(5, 5)).isEmpty());
    EXPECT_TRUE(timeline.toolTipAt(QPointF(labelWidth + 2, (kChartHeaderRows + 5) * rowHeight)).isEmpty());

    // A reload after an edit keeps the view where the user left it.
    for (QScrollBar* bar : timeline.findChildren<QScrollBar*>())
        if (bar->orientation() == Qt::Horizontal)
            bar->setValue(firstBar + 3);
    timeline.load();
    EXPECT_EQ(timeline.firstDayShown(), firstBar + 3);

    // An order dated before its requirement is still reached.
    ASSERT_TRUE(Execute(SqlFormat("update PurcList set Date = '%s'", {now.addDays(-320).toString("yyyy-MM-dd HH:mm:ss")})));
    timeline.load(true);
    EXPECT_LT(FirstBarDay(timeline.schedule()), 0);
    EXPECT_EQ(timeline.firstDayShown(), FirstBarDay(timeline.schedule()) - 1);
}

TEST_F(WindowTest, TheTaskListFiltersAndMarksTasksDone)
{
    addRequirement("REQ0001", "A", 1);
    addStep("A", "10", 0.5, "Solder");
    ASSERT_TRUE(Execute("insert into RescList (Assy,Step,Description,Resource,Rate,Hours) values "
                        "('A','20','Inspect','QA',10,0.25)"));
    addTask(0, "A", "10");
    addTask(1, "A", "20");
    ASSERT_TRUE(Execute("update TaskList set Count = '25'"));

    CTaskList list;
    list.resize(1000, 400);
    ASSERT_EQ(list.table()->rowCount(), 2);
    EXPECT_EQ(list.table()->item(0, 5)->text(), "BENCH");
    EXPECT_EQ(list.table()->item(0, 7)->text(), "12.5"); // 0.5 hours × 25 units
    EXPECT_EQ(list.table()->item(1, 7)->text(), "6.25");

    list.resourceFilter()->setCurrentIndex(list.resourceFilter()->findText("QA"));
    list.load();
    ASSERT_EQ(list.table()->rowCount(), 1);
    list.table()->selectRow(0);
    EXPECT_EQ(list.markSelectedDone(), 1);
    EXPECT_EQ(sqlite("select Status from TaskList order by Task_nBr"), "Pending\nDone");

    list.resourceFilter()->setCurrentIndex(0);
    list.statusFilter()->setCurrentIndex(list.statusFilter()->findData("Pending"));
    list.load();
    ASSERT_EQ(list.table()->rowCount(), 1);
    EXPECT_EQ(list.table()->item(0, 3)->text(), "10");
    KeepShot(list, "task-list");
}

TEST_F(WindowTest, TimelineShowsTheNeedDateTheLoadTabAndTheHolidays)
{
    const QDateTime now = QDateTime::currentDateTime();
    addRequirement("REQ0001", "A", 1, now.toString("yyyy-MM-dd HH:mm:ss"));
    addStep("A", "10", 1, "Solder");
    addTask(0, "A", "10");
    // Forty hours of work cannot end yesterday.
    ASSERT_TRUE(Execute("update TaskList set Count = '40'"));
    ASSERT_TRUE(Execute(SqlFormat("update ReqmList set Need_Date = '%s'",
                                  {now.date().addDays(-1).toString("yyyy-MM-dd")})));
    CTimeline timeline("REQ0001");
    timeline.resize(1000, 420);
    EXPECT_GT(timeline.schedule().lateDays, 0);
    auto* info = timeline.findChild<QLabel*>("needInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->text().contains("more working days")) << info->text().toStdString();
    EXPECT_TRUE(timeline.schedule().items[0].late);
    KeepShot(timeline, "timeline-late");

    timeline.showTab(1);
    const ResourceLoad& load = timeline.loadView()->load();
    ASSERT_EQ(load.resources, QStringList{"BENCH"});
    double total = 0;
    for (const double hours : load.hours.value("BENCH"))
        total += hours;
    EXPECT_DOUBLE_EQ(total, 40);
    KeepShot(timeline, "timeline-resource-load");

    CTimelineSetup setup;
    ASSERT_TRUE(setup.addHoliday(QDate(2027, 1, 18)));
    ASSERT_TRUE(setup.addHoliday(QDate(2027, 1, 18))); // listed once
    EXPECT_EQ(setup.holidayList()->count(), 1);
    KeepShot(setup, "timeline-setup-holidays");
    ASSERT_TRUE(setup.removeHoliday(QDate(2027, 1, 18)));
    EXPECT_EQ(setup.holidayList()->count(), 0);
}

// A chart that opens mid-week draws that week only up to the next Monday:
// drawn whole, it ran into the next week's heading ("08-Dec|14-Dec").
TEST(ScheduleChart, AWeekCutByTheViewEndsWhereTheNextBegins)
{
    EnsureWidgetApplication();
    Schedule schedule;
    schedule.valid = true;
    schedule.base = QDateTime(QDate(2026, 1, 2), QTime(0, 0)); // a Friday
    schedule.span = 60LL * 86400;
    ChartView view;
    view.pixelsPerDay = 10; // weeks, not days
    view.labelWidth = 100;
    view.rowHeight = 20;
    QImage image(800, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintScheduleChart(painter, QRectF(0, 0, 800, 200), schedule, view);
    painter.end();
    // Just under the top edge of the weeks' row only their edges are drawn.
    const int y = static_cast<int>(view.rowHeight) + 2;
    auto dark = [&](double x) { return qGray(image.pixel(static_cast<int>(x), y)) < 160; };
    const double monday = view.labelWidth + 3 * view.pixelsPerDay; // Friday, Saturday, Sunday
    EXPECT_TRUE(dark(monday));
    EXPECT_FALSE(dark(view.labelWidth + 7 * view.pixelsPerDay));
    EXPECT_TRUE(dark(monday + 7 * view.pixelsPerDay));
}
