#pragma once
// The shop's schema version and the steps that move an older shop forward.
// A file or server written by an earlier release opens, runs every step it
// has not seen, each in one transaction of its own, and keeps its records.
#include <QString>
#include <functional>
#include <vector>

struct SchemaStep
{
    int version = 0;    // the version the shop has once this step ran
    QString summary;    // said in the error when the step fails
    // Runs inside the step's transaction; false (or a failed statement)
    // rolls the step back and leaves the shop at the version before.
    std::function<bool()> run;
};

// Every step in ascending version order. Step 1 marks a shop of the first
// release (the nine tables and the parameters) as version 1.
const std::vector<SchemaStep>& SchemaSteps();
// The version a new shop is made at: the last step's.
int CurrentSchemaVersion();

// The version stored in the open shop (PRAGMA user_version on a file, the
// SchemaVersion row on a server); 0 for a shop that never had one, -1 when
// it could not be read.
int StoredSchemaVersion();

// Runs the steps the open shop lacks. False with LastErrorText() naming the
// step when one failed; the steps before it stay done. A shop newer than this
// program is refused, as writing to it could lose what a later release keeps.
bool MigrateSchema(QString* error);

// For steps: adds a column of a definition type to a table when it is missing.
bool AddColumnIfMissing(const QString& table, const QString& column, const QString& definitionType);
