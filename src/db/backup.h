#pragma once
// A shop in one file and back: a consistent snapshot of a data folder or a
// server shop written as an SQLite file, and that file brought back into an
// empty location.
#include <QString>
#include <QStringList>

struct BackupOutcome
{
    bool done = false;
    QStringList tables; // "PartList<TAB>20000", one per table
};

// Writes the shop at location (a data folder or a server address) to file,
// read from one snapshot. The file appears only when whole: an older file of
// that name stays until then. Failures are reported and leave no file.
BackupOutcome BackupShop(const QString& location, const QString& file);

// Brings a backup file back into location, whose tables must hold no rows
// (a new folder, a new database or schema, or a shop just made by init).
// A server shop restored needs its grants written again.
BackupOutcome RestoreShop(const QString& file, const QString& location);
