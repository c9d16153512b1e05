// Work that grows with the units built, holidays beside the weekly days off,
// and tasks placed back from a need date, against hand-worked calendars.
#include "orders/ordersfixture.h"

#include "core/dates.h"
#include "core/format.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/production.h"
#include "orders/requirement.h"
#include "schedule/resourceload.h"
#include "schedule/schedule.h"
#include "schedule/taskrecord.h"

namespace {

// Thursday 14 January 2027; Saturday 16 and Sunday 17 are off, Monday 18 is
// a holiday. A build of 25 kits takes 25 × 0.5 hours on the SMT line and as
// long at test: 12.5 hours each, 25 in all, at 8 hours a day.
const QDate kThursday(2027, 1, 14);
const QDateTime kBase(kThursday, QTime(0, 0));

} // namespace

class BackScheduleTest : public OrdersTest
{
protected:
    void SetUp() override
    {
        OrdersTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        SetParam(ParamWorkingHours, "8");
        SetParam(ParamDaysOff, "65");
        ASSERT_TRUE(AddHoliday("2027-01-18", "Shop closed"));
        addPart("KIT", 0, 0, {}, {}, 0, 0, "M");
        addPart("CAP", 1000, 0, "DIGI");
        addBom("KIT", "CAP", 3);
        addStep("KIT", "10", 0.5, "SMT");
        addStep("KIT", "20", 0.5, "Test");
        addRequirement("REQ0001", "KIT", 0, "2027-01-14 09:00:00");
    }

    // With orderArrives set the capacitors are bought: the order is dated
    // Thursday 14th and due on that day, so it holds nothing back.
    Schedule processAndSchedule(const QString& needDate, const QString& orderArrives = {})
    {
        if (!needDate.isEmpty()) {
            EXPECT_TRUE(SetRequirementNeedDate("REQ0001", needDate));
        }
        if (!orderArrives.isEmpty()) {
            EXPECT_TRUE(Execute("update PartList set Stock = 0 where Part_nBr = 'CAP'"));
        }
        EXPECT_TRUE(ProcessRequirement("REQ0001", 25, "KIT").done);
        if (!orderArrives.isEmpty()) {
            EXPECT_TRUE(Execute(SqlFormat("update PurcList set Date = '2027-01-14 00:00:00', Need_Date = '%s'",
                                          {orderArrives})));
        }
        return ComputeSchedule("REQ0001", kBase);
    }
};

TEST_F(BackScheduleTest, TaskHoursAreStepHoursTimesTheUnitsBuilt)
{
    const Schedule schedule = processAndSchedule({});
    ASSERT_EQ(schedule.items.size(), 2u);
    EXPECT_EQ(sqlite("select Count from TaskList order by Task_nBr"), "25\n25");
    for (const ScheduleItem& item : schedule.items) {
        EXPECT_DOUBLE_EQ(item.hours, 12.5);
        EXPECT_DOUBLE_EQ(item.stepHours, 0.5);
        EXPECT_EQ(item.resource, "BENCH");
    }
    // The task editor's hours agree with the timeline.
    EXPECT_DOUBLE_EQ(TaskRecordHours(LoadTask("REQ0001", "0")), 12.5);

    // Forward: SMT fills Thursday and 4.5 hours of Friday (37.5 chart hours);
    // test takes Friday's last 3.5 hours, jumps the weekend and the holiday,
    // fills Tuesday and ends one hour into Wednesday 20th.
    EXPECT_FALSE(schedule.backward);
    EXPECT_DOUBLE_EQ(schedule.items[0].start, 0);
    EXPECT_DOUBLE_EQ(schedule.items[0].length, 37.5);
    EXPECT_DOUBLE_EQ(schedule.items[1].start, 37.5);
    EXPECT_DOUBLE_EQ(schedule.items[1].length, 37.5 + 3 * 24);
    EXPECT_EQ(kThursday.addDays(static_cast<qint64>((schedule.items[1].start + schedule.items[1].length) / 24)),
              QDate(2027, 1, 20));

    // Without the holiday Monday is a working day and the work ends on Tuesday.
    ASSERT_EQ(RemoveHoliday("2027-01-18"), 1);
    const Schedule noHoliday = ComputeSchedule("REQ0001", kBase);
    EXPECT_DOUBLE_EQ(noHoliday.items[1].length, 37.5 + 2 * 24);

    // A count changed in the task editor changes the work with it.
    TaskRecord task = LoadTask("REQ0001", "1");
    task.count = "10";
    ASSERT_TRUE(SaveTask(task));
    EXPECT_DOUBLE_EQ(ComputeSchedule("REQ0001", kBase).items[1].hours, 5);
    task.count = "0";
    EXPECT_FALSE(SaveTask(task));
    EXPECT_TRUE(ui.saw("The count must be a number above 0."));
}

TEST_F(BackScheduleTest, ANeedDateThatCanBeMadePlacesTheWorkAsLateAsItCan)
{
    // Need date Friday 22nd: test ends with it and starts at 10.5 chart hours
    // into Thursday 21st; SMT ends there and starts one working hour before
    // the end of Tuesday 19th.
    const Schedule schedule = processAndSchedule("2027-01-22", "2027-01-19");
    ASSERT_EQ(schedule.items.size(), 3u); // the purchase order of the capacitors, then the two tasks
    EXPECT_TRUE(schedule.backward);
    EXPECT_EQ(schedule.lateDays, 0);
    const ScheduleItem& smt = schedule.items[1];
    const ScheduleItem& test = schedule.items[2];
    EXPECT_DOUBLE_EQ(test.start + test.length, 9 * 24);
    EXPECT_DOUBLE_EQ(test.start, 7 * 24 + 10.5);
    EXPECT_DOUBLE_EQ(smt.start + smt.length, test.start);
    EXPECT_DOUBLE_EQ(smt.start, 6 * 24 - 3);
    EXPECT_FALSE(smt.late);
    EXPECT_FALSE(test.late);
}

TEST_F(BackScheduleTest, ANeedDateThatCannotBeMadeIsLateByTheWorkingDaysMissing)
{
    // Nothing could start before today, Thursday 14th, and the work needs
    // until Wednesday 20th: Friday, Tuesday and Wednesday past a need date of
    // the 14th.
    const Schedule schedule = processAndSchedule("2027-01-14", "2027-01-14");
    ASSERT_EQ(schedule.items.size(), 3u);
    EXPECT_FALSE(schedule.backward);
    EXPECT_EQ(schedule.lateDays, 3);
    EXPECT_EQ(LateText(schedule.lateDays), "needs 3 more working days");
    const ScheduleItem& smt = schedule.items[1];
    const ScheduleItem& test = schedule.items[2];
    EXPECT_DOUBLE_EQ(smt.start, 0);
    EXPECT_TRUE(smt.late);
    EXPECT_TRUE(test.late);
    EXPECT_EQ(test.status, 4);
    EXPECT_EQ(PreviewLateDays("KIT", 25, kThursday, kBase), 3);
    EXPECT_EQ(PreviewLateDays("KIT", 25, QDate(2027, 1, 22), kBase), 0);
}

TEST_F(BackScheduleTest, PurchaseOrdersAreNeededWhenTheFirstTaskMustStart)
{
    // The orders arrive before the first task: with the need date on Friday
    // 22nd the SMT work must begin on Tuesday 19th.
    ASSERT_TRUE(Execute("update PartList set Stock = 0 where Part_nBr = 'CAP'"));
    ASSERT_TRUE(SetRequirementNeedDate("REQ0001", "2027-01-22"));
    ASSERT_TRUE(ProcessRequirement("REQ0001", 25, "KIT").done);
    EXPECT_EQ(MaterialNeedDate("KIT", 25, QDate(2027, 1, 22), kThursday), QDate(2027, 1, 19));
    // Never before today.
    EXPECT_EQ(MaterialNeedDate("KIT", 25, QDate(2027, 1, 14), kThursday), kThursday);
    // Process dated the order from the requirement's need date.
    EXPECT_EQ(sqlite("select Need_Date from PurcList"),
              IsoDate(MaterialNeedDate("KIT", 25, QDate(2027, 1, 22), QDate::currentDate())));

    // A bar without a need date counts five working days, as tasks do: from
    // Thursday over the weekend and the holiday to Thursday 21st.
    ASSERT_TRUE(Execute("update PurcList set Need_Date = '', Date = '2027-01-14 00:00:00'"));
    const Schedule schedule = ComputeSchedule("REQ0001", kBase);
    EXPECT_DOUBLE_EQ(schedule.items[0].start, 0);
    EXPECT_DOUBLE_EQ(schedule.items[0].length, 8 * 24);
}

TEST_F(BackScheduleTest, TheBackwardStretchMirrorsTheForwardOne)
{
    WorkingTime working;
    working.holidays.insert(QDate(2027, 1, 18));
    // From Friday's end back one working day is Friday; two reach Thursday.
    EXPECT_DOUBLE_EQ(StretchBackOverDaysOff(kThursday, 48, 24, working), 24);
    EXPECT_DOUBLE_EQ(StretchBackOverDaysOff(kThursday, 48, 48, working), 0);
    // From Tuesday noon back one working day crosses the holiday and the weekend.
    EXPECT_DOUBLE_EQ(StretchBackOverDaysOff(kThursday, 5 * 24 + 12, 24, working), 36);
    for (const double start : {0.0, 12.0, 37.5}) {
        const double length = StretchOverDaysOff(kThursday, start, 60, working);
        EXPECT_DOUBLE_EQ(StretchBackOverDaysOff(kThursday, start + length, 60, working), start) << start;
    }
    EXPECT_EQ(WorkingDaysBetween(QDate(2027, 1, 15), QDate(2027, 1, 20), working), 2);
}

TEST_F(BackScheduleTest, ResourceLoadSpreadsTheWorkOverTheDaysAndMarksOverload)
{
    processAndSchedule({});
    ResourceLoad load;
    AddScheduleLoad(ComputeSchedule("REQ0001", kBase), load);
    ASSERT_EQ(load.resources, QStringList{"BENCH"});
    const QMap<QDate, double> bench = load.hours.value("BENCH");
    EXPECT_DOUBLE_EQ(bench.value(QDate(2027, 1, 14)), 8);
    EXPECT_DOUBLE_EQ(bench.value(QDate(2027, 1, 15)), 8);
    EXPECT_FALSE(bench.contains(QDate(2027, 1, 18)));
    EXPECT_DOUBLE_EQ(bench.value(QDate(2027, 1, 19)), 8);
    EXPECT_DOUBLE_EQ(bench.value(QDate(2027, 1, 20)), 1);
    EXPECT_FALSE(load.over("BENCH", QDate(2027, 1, 14)));
    // A second build on the same days doubles the load past the 8 hours.
    AddScheduleLoad(ComputeSchedule("REQ0001", kBase), load);
    EXPECT_TRUE(load.over("BENCH", QDate(2027, 1, 14)));
    EXPECT_FALSE(load.over("BENCH", QDate(2027, 1, 20)));
}
