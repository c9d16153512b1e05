#pragma once
// The schedule of one requirement as the timeline draws it: its purchase
// orders from order date to need date, then its tasks one after the other on
// working days. Computed afresh at every load; nothing of it is stored.
#include <QDateTime>
#include <QSet>
#include <QString>
#include <vector>

struct WorkingTime
{
    int daysOff = 65;    // bit 1 << weekday (0 Sunday .. 6 Saturday)
    int hoursPerDay = 8; // 1 .. 24
    QSet<QDate> holidays; // dates off besides the weekly ones
    bool isDayOff(const QDate& date) const
    {
        return ((daysOff >> (date.dayOfWeek() % 7)) & 1) || holidays.contains(date);
    }
};

// Global parameters 8 and 9, with their defaults for empty or out-of-range
// texts, and the holidays.
WorkingTime ReadWorkingTime();

// A task's work in hours: the routing step's hours are per unit, so the work
// grows with the units the task builds. A count of 0 or less counts as one unit.
double TaskWorkHours(double stepHours, double count);
// Chart hours of that work: a working day fills 24.
double WorkChartHours(double workHours, const WorkingTime& working);

enum class ScheduleKind { PurchaseOrder, Task };

struct ScheduleItem
{
    QString label;
    ScheduleKind kind = ScheduleKind::PurchaseOrder;
    int taskNumber = 0;
    double start = 0;   // chart hours from base
    double length = 0;  // chart hours; a working day fills 24
    double percent = 0; // tasks only
    int status = 0;     // 0 pending, 1 in process, 2 complete or closed, 3 pending/due, 4 late
    QString statusText; // as stored
    // What the bar's tooltip tells besides its place.
    QString vendor;     // purchase orders
    QString ordered;    // purchase orders: the order date as stored
    QString needed;     // purchase orders: the need date as stored; empty when none
    QString step;       // tasks
    QString resource;   // tasks: the routing step's resource
    double hours = 0;   // tasks: the planned work, step hours × count
    double stepHours = 0; // tasks: the routing step's hours per unit
    double count = 0;   // tasks: the units built
    double actual = 0;  // tasks: the hours worked so far
    bool late = false;  // tasks: ends after the need date
};

struct Schedule
{
    QString orderNumber;
    bool valid = false; // false when the requirement has no usable Created date
    QDateTime base;     // local midnight of the Created day
    double now = 0;     // whole hours from base to the moment of loading
    double cursor = 0;
    qint64 span = 14 * 86400; // seconds shown
    WorkingTime working;
    QDate needDate;      // the requirement's; invalid when none is set
    bool backward = false; // the tasks were placed back from the need date
    int lateDays = 0;    // working days past the need date the work needs
    std::vector<ScheduleItem> items;
};

// Hours of a task bar from its start: the work spread over working days, every
// day off inside it adding a whole day.
double StretchOverDaysOff(const QDate& baseDate, double start, double length, const WorkingTime& working);
// The start of a bar of `length` working chart hours that ends at `end`,
// every day off inside it lying between the two.
double StretchBackOverDaysOff(const QDate& baseDate, double end, double length, const WorkingTime& working);
// Working days d with after < d <= through.
int WorkingDaysBetween(const QDate& after, const QDate& through, const WorkingTime& working);

struct TaskPlacement
{
    double start = 0;  // chart hours from the base date
    double length = 0; // chart hours, days off included
    bool late = false; // ends after the need date
};

struct PlacedTasks
{
    std::vector<TaskPlacement> bars;
    bool backward = false;  // placed back from the need date
    double latestStart = 0; // when the first task must start to make the need date
    int lateDays = 0;       // working days past the need date; 0 when it is made
};

// Places tasks of the given work (chart hours) one after the other. Without a
// need date they run forward from `earliest`. With one, the last ends with the
// need date's working day and each starts as late as it can; when the first
// would then start before `earliest`, they run forward from `earliest`
// instead, those ending after the need date are late and lateDays says by how
// many working days.
PlacedTasks PlaceTasks(const QDate& baseDate, const std::vector<double>& lengths, double earliest,
                       const QDate& needDate, const WorkingTime& working);

// Working days a build of the assembly started today would end past the
// need date (0 when it makes it): the preview's warning before Process.
int PreviewLateDays(const QString& assembly, double quantity, const QDate& needDate, const QDateTime& now);

// The day the purchase orders of a build must have arrived by: the latest
// start of its first task back from the need date, not before today; the
// need date itself when the build has no tasks.
QDate MaterialNeedDate(const QString& assembly, double quantity, const QDate& needDate, const QDate& today);

// "needs %i more working days" (translated); empty when none are needed.
QString LateText(int lateDays);

// Computes the schedule with `now` as the present moment. A requirement with
// a missing or malformed Created date is reported and gives an empty schedule.
Schedule ComputeSchedule(const QString& orderNumber, const QDateTime& now);

// The chart rows of the requirement list: "%s:Assy:%s" for each ReqmList row.
QStringList RequirementEntries();

// Whether a purchase order drawn on the timeline is still on file.
bool ScheduledOrderOnFile(const QString& number);
