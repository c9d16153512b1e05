#pragma once
// What the Setup dialog edits, read from and written to the settings, the
// parameters and the profile.
#include "db/parameters.h"

#include <QString>
#include <QStringList>

struct SetupValues
{
    QString dataFolder;     // a folder, or a server address
    QString pictureFolder;  // with the data on a server: where pictures are shared
    QString documentFolder; // and documents
    QString companyName;    // Param0
    QString billingAddress; // Param2
    QString shipAddress;    // Param3
    QString phone;          // Param4
    QString fax;            // Param5
    QString currency;       // Param10
    QString user;           // CurrentUser
    int language = 0;
    bool showServiceAnswers = false; // profile: the part service's answers shown as they arrive
    double rollupBuilds = 1;         // profile: the builds the roll-up prices purchased parts for
    ParamSnapshot loaded;            // the parameters as read; not read: no check at the write
};

// The currency list of the dialog, in order.
QStringList SetupCurrencies();

SetupValues CurrentSetupValues();

// Same folder, whatever separators or trailing separator either is written with.
bool SameFolder(const QString& a, const QString& b);

// Saves the values. A new data folder is taken on its own: it becomes
// DataFolder and nothing else is saved (the company fields belong to the old
// folder's database); returns true then. Otherwise the parameters, the user
// (also into the profile) and CurrentCurrency are saved. The language is the
// caller's to apply. The option to show the part service's answers goes to
// the profile with the user.
// The Picture and Document folders are kept in the settings with the data
// location.
// The parameters are written only when the stored ones are still what
// CurrentSetupValues read: otherwise nothing of them is written, who changed
// them and when is said, and *stale is set (the dialog shows them again).
bool ApplySetup(const SetupValues& values, bool* stale = nullptr);

// A server address that carries a password: the settings file is no place
// for it (the PostgreSQL password file or PGPASSWORD are).
bool AddressHoldsPassword(const QString& location);
