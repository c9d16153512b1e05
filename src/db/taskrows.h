#pragma once
// TaskList rows written as a set: the production tasks of a requirement, one
// statement for all of them however many routing steps its bill has.
#include <QHash>
#include <QString>
#include <utility>
#include <vector>

struct NewTask
{
    int number = 0;
    QString assembly;
    QString step;
};

// Stores the tasks as "Pending", count 1, nothing done yet, stamped with the
// user and the time, in one statement inside the caller's transaction; true
// when there were none. False when the database refused them (none stored).
bool InsertPendingTasks(const QString& requirement, const std::vector<NewTask>& tasks, const QString& user,
                        const QString& stamp);

// The hours and resource of each routing step (assembly, step) of the
// assemblies the requirement's tasks name, read in one statement; a step
// entered twice counts with its first record.
struct StepWork
{
    QString hours;
    QString resource;
};
using StepHours = QHash<std::pair<QString, QString>, StepWork>;
StepHours ReadStepHours(const QString& requirement);
