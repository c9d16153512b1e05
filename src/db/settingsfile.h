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

// The file's layout holds the columns of the nine tables it was made for;
// tables added since keep their default columns, so the file stays readable
// by every release and every release reads it.
constexpr int kSettingsLayoutTables = 9;

QByteArray EncodeSettings(const SettingsData& settings);
// False when the bytes do not hold exactly the layout: they end before it is
// complete, bytes follow it, or a folder holds a control character. What was
// read stays in settings.
bool DecodeSettings(const QByteArray& bytes, SettingsData& settings);

// The user's configuration folder ($XDG_CONFIG_HOME/KOLT/KOLT.prm). Until a
// file is there, one an earlier release left in the program folder is read
// (and copied over); nothing is ever written to the program folder.
QString SettingsFilePathForReading();
QString SettingsFilePathForWriting();

// Into and out of App(). Reading a missing file leaves the defaults; a file
// that does not decode completely is not applied at all (a half-read data
// folder would have the program create folders wherever it points): the
// user is told and the defaults stay. False in both cases.
bool ReadSettingsFile();
bool WriteSettingsFile();

// The one profile value: the user name.
QString ReadProfileUser();
void WriteProfileUser(const QString& user);
