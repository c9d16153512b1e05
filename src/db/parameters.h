#pragma once
// Numbered parameters in GlobalParamList: company data, number counters and
// working-time settings that travel with the data.
#include <QString>

constexpr int kParamCount = 15;
enum ParamNumber : int {
    ParamCompanyName = 0,
    ParamCompanyLogo = 1,
    ParamBillingAddress = 2,
    ParamShippingAddress = 3,
    ParamPhone = 4,
    ParamFax = 5,
    ParamLastRequirement = 6,
    ParamLastPurchaseOrder = 7,
    ParamDaysOff = 8,
    ParamWorkingHours = 9,
    ParamCurrency = 10,
};

QString GetParam(int number);
void SetParam(int number, const QString& text);

// Creates the tables and default parameter rows of a new data folder, and the
// Picture and Document folders; an initialised folder keeps its rows and
// gains the parameters it lacks. False (reported) when the folder cannot be
// made or the database could not be read or written, "database is busy"
// among them; nothing is changed then.
bool InitializeDatabase();

// The platform's common application-data folder + "/KOLT".
QString DefaultDataFolder();
