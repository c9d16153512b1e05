#include "db/routing.h"

#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/sqllist.h"

RoutingStepFields ReadRoutingStep(const QString& assembly, const QString& step, bool* ok)
{
    RoutingStepFields fields;
    const QueryResult row = Query(SqlFormat("Select Description,Resource,Hours,Cost from RescList where Assy = '%s' "
                                            "and Step = '%s' order by id limit 1",
                                            {assembly, step}));
    if (ok)
        *ok = LastResultCode() == 0;
    if (row.rowCount == 0)
        return fields;
    fields.found = true;
    fields.description = row.cell(0, 0);
    fields.resource = row.cell(0, 1);
    fields.hours = row.cell(0, 2);
    fields.cost = row.cell(0, 3);
    return fields;
}

TaskFields ReadTaskFields(const QString& orderNumber, const QString& taskNumber, bool* ok)
{
    TaskFields fields;
    const QueryResult row = Query(SqlFormat("Select Actual,Count,Status,Assy,Step from TaskList where Requirement = "
                                            "'%s' and Task_nBr = '%s' order by id limit 1",
                                            {orderNumber, taskNumber}));
    if (ok)
        *ok = LastResultCode() == 0;
    if (row.rowCount == 0)
        return fields;
    fields.found = true;
    fields.actual = row.cell(0, 0);
    fields.count = row.cell(0, 1);
    fields.status = row.cell(0, 2);
    fields.assembly = row.cell(0, 3);
    fields.step = row.cell(0, 4);
    return fields;
}

bool ReadTaskOfRecord(int id, QString& orderNumber, QString& taskNumber)
{
    const QueryResult row = Query(SqlFormat("Select Requirement,Task_nBr from TaskList where id = %i", {id}));
    if (row.rowCount == 0)
        return false;
    orderNumber = row.cell(0, 0);
    taskNumber = row.cell(0, 1);
    return true;
}

bool WriteTaskFields(const QString& orderNumber, const QString& taskNumber, const QString& actual,
                     const QString& count, const QString& status)
{
    return Execute(SqlFormat("Update TaskList Set Actual = '%s', Count = '%s', Status = '%s', User = '%s', "
                             "Time_Stamp = '%s' where Requirement = '%s' and Task_nBr = '%s'",
                             {actual, count, status, CurrentUserName(), TimestampText(), orderNumber, taskNumber}));
}

QHash<QString, std::vector<RoutingBillLine>> ReadRoutingBills(const QStringList& assemblies, bool* ok)
{
    QHash<QString, std::vector<RoutingBillLine>> bills;
    const QueryResult rows =
        Query(QStringLiteral("Select AssyList.Assy,AssyList.Item,AssyList.Quan,AssyList.Part_nBr,PartList.Description,"
                             "PartList.Manufacturer from AssyList LEFT JOIN PartList on AssyList.Part_nBr = "
                             "PartList.Part_nBr where AssyList.Assy in (")
              + SqlQuotedList(assemblies) + QStringLiteral(") order by AssyList.Item,AssyList.id"));
    if (ok)
        *ok = LastResultCode() == 0;
    for (int r = 0; r < rows.rowCount; ++r)
        bills[rows.cell(r, 0)].push_back(
            {rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4), rows.cell(r, 5)});
    return bills;
}

QHash<QString, std::vector<RoutingStepLine>> ReadRoutingSteps(const QStringList& assemblies, bool* ok)
{
    QHash<QString, std::vector<RoutingStepLine>> steps;
    const QueryResult rows =
        Query(QStringLiteral("Select RescList.Assy,RescList.Step,RescList.Description,RescList.Resource,RescList.Hours "
                             "from RescList where RescList.Assy in (")
              + SqlQuotedList(assemblies) + QStringLiteral(") order by RescList.id"));
    if (ok)
        *ok = LastResultCode() == 0;
    for (int r = 0; r < rows.rowCount; ++r)
        steps[rows.cell(r, 0)].push_back({rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4)});
    return steps;
}

std::vector<RequirementTask> ReadRequirementTasks(const QString& orderNumber, bool* ok)
{
    const QueryResult rows =
        Query(SqlFormat("Select Task_nBr,Assy,Step,Count,Status,Actual from TaskList where TaskList.Requirement = "
                        "'%s' order by Task_nBr,id",
                        {orderNumber}));
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<RequirementTask> tasks;
    tasks.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        tasks.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4),
                         rows.cell(r, 5)});
    return tasks;
}
