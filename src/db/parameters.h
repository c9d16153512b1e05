#pragma once
// Numbered parameters in GlobalParamList: company data, number counters and
// working-time settings that travel with the data.
#include <QString>
#include <map>
#include <utility>
#include <vector>

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
    // Who saved the shop's settings last and when: "USER<TAB>TIME".
    ParamSettingsStamp = 14,
};

QString GetParam(int number);
void SetParam(int number, const QString& text);

// Parameters as a window read them, with who saved the settings last.
struct ParamSnapshot
{
    bool read = false;
    std::map<int, QString> values; // number -> text
    QString user;
    QString time;
};
// Names the user and the time on the shop's settings (ParamSettingsStamp),
// as every write of the company data does.
bool StampSettings();
// One statement for all the numbers and the stamp.
ParamSnapshot ReadParams(const std::vector<int>& numbers, bool* ok = nullptr);

// Writes the texts that differ from what loaded holds, with the stamp, in
// one transaction, when under the write lock every parameter of loaded is
// still stored as loaded. Empty when written (or nothing to write); else
// the refusal to show ("The company data was changed by …"), with
// *stale set when another desk's change was the reason.
QString WriteParamsAsLoaded(const ParamSnapshot& loaded, const std::vector<std::pair<int, QString>>& values,
                            bool* stale = nullptr);

// Creates the tables and default parameter rows of a new data folder, and the
// Picture and Document folders; an initialised folder keeps its rows and
// gains the parameters it lacks. False (reported) when the folder cannot be
// made or the database could not be read or written, "database is busy"
// among them; nothing is changed then.
bool InitializeDatabase();

// The platform's common application-data folder + "/KOLT".
QString DefaultDataFolder();
