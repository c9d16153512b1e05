#pragma once
// Routing steps (RescList) and production tasks (TaskList) as the timeline,
// the task editor, the routing printout and the tree read them: one record in
// one statement, the bills and steps of a whole routing in one each.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// The fields of a routing step, from its first record (by id).
struct RoutingStepFields
{
    bool found = false;
    QString description;
    QString resource;
    QString hours;
    QString cost;
};
RoutingStepFields ReadRoutingStep(const QString& assembly, const QString& step, bool* ok = nullptr);

// The fields of a task, from its first record (by id).
struct TaskFields
{
    bool found = false;
    QString actual;
    QString count;
    QString status;
    QString assembly;
    QString step;
};
TaskFields ReadTaskFields(const QString& orderNumber, const QString& taskNumber, bool* ok = nullptr);
// The requirement and task number of the TaskList record with that id.
bool ReadTaskOfRecord(int id, QString& orderNumber, QString& taskNumber);
// Writes what the task editor changes, in one statement.
bool WriteTaskFields(const QString& orderNumber, const QString& taskNumber, const QString& actual,
                     const QString& count, const QString& status);

// A bill line as the routing sheet prints it.
struct RoutingBillLine
{
    QString item;
    QString quantity;
    QString part;
    QString description;
    QString manufacturer;
};
// A step as the routing sheet prints it.
struct RoutingStepLine
{
    QString step;
    QString description;
    QString resource;
    QString hours;
};
// The lines (by item) and the steps (by record) of every named assembly, two
// statements for the whole sheet.
QHash<QString, std::vector<RoutingBillLine>> ReadRoutingBills(const QStringList& assemblies, bool* ok = nullptr);
QHash<QString, std::vector<RoutingStepLine>> ReadRoutingSteps(const QStringList& assemblies, bool* ok = nullptr);

// A requirement's task as the timeline places it.
struct RequirementTask
{
    QString taskNumber;
    QString assembly;
    QString step;
    QString count;
    QString status;
    QString actual;
};
// The requirement's tasks in one statement, by task number as stored.
std::vector<RequirementTask> ReadRequirementTasks(const QString& orderNumber, bool* ok = nullptr);
