#pragma once
// Opening a data location: whether it holds a shop, and whether it may be
// written. Kept apart from database.h, which nearly every unit reads.
#include <QString>

// Sets the shop up or opens it, as InitializeDatabase() does; with
// createShop false a location that holds no shop yet (no kolt.db, or no
// parameter table) is refused, named, and nothing is made there: only
// `koltctl init` and the windows set a shop up. A location that cannot be
// written opens read-only, and nothing is written to it here.
bool InitializeDatabase(bool createShop);

// The open data location reads only: a data folder or kolt.db this user
// cannot write, or one opened read-only on request. Every write is refused
// with "Writes are unavailable…".
bool DatabaseReadOnly();
// Opens data folders read-only from now on, whatever their permissions
// (koltctl --read-only); a connection already open is opened again.
void SetReadOnlyOpen(bool readOnly);
// Points the layer at a data location without creating any table in it.
void SelectDataLocation(const QString& dataFolder);
