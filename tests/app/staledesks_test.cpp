// Setup's company data on two desks: the second save of what the first
// changed meanwhile is refused, naming who and when.
#include "support/testsupport.h"

#include "app/setupvalues.h"
#include "core/appstate.h"
#include "db/parameters.h"

namespace {

class StaleDesksTest : public DataFolderTest
{
};

} // namespace

TEST_F(StaleDesksTest, SetupsCompanyDataSavedOverAnotherDesksSaveIsRefused)
{
    App().CurrentUser = QStringLiteral("ben");
    SetupValues ben = CurrentSetupValues();
    ASSERT_TRUE(ben.loaded.read);
    ben.dataFolder = location;
    ben.user = QStringLiteral("ben");

    // Nothing typed: nothing is written, not even the stamp.
    bool stale = false;
    EXPECT_FALSE(ApplySetup(ben, &stale));
    EXPECT_FALSE(stale);
    EXPECT_EQ(GetParam(ParamSettingsStamp), QString());

    // The other desk (another process) renames the company.
    ASSERT_EQ(ctl({"param", "set", "0", "ANNA'S WORKS"}).code, 0);
    const QString stamp = GetParam(ParamSettingsStamp);
    EXPECT_FALSE(stamp.isEmpty());

    // Ben's phone number goes nowhere: his dialog still shows the old name.
    ui.clear();
    ben.phone = QStringLiteral("555-0100");
    EXPECT_FALSE(ApplySetup(ben, &stale));
    EXPECT_TRUE(stale);
    EXPECT_TRUE(ui.saw("The company data was changed by ")) << ui.messages.back().text.toStdString();
    EXPECT_TRUE(ui.saw(stamp.section('\t', 1))) << "when it was changed";
    EXPECT_TRUE(ui.saw("Nothing was written."));
    EXPECT_EQ(GetParam(ParamCompanyName), QStringLiteral("ANNA'S WORKS"));
    EXPECT_EQ(GetParam(ParamPhone), QString());

    // Shown again, his change saves and names him.
    SetupValues again = CurrentSetupValues();
    EXPECT_EQ(again.companyName, QStringLiteral("ANNA'S WORKS"));
    again.dataFolder = location;
    again.user = QStringLiteral("ben");
    again.phone = QStringLiteral("555-0100");
    ui.clear();
    EXPECT_FALSE(ApplySetup(again, &stale));
    EXPECT_FALSE(stale);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();
    EXPECT_EQ(GetParam(ParamPhone), QStringLiteral("555-0100"));
    EXPECT_TRUE(GetParam(ParamSettingsStamp).startsWith(TestOnServer() ? QString() : QStringLiteral("ben\t")));
}
