#include "db/taskrows.h"

#include "core/statuses.h"
#include "core/format.h"
#include "db/database.h"
#include "db/statement.h"

#include <algorithm>

bool InsertPendingTasks(const QString& requirement, const std::vector<NewTask>& tasks, const QString& user,
                        const QString& stamp)
{
    if (tasks.empty())
        return true;
    // Seven values a task: a routing of thousands of steps goes in slices.
    const size_t slice = static_cast<size_t>(RowsPerStatement(7, static_cast<int>(tasks.size())));
    bool done = true;
    for (size_t from = 0; from < tasks.size() && done; from += slice) {
        QString values;
        SqlArgs args;
        for (size_t i = from; i < std::min(tasks.size(), from + slice); ++i) {
            const NewTask& task = tasks[i];
            if (!values.isEmpty())
                values += QLatin1Char(',');
            values += QStringLiteral("(?,'1','0',?,?,?,?,?,?)");
            args.insert(args.end(),
                        {StoredWord(TaskStatus::Pending), requirement, QString::number(task.number), task.assembly,
                         task.step, user, stamp});
        }
        done = ExecuteBound(QStringLiteral("Insert into TaskList (Status,Count,Actual,Requirement,Task_nBr,Assy,Step,"
                                           "User,Time_Stamp) values ")
                                + values,
                            args);
    }
    return done;
}

StepHours ReadStepHours(const QString& requirement)
{
    StepHours hours;
    const QueryResult steps = QueryBound(QStringLiteral("Select RescList.Assy,RescList.Step,RescList.Hours,RescList.Resource from RescList where RescList.Assy in (Select " "TaskList.Assy from TaskList where TaskList.Requirement = ?) order by RescList.ID"), {requirement});
    for (int r = 0; r < steps.rowCount; ++r)
        if (!hours.contains({steps.cell(r, 0), steps.cell(r, 1)}))
            hours.insert({steps.cell(r, 0), steps.cell(r, 1)}, StepWork{steps.cell(r, 2), steps.cell(r, 3)});
    return hours;
}
