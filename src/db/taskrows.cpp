#include "db/taskrows.h"

#include "core/statuses.h"
#include "core/format.h"
#include "db/database.h"
#include "db/sqllist.h"

bool InsertPendingTasks(const QString& requirement, const std::vector<NewTask>& tasks, const QString& user,
                        const QString& stamp)
{
    if (tasks.empty())
        return true;
    QString values;
    for (const NewTask& task : tasks) {
        if (!values.isEmpty())
            values += QLatin1Char(',');
        values += QLatin1Char('(')
                  + SqlQuotedList({StoredWord(TaskStatus::Pending), QStringLiteral("1"), QStringLiteral("0"), requirement,
                                   QString::number(task.number), task.assembly, task.step, user, stamp})
                  + QLatin1Char(')');
    }
    return Execute(QStringLiteral("Insert into TaskList (Status,Count,Actual,Requirement,Task_nBr,Assy,Step,User,"
                                  "Time_Stamp) values ")
                   + values);
}

StepHours ReadStepHours(const QString& requirement)
{
    StepHours hours;
    const QueryResult steps = Query(SqlFormat(
        "Select RescList.Assy,RescList.Step,RescList.Hours,RescList.Resource from RescList where RescList.Assy in (Select "
        "TaskList.Assy from TaskList where TaskList.Requirement = '%s') order by RescList.ID",
        {requirement}));
    for (int r = 0; r < steps.rowCount; ++r)
        if (!hours.contains({steps.cell(r, 0), steps.cell(r, 1)}))
            hours.insert({steps.cell(r, 0), steps.cell(r, 1)}, StepWork{steps.cell(r, 2), steps.cell(r, 3)});
    return hours;
}
