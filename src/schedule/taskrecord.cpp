#include "schedule/taskrecord.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/production.h"
#include "schedule/schedule.h"

#include <algorithm>

TaskRecord LoadTask(const QString& orderNumber, const QString& taskNumber)
{
    TaskRecord task;
    task.orderNumber = orderNumber;
    task.taskNumber = taskNumber;
    auto taskField = [&](const char* field) {
        return QueryText(SqlFormat("Select %s from TaskList where Requirement = '%s' and Task_nBr = '%s'",
                                   {QString::fromLatin1(field), orderNumber, taskNumber}),
                         false);
    };
    task.actual = taskField("Actual");
    task.count = taskField("Count");
    task.status = taskField("Status");
    task.assembly = taskField("Assy");
    task.step = taskField("Step");
    auto stepField = [&](const char* field) {
        return QueryText(SqlFormat("Select %s from RescList where Assy = '%s' and Step = '%s'",
                                   {QString::fromLatin1(field), task.assembly, task.step}),
                         false);
    };
    task.description = stepField("Description");
    task.resource = stepField("Resource");
    task.hours = stepField("Hours");
    return task;
}

bool TaskById(const QString& id, QString& orderNumber, QString& taskNumber)
{
    const QueryResult row = Query(SqlFormat("Select Requirement,Task_nBr from TaskList where id = %i", {TextToInt(id)}));
    if (row.rowCount == 0)
        return false;
    orderNumber = row.cell(0, 0);
    taskNumber = row.cell(0, 1);
    return true;
}

bool SaveTask(const TaskRecord& task)
{
    bool number = false;
    const double count = task.count.trimmed().toDouble(&number);
    if (!number || !(count > 0)) {
        ShowMessage(Translate(QStringLiteral("The count must be a number above 0.")));
        return false;
    }
    Transaction transaction;
    // The column names are fixed; the values are the texts as typed.
    const char* statement = "Update TaskList Set %s = '%s' where Requirement = '%s' and Task_nBr = '%s'";
    Execute(SqlFormat(statement, {QStringLiteral("Actual"), task.actual, task.orderNumber, task.taskNumber}));
    Execute(SqlFormat(statement, {QStringLiteral("Count"), task.count, task.orderNumber, task.taskNumber}));
    Execute(SqlFormat(statement, {QStringLiteral("Status"), task.status, task.orderNumber, task.taskNumber}));
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
