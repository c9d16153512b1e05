#include "db/routing.h"

#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"

RoutingStepFields ReadRoutingStep(const QString& assembly, const QString& step, bool* ok)
{
    RoutingStepFields fields;
    const QueryResult row = QueryBound(QStringLiteral("Select Description,Resource,Hours,Cost from RescList where Assy = ? " "and Step = ? order by id limit 1"), {assembly, step});
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
    const QueryResult row = QueryBound(QStringLiteral("Select Actual,Count,Status,Assy,Step from TaskList where Requirement = " "? and Task_nBr = ? order by id limit 1"), {orderNumber, taskNumber});
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
    const QueryResult row = QueryBound(QStringLiteral("Select Requirement,Task_nBr from TaskList where id = ?"), {id});
    if (row.rowCount == 0)
        return false;
    orderNumber = row.cell(0, 0);
    taskNumber = row.cell(0, 1);
    return true;
}

bool WriteTaskFields(const QString& orderNumber, const QString& taskNumber, const QString& actual,
                     const QString& count, const QString& status)
{
    return ExecuteBound(QStringLiteral("Update TaskList Set Actual = ?, Count = ?, Status = ?, User = ?, Time_Stamp = ? "
                                       "where Requirement = ? and Task_nBr = ?"),
                        {actual, count, status, CurrentUserName(), TimestampText(), orderNumber, taskNumber});
}

QHash<QString, std::vector<RoutingBillLine>> ReadRoutingBills(const QStringList& assemblies, bool* ok)
{
    QHash<QString, std::vector<RoutingBillLine>> bills;
    SqlArgs args;
    AppendArgs(args, assemblies);
    const QueryResult rows = QueryBound(
        QStringLiteral("Select AssyList.Assy,AssyList.Item,AssyList.Quan,AssyList.Part_nBr,PartList.Description,"
                       "PartList.Manufacturer from AssyList LEFT JOIN PartList on AssyList.Part_nBr = "
                       "PartList.Part_nBr where AssyList.Assy in (")
            + Placeholders(static_cast<int>(assemblies.size())) + QStringLiteral(") order by AssyList.Item,AssyList.id"),
        args);
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
    SqlArgs args;
    AppendArgs(args, assemblies);
    const QueryResult rows = QueryBound(
        QStringLiteral("Select RescList.Assy,RescList.Step,RescList.Description,RescList.Resource,RescList.Hours "
                       "from RescList where RescList.Assy in (")
            + Placeholders(static_cast<int>(assemblies.size())) + QStringLiteral(") order by RescList.id"),
        args);
    if (ok)
        *ok = LastResultCode() == 0;
    for (int r = 0; r < rows.rowCount; ++r)
        steps[rows.cell(r, 0)].push_back({rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4)});
    return steps;
}

std::vector<RequirementTask> ReadRequirementTasks(const QString& orderNumber, bool* ok)
{
    const QueryResult rows =
        QueryBound(QStringLiteral("Select Task_nBr,Assy,Step,Count,Status,Actual from TaskList where TaskList.Requirement = " "? order by Task_nBr,id"), {orderNumber});
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<RequirementTask> tasks;
    tasks.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        tasks.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4),
                         rows.cell(r, 5)});
    return tasks;
}
