#pragma once
// The schedule of one requirement as the timeline draws it: its purchase
// orders from order date to need date, then its tasks one after the other on
// working days. Computed afresh at every load; nothing of it is stored.
#include <QDateTime>
#include <QString>
#include <vector>

struct WorkingTime
{
    int daysOff = 65;    // bit 1 << weekday (0 Sunday .. 6 Saturday)
    int hoursPerDay = 8; // 1 .. 24
    bool isDayOff(const QDate& date) const { return (daysOff >> (date.dayOfWeek() % 7)) & 1; }
};

// Global parameters 8 and 9, with their defaults for empty or out-of-range texts.
WorkingTime ReadWorkingTime();

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
    double hours = 0;   // tasks: the step's planned hours
    double actual = 0;  // tasks: the hours worked so far
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
    std::vector<ScheduleItem> items;
};

// Hours of a task bar from its start: the work spread over working days, every
// day off inside it adding a whole day.
double StretchOverDaysOff(const QDate& baseDate, double start, double length, const WorkingTime& working);

// Computes the schedule with `now` as the present moment. A requirement with
// a missing or malformed Created date is reported and gives an empty schedule.
Schedule ComputeSchedule(const QString& orderNumber, const QDateTime& now);

// The chart rows of the requirement list: "%s:Assy:%s" for each ReqmList row.
QStringList RequirementEntries();

// Whether a purchase order drawn on the timeline is still on file.
bool ScheduledOrderOnFile(const QString& number);
