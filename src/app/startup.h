#pragma once
// The data side of start-up, shared by kolt, koltctl and the tests.
#include <QString>

// Library, settings file, user, dictionary and the nine definitions, read
// from programFolder (which ends in "/").
void StartCore(const QString& programFolder);

// Makes folder (or, when empty, the one from the settings file, else the
// default) the data folder, initialises it and makes table 0 current. False
// (reported) when the folder could not be initialised. With createShop
// false, a location without a shop is refused (see InitializeDatabase).
bool OpenDataFolder(const QString& folder = QString(), bool createShop = true);

// The folder of the running executable, ending in "/".
QString ExecutableFolder();
