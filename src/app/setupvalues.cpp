#include "app/setupvalues.h"

#include "core/appstate.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/serveraccess.h"
#include "db/settingsfile.h"
#include "partinfo/partservice.h"
#include "sourcing/pricing.h"

#include <QDir>
#include <QUrl>

#include <initializer_list>
#include <utility>

QStringList SetupCurrencies()
{
    return {QStringLiteral("USD"), QStringLiteral("GBP"), QStringLiteral("CAD"), QStringLiteral("AUD"),
            QStringLiteral("YEN")};
}

SetupValues CurrentSetupValues()
{
    const AppState& app = App();
    SetupValues v;
    v.dataFolder = IsServerAddress(app.DataFolder) ? app.DataFolder : QDir::toNativeSeparators(app.DataFolder);
    v.pictureFolder = QDir::toNativeSeparators(app.PictureFolder);
    v.documentFolder = QDir::toNativeSeparators(app.DocumentFolder);
    v.companyName = GetParam(ParamCompanyName);
    v.billingAddress = GetParam(ParamBillingAddress);
    v.shipAddress = GetParam(ParamShippingAddress);
    v.phone = GetParam(ParamPhone);
    v.fax = GetParam(ParamFax);
    v.currency = GetParam(ParamCurrency);
    v.user = app.CurrentUser;
    v.language = app.language;
    v.showServiceAnswers = ShowServiceAnswers();
    v.rollupBuilds = DefaultRollupQuantity();
    return v;
}

namespace {

QString normalised(const QString& folder)
{
    if (IsServerAddress(folder.trimmed()))
        return folder.trimmed();
    QString f = QDir::fromNativeSeparators(folder.trimmed());
    f.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f;
}

} // namespace

bool SameFolder(const QString& a, const QString& b)
{
    return normalised(a) == normalised(b);
}

bool ApplySetup(const SetupValues& values)
{
    AppState& app = App();
    app.PictureFolder = normalised(values.pictureFolder);
    app.DocumentFolder = normalised(values.documentFolder);
    if (!SameFolder(values.dataFolder, app.DataFolder) && !normalised(values.dataFolder).isEmpty()) {
        app.DataFolder = normalised(values.dataFolder);
        return true;
    }
    // Only what changed is written, and a refusal (a read-only desk, a lock
    // held too long) is said rather than lost.
    QString refusal;
    for (const auto& [number, text] : std::initializer_list<std::pair<int, QString>>{
             {ParamShippingAddress, values.shipAddress},
             {ParamBillingAddress, values.billingAddress},
             {ParamFax, values.fax},
             {ParamPhone, values.phone},
             {ParamCurrency, values.currency},
             {ParamCompanyName, values.companyName}}) {
        if (GetParam(number) == text)
            continue;
        SetParam(number, text);
        if (LastResultCode() != 0 && refusal.isEmpty())
            refusal = LastErrorText();
    }
    if (!refusal.isEmpty())
        ShowMessage(refusal, QStringLiteral("Database Status"));
    // On a server the login stamps the work; the typed User names a folder's desk.
    const ServerAccess& access = CurrentServerAccess();
    app.CurrentUser = IsServerAddress(app.DataFolder) && access.known && !access.login.isEmpty() ? access.login
                                                                                                 : values.user;
    app.CurrentCurrency = GetParam(ParamCurrency);
    WriteProfileUser(app.CurrentUser);
    SetShowServiceAnswers(values.showServiceAnswers);
    SetDefaultRollupQuantity(values.rollupBuilds);
    return false;
}

bool AddressHoldsPassword(const QString& location)
{
    return IsServerAddress(location.trimmed()) && !QUrl(location.trimmed()).password().isEmpty();
}
