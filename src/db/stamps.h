#pragma once
// Who changed a record and when: the User and Time_Stamp columns a record
// carries, written by the windows that change it outside the grid.
#include <QString>

// Stamps the records of table whose keyColumn holds key with the user who
// works (the database login on a server) and the time, inside the caller's
// transaction. False when the database refused.
bool StampRecord(const QString& table, const QString& keyColumn, const QString& key);
