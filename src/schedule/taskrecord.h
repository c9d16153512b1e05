#pragma once
// The records behind the two small scheduling dialogs: one task with its
// routing step, and the working time of the timeline.
#include "db/recordcheck.h"

#include <QString>

struct TaskRecord
{
    QString orderNumber;
    QString taskNumber;
    QString actual;
    QString count;
    QString status;
    QString assembly;
    QString step;
    QString description; // of the routing step
    QString resource;
    QString hours;
    RecordSnapshot loaded; // the stored task as it was read
};

TaskRecord LoadTask(const QString& orderNumber, const QString& taskNumber);
// The requirement and task number of a TaskList row; false when none.
bool TaskById(const QString& id, QString& orderNumber, QString& taskNumber);
// Writes Actual, Count and Status, stamped with the user. The count is the
// units the task builds: a count that is no number above 0 is refused with a
// message and nothing is written. Under the write lock the stored task must
// still be what LoadTask read; otherwise (another desk saved it, marked it
// done, or cancelled or deleted its requirement) nothing is written, who
// changed it and when is said, and *stale is set.
bool SaveTask(const TaskRecord& task, bool* stale = nullptr);
// Marks one task "Done" (its own transaction); false when there is no such task.
bool MarkTaskDone(const QString& orderNumber, int taskNumber);
// The task's planned work: the step's hours per unit times the count.
double TaskRecordHours(const TaskRecord& task);

struct TimelineSetupValues
{
    int daysOff = 65;
    int hours = 8;
};

TimelineSetupValues ReadTimelineSetup();
// Writes what differs from `opened` (hours held to 1 .. 24); true when a
// value was written.
bool SaveTimelineSetup(const TimelineSetupValues& opened, TimelineSetupValues values);
