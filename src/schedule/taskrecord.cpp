#include "schedule/taskrecord.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/production.h"
#include "db/routing.h"
#include "schedule/schedule.h"

#include <algorithm>

namespace {

RecordKey taskKey(const QString& orderNumber, const QString& taskNumber)
{
    return {{QStringLiteral("Requirement"), orderNumber}, {QStringLiteral("Task_nBr"), taskNumber}};
}

} // namespace

TaskRecord LoadTask(const QString& orderNumber, const QString& taskNumber)
{
    TaskRecord task;
    task.orderNumber = orderNumber;
    task.taskNumber = taskNumber;
    const TaskFields fields = ReadTaskFields(orderNumber, taskNumber);
    task.actual = fields.actual;
    task.count = fields.count;
    task.status = fields.status;
    task.assembly = fields.assembly;
    task.step = fields.step;
    const RoutingStepFields step = ReadRoutingStep(task.assembly, task.step);
    task.description = step.description;
    task.resource = step.resource;
    task.hours = step.hours;
    task.loaded = ReadRecordSnapshot(QStringLiteral("TaskList"), taskKey(orderNumber, taskNumber));
    return task;
}

bool TaskById(const QString& id, QString& orderNumber, QString& taskNumber)
{
    return ReadTaskOfRecord(TextToInt(id), orderNumber, taskNumber);
}

bool SaveTask(const TaskRecord& task, bool* stale)
{
    if (stale)
        *stale = false;
    bool number = false;
    const double count = task.count.trimmed().toDouble(&number);
    if (!number || !(count > 0)) {
        ShowMessage(Translate(QStringLiteral("The count must be a number above 0.")));
        return false;
    }
    Transaction transaction;
    if (task.loaded.read) {
        RecordSnapshot now;
        const QString what = task.orderNumber + QLatin1Char('/') + task.taskNumber;
        const QString why =
            StaleRecordText(what, QStringLiteral("TaskList"), taskKey(task.orderNumber, task.taskNumber), task.loaded, &now);
        if (!why.isEmpty()) {
            transaction.fail();
            transaction.commit();
            if (now.read && stale)
                *stale = true;
            ShowMessage(why + QLatin1Char('\n') + Translate(QStringLiteral("Nothing was written.")),
                        Translate(QStringLiteral("Task")));
            return false;
        }
    }
    // The values are the texts as typed.
    if (!WriteTaskFields(task.orderNumber, task.taskNumber, task.actual, task.count, task.status))
        transaction.fail();
    return transaction.commit();
}

bool MarkTaskDone(const QString& orderNumber, int taskNumber)
{
    Transaction transaction;
    if (!SetTaskStatus(orderNumber, taskNumber, QStringLiteral("Done")))
        transaction.fail();
    return transaction.commit();
}

double TaskRecordHours(const TaskRecord& task)
{
    return TaskWorkHours(TextToDouble(task.hours), TextToDouble(task.count));
}

TimelineSetupValues ReadTimelineSetup()
{
    TimelineSetupValues values;
    values.hours = TextToInt(GetParam(ParamWorkingHours));
    if (values.hours < 1 || values.hours > 24)
        values.hours = 8;
    const QString mask = GetParam(ParamDaysOff);
    values.daysOff = mask.isEmpty() ? 65 : TextToInt(mask);
    return values;
}

bool SaveTimelineSetup(const TimelineSetupValues& opened, TimelineSetupValues values)
{
    bool changed = false;
    if (values.daysOff != opened.daysOff) {
        SetParam(ParamDaysOff, Format("%i", {values.daysOff}));
        changed = true;
    }
    values.hours = std::clamp(values.hours, 1, 24);
    if (values.hours != opened.hours) {
        SetParam(ParamWorkingHours, Format("%i", {values.hours}));
        changed = true;
    }
    return changed;
}
