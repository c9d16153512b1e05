#pragma once
// KOLT.prm: the data folder, the language and the grid's column layout.
#include <QByteArray>
#include <QString>

#include "core/appstate.h"

struct SettingsData
{
    QString dataFolder;
    QString pictureFolder;
    QString documentFolder;
    qint32 language = 0;
    ColumnLayoutTable layout = DefaultColumnLayout();
};

QByteArray EncodeSettings(const SettingsData& settings);
// False when the bytes end before the layout is complete; what was read stays.
bool DecodeSettings(const QByteArray& bytes, SettingsData& settings);

// Beside the program when that folder is writable, else in the user's
// configuration folder; a copy there is read first.
QString SettingsFilePathForReading();
QString SettingsFilePathForWriting();

// Into and out of App(). Reading a missing file leaves the defaults.
bool ReadSettingsFile();
bool WriteSettingsFile();

// The one profile value: the user name.
QString ReadProfileUser();
void WriteProfileUser(const QString& user);
