#include "orders/ordersfixture.h"

#include "core/format.h"
#include "db/database.h"
#include "db/parameters.h"
#include "orders/requirement.h"
#include "schedule/routingprint.h"
#include "schedule/schedule.h"
#include "schedule/scheduleprint.h"

#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>

namespace {

// Created on Friday 2 January 2026; the chart's base is that midnight.
const QDateTime kBase(QDate(2026, 1, 2), QTime(0, 0));

QDateTime hoursAfterBase(double hours)
{
    return kBase.addSecs(static_cast<qint64>(hours * 3600));
}

} // namespace

class ScheduleTest : public OrdersTest
{
protected:
    void addTask(int number, const QString& assy, const QString& step, const QString& status = "Pending",
                 const QString& count = "1", const QString& actual = "0")
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into TaskList (Task_nBr,Requirement,Assy,Step,Status,Count,Actual) "
                                      "values (%i,'REQ0001','%s','%s','%s','%s','%s')",
                                      {number, assy, step, status, count, actual})));
    }
    void addOrder(const QString& po, const QString& date, const QString& need, const QString& status)
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into PurcList (PO_nBr,Order_nBr,Date,Need_Date,Status) values "
                                      "('%s','REQ0001','%s','%s','%s')",
                                      {po, date, need, status})));
    }
};

TEST_F(ScheduleTest, TasksFillWorkingDaysAndSkipDaysOff)
{
    addRequirement("REQ0001", "A", 1);
    addStep("A", "10", 8);
    addStep("A", "20", 8);
    addStep("A", "30", 16);
    addStep("A", "40", 16);
    addTask(0, "A", "10");
    addTask(1, "A", "20");
    addTask(2, "A", "30", "Pending", "2", "4");
    addTask(3, "A", "40");
    const Schedule schedule = ComputeSchedule("REQ0001", kBase);
    ASSERT_TRUE(schedule.valid);
    ASSERT_EQ(schedule.items.size(), 4u);
    // 8 hours of work at 8 hours a day fill one chart day.
    EXPECT_DOUBLE_EQ(schedule.items[0].start, 0);
    EXPECT_DOUBLE_EQ(schedule.items[0].length, 24);
    // The next would start on Saturday: it begins on Monday.
    EXPECT_DOUBLE_EQ(schedule.items[1].start, 72);
    EXPECT_DOUBLE_EQ(schedule.items[1].length, 24);
    // The step's 16 hours are per unit: a count of 2 is 32 hours, four days
    // from Tuesday to Friday; 4 actual hours are an eighth of it.
    EXPECT_DOUBLE_EQ(schedule.items[2].start, 96);
    EXPECT_DOUBLE_EQ(schedule.items[2].length, 96);
    EXPECT_DOUBLE_EQ(schedule.items[2].hours, 32);
    EXPECT_DOUBLE_EQ(schedule.items[2].percent, 12.5);
    // The next would start on Saturday: two working days from Monday run to Tuesday night.
    EXPECT_DOUBLE_EQ(schedule.items[3].start, 240);
    EXPECT_DOUBLE_EQ(schedule.items[3].length, 48);
    EXPECT_EQ(schedule.span, static_cast<qint64>(288.0 / 24 + 14) * 86400);

    // Two working days starting on a Friday with the weekend off end on Monday night.
    WorkingTime working;
    EXPECT_DOUBLE_EQ(StretchOverDaysOff(kBase.date(), 0, 48, working), 96);
    EXPECT_DOUBLE_EQ(StretchOverDaysOff(kBase.date(), 12, 24, working), 72); // Friday noon to Monday noon
    working.daysOff = 0;
    EXPECT_DOUBLE_EQ(StretchOverDaysOff(kBase.date(), 0, 48, working), 48);
    working.daysOff = 127; // every day off: nothing to stretch over
    EXPECT_DOUBLE_EQ(StretchOverDaysOff(kBase.date(), 0, 48, working), 48);
}

TEST_F(ScheduleTest, WorkingTimeComesFromParametersWithDefaults)
{
    SetParam(ParamDaysOff, "");
    SetParam(ParamWorkingHours, "");
    EXPECT_EQ(ReadWorkingTime().daysOff, 65);
    EXPECT_EQ(ReadWorkingTime().hoursPerDay, 8);
    SetParam(ParamWorkingHours, "30");
    EXPECT_EQ(ReadWorkingTime().hoursPerDay, 8);
    SetParam(ParamWorkingHours, "0");
    EXPECT_EQ(ReadWorkingTime().hoursPerDay, 8);
    SetParam(ParamWorkingHours, "12");
    SetParam(ParamDaysOff, "0");

    addRequirement("REQ0001", "A", 1);
    addStep("A", "10", 12);
    addStep("A", "20", 6);
    addTask(0, "A", "10");
    addTask(1, "A", "20", "Pending", "0"); // a count of 0 counts as 1
    const Schedule schedule = ComputeSchedule("REQ0001", kBase);
    ASSERT_EQ(schedule.items.size(), 2u);
    EXPECT_DOUBLE_EQ(schedule.items[0].length, 24);
    EXPECT_DOUBLE_EQ(schedule.items[1].start, 24); // Saturday is a working day now
    EXPECT_DOUBLE_EQ(schedule.items[1].length, 12);
}

TEST_F(ScheduleTest, StatusCodesCompareThePlanWithNow)
{
    addRequirement("REQ0001", "A", 1);
    addOrder("P0001", "2026-01-02 12:00:00", "", "Pending");                 // 12 .. 180, five working days
    addOrder("P0002", "2026-01-02 00:00:00", "2026-01-03 00:00:00", "Pending"); // need at 24
    addOrder("P0003", "2026-01-02 00:00:00", "2026-01-03 00:00:00", "Closed");
    addOrder("P0004", "2026-01-02 00:00:00", "2026-01-12 00:00:00", "Placed");
    addStep("A", "10", 8);
    addTask(0, "A", "10", "Pending");
    addTask(1, "A", "10", "In-Process");
    addTask(2, "A", "10", "Complete");

    Schedule schedule = ComputeSchedule("REQ0001", hoursAfterBase(30.5));
    ASSERT_EQ(schedule.items.size(), 7u);
    EXPECT_DOUBLE_EQ(schedule.now, 30);
    EXPECT_EQ(schedule.items[0].label, "P0001");
    EXPECT_DOUBLE_EQ(schedule.items[0].start, 12);
    EXPECT_DOUBLE_EQ(schedule.items[0].length, 168); // over the weekend
    EXPECT_EQ(schedule.items[0].status, 3);
    EXPECT_EQ(schedule.items[1].status, 4);
    EXPECT_EQ(schedule.items[2].status, 2);
    EXPECT_EQ(schedule.items[3].status, 1);
    // Tasks start where the last purchase-order bar ends: the need date of P0004, Monday the 12th.
    EXPECT_DOUBLE_EQ(schedule.items[4].start, 240);
    EXPECT_EQ(schedule.items[4].status, 0);
    EXPECT_EQ(schedule.items[5].status, 1); // in process, even before its start
    EXPECT_EQ(schedule.items[6].status, 2);

    // A pending task is due (3) until half its length has passed, then late (4);
    // in process is 1 within its length and late past its end.
    schedule = ComputeSchedule("REQ0001", hoursAfterBase(250));
    EXPECT_EQ(schedule.items[4].status, 3);
    schedule = ComputeSchedule("REQ0001", hoursAfterBase(253));
    EXPECT_EQ(schedule.items[4].status, 4);
    EXPECT_EQ(schedule.items[5].status, 1); // starts at 264
    schedule = ComputeSchedule("REQ0001", hoursAfterBase(280));
    EXPECT_EQ(schedule.items[5].status, 1);
    schedule = ComputeSchedule("REQ0001", hoursAfterBase(289));
    EXPECT_EQ(schedule.items[5].status, 4);
    EXPECT_EQ(schedule.items[6].status, 2);
}

TEST_F(ScheduleTest, EmptyAndBrokenRequirements)
{
    addRequirement("REQ0001", "A", 1);
    Schedule schedule = ComputeSchedule("REQ0001", kBase);
    EXPECT_TRUE(schedule.valid);
    EXPECT_TRUE(schedule.items.empty());
    EXPECT_EQ(schedule.span, 14 * 86400);

    addRequirement("REQ0002", "A", 1, "");
    addRequirement("REQ0003", "A", 1, "2026-13-45 xx");
    for (const QString order : {"REQ0002", "REQ0003", "REQ9999"}) {
        ui.clear();
        schedule = ComputeSchedule(order, kBase);
        EXPECT_FALSE(schedule.valid);
        EXPECT_TRUE(schedule.items.empty());
        EXPECT_TRUE(ui.saw("has no valid Created date")) << order.toStdString();
    }
    EXPECT_EQ(RequirementEntries(), QStringList({"REQ0001:Assy:A", "REQ0002:Assy:A", "REQ0003:Assy:A"}));
}

TEST_F(ScheduleTest, TheScheduleAndTheRoutingPrint)
{
    EnsureGuiApplication();
    addPart("BOLT", 0, 0, "FASTCO");
    addPart("FRAME", 0, 0, {}, {}, 0, 0, "M");
    addBom("UNIT", "FRAME", 1, 1);
    addBom("UNIT", "BOLT", 2, 2);
    addBom("FRAME", "BOLT", 4, 1);
    addStep("FRAME", "10", 4, "Weld the frame");
    addStep("UNIT", "10", 2, "Assemble");
    addRequirement("REQ0001", "UNIT", 0, QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss"));
    ASSERT_TRUE(ProcessRequirement("REQ0001", 3, "UNIT").done);

    const QString routing = dir.path() + "/routing.pdf";
    ASSERT_TRUE(PrintRoutingPdf("REQ0001", routing));
    QProcess text;
    text.start("pdftotext", {routing, "-"});
    text.waitForFinished(30000);
    const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    EXPECT_TRUE(words.contains("Order:REQ0001")) << words.toStdString();
    EXPECT_TRUE(words.contains("Assembly:UNIT Count:3"));
    EXPECT_TRUE(words.contains("Assembly:FRAME Count:3"));
    EXPECT_TRUE(words.contains("Weld the frame"));
    EXPECT_TRUE(words.contains("Page 1"));

    const QString chart = dir.path() + "/schedule.pdf";
    ASSERT_TRUE(PrintSchedulePdf("REQ0001", chart));
    text.start("pdftotext", {chart, "-"});
    text.waitForFinished(30000);
    const QString chartWords = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    EXPECT_TRUE(chartWords.contains("Schedule:REQ0001:Assy:UNIT")) << chartWords.toStdString();
    EXPECT_TRUE(chartWords.contains("P0001"));
    EXPECT_TRUE(chartWords.contains("FRAME"));
    QProcess png;
    png.start("pdftoppm", {"-png", "-r", "40", "-singlefile", chart, dir.path() + "/schedule"});
    png.waitForFinished(30000);
    const QImage page(dir.path() + "/schedule.png");
    ASSERT_FALSE(page.isNull());
    // Some bar is painted in a status colour.
    bool coloured = false;
    for (int y = 0; y < page.height() && !coloured; ++y)
        for (int x = 0; x < page.width() && !coloured; ++x) {
            const QColor c = page.pixelColor(x, y);
            coloured = c.saturation() > 150;
        }
    EXPECT_TRUE(coloured);
    if (qEnvironmentVariableIsSet("KOLT_KEEP_PRINTS")) {
        QFile::copy(chart, qEnvironmentVariable("KOLT_KEEP_PRINTS") + "/schedule.pdf");
        QFile::copy(routing, qEnvironmentVariable("KOLT_KEEP_PRINTS") + "/routing.pdf");
    }
}
