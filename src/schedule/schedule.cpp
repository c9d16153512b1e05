#include "schedule/schedule.h"

#include "bom/explosion.h"
#include "core/statuses.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "core/dates.h"
#include "db/parameters.h"
#include "db/production.h"
#include "db/purchaseorders.h"
#include "db/requirements.h"
#include "db/routing.h"
#include "db/stockledger.h"
#include "db/taskrows.h"
#include "schedule/taskbuilder.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Whole hours between two moments, as the chart counts them.
double hoursBetween(const QDateTime& from, const QDateTime& to)
{
    return std::trunc(static_cast<double>(from.secsTo(to)) / 3600.0);
}

// The calendar day that holds the chart hour `hours`: chart hours count 24 to a
// day from the base midnight, whatever clock changes lie between.
QDate dayAt(const QDate& baseDate, double hours)
{
    return baseDate.addDays(static_cast<qint64>(std::floor(hours / 24.0)));
}

// Every weekday off: no bar could ever be placed, so none is stretched.
bool allDaysOff(const WorkingTime& working)
{
    return (working.daysOff & 127) == 127;
}

} // namespace

WorkingTime ReadWorkingTime()
{
    WorkingTime working;
    const QString mask = GetParam(ParamDaysOff);
    working.daysOff = mask.isEmpty() ? 65 : TextToInt(mask);
    const QString hours = GetParam(ParamWorkingHours);
    working.hoursPerDay = hours.isEmpty() ? 8 : TextToInt(hours);
    if (working.hoursPerDay < 1 || working.hoursPerDay > 24)
        working.hoursPerDay = 8;
    for (const QString& date : ReadHolidayDates())
        working.holidays.insert(StoredDate(date));
    return working;
}

double TaskWorkHours(double stepHours, double count)
{
    return stepHours * (count > 0 ? count : 1);
}

double WorkChartHours(double workHours, const WorkingTime& working)
{
    return workHours * 24 / working.hoursPerDay;
}

// The stretch counts chart hours throughout: a working day consumes 24 hours
// of the bar's remaining work, a day off lengthens the bar by the hours of it
// the bar covers. Two working days from a Friday with the weekend off thus end
// on Monday night.
double StretchOverDaysOff(const QDate& baseDate, double start, double length, const WorkingTime& working)
{
    if (length <= 0 || allDaysOff(working))
        return length;
    double remaining = length;
    double position = start;
    double stretched = length;
    while (remaining > 0) {
        const double dayEnd = (std::floor(position / 24.0) + 1) * 24.0;
        const double portion = dayEnd - position;
        if (working.isDayOff(dayAt(baseDate, position)))
            stretched += portion;
        else
            remaining -= portion;
        position = dayEnd;
    }
    return stretched;
}

double StretchBackOverDaysOff(const QDate& baseDate, double end, double length, const WorkingTime& working)
{
    if (length <= 0 || allDaysOff(working))
        return end - std::max(0.0, length);
    double remaining = length;
    double position = end;
    while (remaining > 1e-9) {
        // The day that holds the moment just before `position`.
        const double dayStart = std::ceil(position / 24.0 - 1.0) * 24.0;
        const double portion = position - dayStart;
        if (!working.isDayOff(dayAt(baseDate, dayStart))) {
            if (portion >= remaining)
                return position - remaining;
            remaining -= portion;
        }
        position = dayStart;
    }
    return position;
}

int WorkingDaysBetween(const QDate& after, const QDate& through, const WorkingTime& working)
{
    int days = 0;
    if (allDaysOff(working))
        return 0;
    for (QDate d = after.addDays(1); d <= through; d = d.addDays(1))
        if (!working.isDayOff(d))
            ++days;
    return days;
}

PlacedTasks PlaceTasks(const QDate& baseDate, const std::vector<double>& lengths, double earliest,
                       const QDate& needDate, const WorkingTime& working)
{
    PlacedTasks placed;
    const auto forward = [&] {
        placed.bars.clear();
        double cursor = earliest;
        for (const double length : lengths) {
            double start = cursor;
            // Weekly days off and a run of holidays are passed over, never a whole year.
            for (int guard = 0; guard < 366 && !allDaysOff(working) && working.isDayOff(dayAt(baseDate, start));
                 ++guard)
                start = (std::floor(start / 24.0) + 1) * 24.0;
            const double stretched = StretchOverDaysOff(baseDate, start, length, working);
            placed.bars.push_back({start, stretched, false});
            cursor = start + stretched;
        }
    };
    if (!needDate.isValid() || lengths.empty()) {
        forward();
        placed.latestStart = placed.bars.empty() ? earliest : placed.bars.front().start;
        return placed;
    }
    // The need date's working day is the last one the work may use.
    const double needEnd = static_cast<double>(baseDate.daysTo(needDate) + 1) * 24.0;
    std::vector<TaskPlacement> back(lengths.size());
    double end = needEnd;
    for (size_t i = lengths.size(); i-- > 0;) {
        const double start = StretchBackOverDaysOff(baseDate, end, lengths[i], working);
        back[i] = {start, end - start, false};
        end = start;
    }
    placed.latestStart = back.front().start;
    if (placed.latestStart >= earliest - 1e-6) {
        placed.bars = std::move(back);
        placed.backward = true;
        return placed;
    }
    forward();
    for (TaskPlacement& bar : placed.bars)
        bar.late = bar.start + bar.length > needEnd + 1e-6;
    const TaskPlacement& last = placed.bars.back();
    const double finish = last.start + last.length;
    if (finish > needEnd + 1e-6)
        placed.lateDays = std::max(1, WorkingDaysBetween(needDate, dayAt(baseDate, finish - 1e-6), working));
    return placed;
}

namespace {

std::vector<double> plannedLengths(const QString& assembly, double quantity, const WorkingTime& working)
{
    bool ok = false;
    const std::vector<PlannedTask> planned = PlanTasks(assembly, quantity, &ok);
    std::vector<double> lengths;
    for (const PlannedTask& task : planned)
        lengths.push_back(WorkChartHours(TaskWorkHours(task.stepHours, task.count), working));
    return lengths;
}

} // namespace

int PreviewLateDays(const QString& assembly, double quantity, const QDate& needDate, const QDateTime& now)
{
    if (!needDate.isValid())
        return 0;
    const WorkingTime working = ReadWorkingTime();
    const std::vector<double> lengths = plannedLengths(assembly, quantity, working);
    if (lengths.empty())
        return needDate < now.date() ? WorkingDaysBetween(needDate, now.date(), working) : 0;
    return PlaceTasks(now.date(), lengths, 0, needDate, working).lateDays;
}

QDate MaterialNeedDate(const QString& assembly, double quantity, const QDate& needDate, const QDate& today)
{
    const WorkingTime working = ReadWorkingTime();
    const std::vector<double> lengths = plannedLengths(assembly, quantity, working);
    if (lengths.empty())
        return needDate;
    const PlacedTasks placed = PlaceTasks(today, lengths, 0, needDate, working);
    const QDate start = dayAt(today, placed.latestStart);
    return std::max(start, today);
}

QString LateText(int lateDays)
{
    if (lateDays <= 0)
        return QString();
    return Format(Translate(QStringLiteral("needs %i more working days")).toUtf8().constData(), {lateDays});
}

Schedule ComputeSchedule(const QString& orderNumber, const QDateTime& now)
{
    Schedule schedule;
    schedule.orderNumber = orderNumber;
    schedule.working = ReadWorkingTime();
    const WorkingTime& working = schedule.working;

    const RequirementBuild requirement = ReadRequirementBuild(orderNumber);
    const QString created = ReadRequirementFields(orderNumber).created;
    const QDateTime createdTime = ParseTimestamp(created);
    if (created.size() < 10 || !createdTime.date().isValid() || createdTime.date().year() < 1900) {
        ShowMessage(Format("%s %s: \"%s\"", {orderNumber, Translate(QStringLiteral("has no valid Created date")),
                                              created}));
        return schedule;
    }
    schedule.valid = true;
    schedule.base = QDateTime(createdTime.date(), QTime(0, 0));
    const QDate baseDate = schedule.base.date();
    schedule.now = hoursBetween(schedule.base, now);
    schedule.needDate = StoredDate(requirement.needDate);
    const bool open = !RequirementFinished(requirement.status);

    // Purchase orders: a bar runs from the order date to the need date, or
    // over five working days when no need date is set. Without a need date
    // for the requirement the tasks begin where the last purchase-order bar
    // ends; with one, the open orders must have arrived before the first task.
    double lastOrderEnd = 0;
    double arrival = 0;
    {
        for (const RequirementPurchaseOrder& order : ReadRequirementPurchaseOrders(orderNumber)) {
            ScheduleItem item;
            item.kind = ScheduleKind::PurchaseOrder;
            item.label = order.number;
            item.vendor = order.vendor;
            item.ordered = order.date;
            const QDateTime date = ParseTimestamp(order.date);
            item.start = date.isValid() ? hoursBetween(schedule.base, date) : 0;
            const QString needText = order.needDate;
            item.needed = needText.size() < 5 ? QString() : needText;
            const QDate need = StoredDate(needText);
            const double needPoint = !need.isValid()
                                         ? item.start + StretchOverDaysOff(baseDate, item.start, 120, working)
                                         : hoursBetween(schedule.base, QDateTime(need, QTime(0, 0)));
            item.length = std::max(0.0, needPoint - item.start);
            lastOrderEnd = item.start + item.length;
            const QString& status = order.status;
            item.statusText = status;
            const PurchaseOrderStatus code = PurchaseOrderStatusOf(status);
            item.status = code == PurchaseOrderStatus::Closed ? 2 : code == PurchaseOrderStatus::Pending ? 3 : 1;
            if (needPoint < schedule.now && item.status != 2)
                item.status = 4;
            if (item.status != 2)
                arrival = std::max(arrival, item.start + item.length);
            schedule.items.push_back(item);
        }
    }

    std::vector<RequirementTask> tasks = ReadRequirementTasks(orderNumber);
    if (!tasks.empty()) {
        // The hours of every step the tasks name, in one read instead of one per task.
        const StepHours stepHours = ReadStepHours(orderNumber);
        // Task numbers may be stored as text, which would sort 10 before 2.
        std::stable_sort(tasks.begin(), tasks.end(), [](const RequirementTask& a, const RequirementTask& b) {
            return TextToInt(a.taskNumber) < TextToInt(b.taskNumber);
        });
        std::vector<ScheduleItem> taskItems;
        std::vector<double> lengths;
        for (const RequirementTask& task : tasks) {
            ScheduleItem item;
            item.kind = ScheduleKind::Task;
            item.taskNumber = TextToInt(task.taskNumber);
            item.label = task.assembly;
            item.step = task.step;
            item.actual = TextToDouble(task.actual);
            const StepWork step = stepHours.value({item.label, task.step});
            item.stepHours = TextToDouble(step.hours);
            item.resource = step.resource;
            item.count = TextToDouble(task.count);
            item.hours = TaskWorkHours(item.stepHours, item.count);
            const double length = WorkChartHours(item.hours, working);
            item.percent = length > 0 ? WorkChartHours(item.actual, working) * 100 / length : 0;
            item.statusText = task.status;
            lengths.push_back(length);
            taskItems.push_back(item);
        }
        // Forward, the tasks follow the purchase orders as they always did;
        // back from a need date, the orders still to arrive and today are the
        // earliest the work can begin.
        double earliest = lastOrderEnd;
        QDate needDate;
        if (schedule.needDate.isValid() && open) {
            needDate = schedule.needDate;
            earliest = std::max(arrival, std::floor(schedule.now / 24.0) * 24.0);
        } else if (schedule.needDate.isValid()) {
            needDate = schedule.needDate;
            earliest = -1e12; // a finished requirement is late no more
        }
        const PlacedTasks placed = PlaceTasks(baseDate, lengths, earliest, needDate, working);
        schedule.backward = placed.backward;
        schedule.lateDays = open ? placed.lateDays : 0;
        for (size_t i = 0; i < taskItems.size(); ++i) {
            ScheduleItem& item = taskItems[i];
            item.start = placed.bars[i].start;
            item.length = placed.bars[i].length;
            const TaskStatus code = TaskStatusOf(item.statusText);
            const bool finished = code == TaskStatus::Done;
            if (finished)
                item.status = 2;
            else
                item.status = code == TaskStatus::InProcess ? 1 : 0;
            if (item.start < schedule.now) {
                if (code == TaskStatus::Pending)
                    item.status = item.start + item.length * 0.5 < schedule.now ? 4 : 3;
                else if (code == TaskStatus::InProcess && item.start + item.length < schedule.now)
                    item.status = 4;
            }
            item.late = open && !finished && placed.bars[i].late;
            if (item.late)
                item.status = 4;
            schedule.cursor = std::max(schedule.cursor, item.start + item.length);
            schedule.items.push_back(item);
        }
    }
    schedule.cursor = std::max(schedule.cursor, lastOrderEnd);
    schedule.span = static_cast<qint64>(schedule.cursor / 24 + 14) * 86400;
    return schedule;
}

QStringList RequirementEntries()
{
    QStringList entries;
    for (const auto& [order, assembly] : ReadRequirementAssemblies())
        entries << Format("%s:Assy:%s", {order, assembly});
    return entries;
}

bool ScheduledOrderOnFile(const QString& number)
{
    return PurchaseOrderOnFile(number);
}
