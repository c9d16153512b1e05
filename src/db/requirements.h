#pragma once
// Requirements (ReqmList) and their allocations as the orders engine, its
// window and the timeline read and write them: a record in one statement,
// the processed mark, the saved fields. production.h holds the build figures
// and the allocations that completion consumes.
#include <QString>
#include <utility>
#include <vector>

struct RequirementFields
{
    bool found = false;
    QString orderNumber;
    QString description;
    QString status;
    QString quantity; // as stored
    QString assembly;
    QString created;
};
// The requirement's first record (by id), one statement; ok false when the read failed.
RequirementFields ReadRequirementFields(const QString& orderNumber, bool* ok = nullptr);

// Whether a record of that exact number is on file.
bool RequirementOnFile(const QString& orderNumber, bool* ok = nullptr);

// Process has written the requirement's orders and tasks: the assembly and
// quantity (a plain number) as processed, and the new status.
bool MarkRequirementProcessed(const QString& orderNumber, const QString& assembly, const QString& quantity,
                              const QString& status);

// The fields the Order dialog saves.
bool SaveRequirementFields(const QString& orderNumber, const QString& quantity, const QString& assembly,
                           const QString& description, const QString& needDate, const QString& user,
                           const QString& stamp);

// Every requirement's number and assembly, in record order.
std::vector<std::pair<QString, QString>> ReadRequirementAssemblies(bool* ok = nullptr);

// Deletes every AlloList row of the requirement.
bool DeleteAllocations(const QString& orderNumber);
