#include "schedule/schedule.h"

#include "bom/explosion.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/taskrows.h"

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
    return working;
}

// The stretch counts chart hours throughout: a working day consumes 24 hours
// of the bar's remaining work, a day off lengthens the bar by the hours of it
// the bar covers. Two working days from a Friday with the weekend off thus end
// on Monday night.
double StretchOverDaysOff(const QDate& baseDate, double start, double length, const WorkingTime& working)
{
    if (length <= 0 || (working.daysOff & 127) == 127)
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

Schedule ComputeSchedule(const QString& orderNumber, const QDateTime& now)
{
    Schedule schedule;
    schedule.orderNumber = orderNumber;
    schedule.working = ReadWorkingTime();
    const WorkingTime& working = schedule.working;

    const QString created =
        QueryText(SqlFormat("Select Created from ReqmList where Order_nBr = '%s'", {orderNumber}), false);
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

    // Purchase orders: a bar runs from the order date to the need date, or
    // over 120 hours when no need date is set; the tasks begin where the last
    // purchase-order bar ends.
    const QueryResult orders = Query(SqlFormat(
        "Select PurcList.ID,PurcList.Vendor,PurcList.PO_nBr,PurcList.Date,PurcList.Need_Date,PurcList.Status from "
        "PurcList where PurcList.Order_nBr = '%s'",
        {orderNumber}));
    if (orders.rowCount > 0) {
        const int dateColumn = FindHeading(orders, QStringLiteral("Date"));
        const int needColumn = FindHeading(orders, QStringLiteral("Need"));
        const int poColumn = FindHeading(orders, QStringLiteral("PO"));
        const int statusColumn = FindHeading(orders, QStringLiteral("Status"));
        const int vendorColumn = FindHeading(orders, QStringLiteral("Vend"));
        for (int r = 0; r < orders.rowCount; ++r) {
            ScheduleItem item;
            item.kind = ScheduleKind::PurchaseOrder;
            item.label = orders.cell(r, poColumn);
            item.vendor = orders.cell(r, vendorColumn);
            item.ordered = orders.cell(r, dateColumn);
            const QDateTime date = ParseTimestamp(orders.cell(r, dateColumn));
            item.start = date.isValid() ? hoursBetween(schedule.base, date) : 0;
            const QString needText = orders.cell(r, needColumn);
            item.needed = needText.size() < 5 ? QString() : needText;
            const QDateTime need = ParseTimestamp(needText);
            const double needPoint =
                needText.size() < 5 || !need.isValid() ? item.start + 120 : hoursBetween(schedule.base, need);
            item.length = std::max(0.0, needPoint - item.start);
            schedule.cursor = item.start + item.length;
            const QString status = orders.cell(r, statusColumn);
            item.statusText = status;
            item.status = status.contains(QLatin1String("Close")) ? 2
                          : status.contains(QLatin1String("Pend")) ? 3
                                                                   : 1;
            if (needPoint < schedule.now && item.status != 2)
                item.status = 4;
            schedule.items.push_back(item);
        }
    }

    const QueryResult tasks =
        Query(SqlFormat("Select * from TaskList where TaskList.Requirement = '%s' order by task_nBr", {orderNumber}));
    if (tasks.rowCount > 0) {
        const int assyColumn = FindHeading(tasks, QStringLiteral("Assy"));
        const int actualColumn = FindHeading(tasks, QStringLiteral("Actual"));
        const int stepColumn = FindHeading(tasks, QStringLiteral("Step"));
        const int countColumn = FindHeading(tasks, QStringLiteral("Count"));
        const int statusColumn = FindHeading(tasks, QStringLiteral("Status"));
        const int taskColumn = FindHeading(tasks, QStringLiteral("Task"));
        // The hours of every step the tasks name, in one read instead of one per task.
        const StepHours stepHours = ReadStepHours(orderNumber);
        // Task numbers may be stored as text, which would sort 10 before 2.
        std::vector<int> order(static_cast<size_t>(tasks.rowCount));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return TextToInt(tasks.cell(a, taskColumn)) < TextToInt(tasks.cell(b, taskColumn));
        });
        for (const int r : order) {
            ScheduleItem item;
            item.kind = ScheduleKind::Task;
            item.taskNumber = TextToInt(tasks.cell(r, taskColumn));
            item.label = tasks.cell(r, assyColumn);
            item.step = tasks.cell(r, stepColumn);
            item.actual = TextToDouble(tasks.cell(r, actualColumn));
            const double hours = TextToDouble(stepHours.value({item.label, tasks.cell(r, stepColumn)}));
            // A count of 0 or less would divide by nothing: it counts as one unit.
            double count = TextToDouble(tasks.cell(r, countColumn));
            if (count <= 0)
                count = 1;
            const double work = hours / count;
            item.hours = hours;
            const double length = work * 24 / working.hoursPerDay;
            item.percent =
                length > 0 ? TextToDouble(tasks.cell(r, actualColumn)) * 24 / working.hoursPerDay * 100 / length : 0;
            double start = schedule.cursor;
            for (int guard = 0; guard < 7 && working.isDayOff(dayAt(baseDate, start)); ++guard)
                start += 24;
            item.start = start;
            item.length = StretchOverDaysOff(baseDate, start, length, working);
            const QString status = tasks.cell(r, statusColumn);
            item.statusText = status;
            if (status.contains(QLatin1String("Complete")))
                item.status = 2;
            else
                item.status = status.contains(QLatin1String("In")) ? 1 : 0;
            if (item.start < schedule.now) {
                if (status.contains(QLatin1String("Pend")))
                    item.status = item.start + item.length * 0.5 < schedule.now ? 4 : 3;
                else if (status.contains(QLatin1String("In")) && item.start + item.length < schedule.now)
                    item.status = 4;
            }
            schedule.cursor = item.start + item.length;
            schedule.items.push_back(item);
        }
    }
    schedule.span = static_cast<qint64>(schedule.cursor / 24 + 14) * 86400;
    return schedule;
}

QStringList RequirementEntries()
{
    QStringList entries;
    const QueryResult rows = Query(QStringLiteral("Select ReqmList.Order_nBr,ReqmList.Assy from ReqmList order by id"));
    for (int r = 0; r < rows.rowCount; ++r)
        entries << Format("%s:Assy:%s", {rows.cell(r, 0), rows.cell(r, 1)});
    return entries;
}

bool ScheduledOrderOnFile(const QString& number)
{
    return !number.isEmpty()
           && QueryText(SqlFormat("Select PO_nBr from PurcList where PO_nBr = '%s'", {number}), false) == number;
}
