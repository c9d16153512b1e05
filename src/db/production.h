#pragma once
// The rows production reads and writes: a requirement's build figures and
// need date, its allocations as completion consumes them, the tasks across
// requirements, the purchase orders' need dates and the list of holidays.
// Writes run inside the caller's transaction unless said otherwise.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct RequirementBuild
{
    bool found = false;
    QString assembly;
    double quantity = 0; // ordered
    double built = 0;    // completed so far
    QString status;
    QString needDate;    // as stored; ISO once typed through a date cell
};

RequirementBuild ReadRequirementBuild(const QString& orderNumber);
bool SetRequirementNeedDate(const QString& orderNumber, const QString& isoDate);
bool SetRequirementBuilt(const QString& orderNumber, double built);
bool SetRequirementStatus(const QString& orderNumber, const QString& status);

struct HeldAllocation
{
    QString part;
    QString purchaseOrder;
    double quantity = 0;
    QString quantityText; // as stored, for the check that it is a plain number
};

// The requirement's AlloList rows in their order; *ok false when the read failed.
std::vector<HeldAllocation> ReadAllocations(const QString& orderNumber, bool* ok);
// Replaces the requirement's AlloList rows with these (one delete, one insert).
bool ReplaceAllocations(const QString& orderNumber, const std::vector<HeldAllocation>& rows);

// One PartList figure ("Stock", "Allocated", "On_Order") of each named part,
// in one statement; parts without a record are left out.
QHash<QString, double> ReadPartFigure(const QString& column, const QStringList& parts, bool* ok);
// The parts of the list that have a PartList record.
QStringList PartsOnFile(const QStringList& parts, bool* ok);

// Step hours, resource and description come from the routing step of the task.
struct TaskRow
{
    QString id;
    QString orderNumber;
    int taskNumber = 0;
    QString assembly;
    QString step;
    QString description;
    QString resource;
    QString status;
    double count = 0;     // units the task builds
    double stepHours = 0; // per unit
    double actual = 0;
    QString requirementStatus;
};

// Every task, or those whose status and resource equal the filters (an empty
// filter takes all), ordered by requirement and task number.
std::vector<TaskRow> ReadTasks(const QString& status = {}, const QString& resource = {});
// The tasks of the requirements that are neither complete nor cancelled.
std::vector<TaskRow> ReadOpenTasks();
// The resources of the routing steps, sorted.
QStringList TaskResources();
// Sets the status of every task of the requirement.
bool SetRequirementTasksStatus(const QString& orderNumber, const QString& status);
// Sets one task's status; false when no such task.
bool SetTaskStatus(const QString& orderNumber, int taskNumber, const QString& status);

// Gives the requirement's purchase orders that have no need date this one.
bool SetPurchaseOrderNeedDates(const QString& orderNumber, const QString& isoDate);

// The holidays, ISO dates ascending; the valid ones only.
QStringList ReadHolidayDates();
// Adds a holiday (its own transaction); false when the database refused. A
// date already listed is kept once.
bool AddHoliday(const QString& isoDate, const QString& description);
// Removes a holiday (its own transaction); the number of rows removed, -1 on failure.
int RemoveHoliday(const QString& isoDate);
