#pragma once
// Moving a shop: every table from one data location to another (a data
// folder to a server, or back), in one transaction on the target.
#include <QString>
#include <QStringList>

struct CopyOutcome
{
    bool done = false;
    QStringList tables; // "PartList<TAB>20000", one per table copied
};

// Copies the nine tables and the parameters from `from` to `to` (each a
// data folder or a server address). The target's nine tables must hold no rows
// yet (its parameters are replaced). Row
// counts and a digest of every row are compared before the commit; any
// failure is reported and leaves the target as it was (a kolt.db the copy
// made is removed again).
CopyOutcome CopyData(const QString& from, const QString& to);
