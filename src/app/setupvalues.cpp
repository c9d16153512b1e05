#include "app/setupvalues.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/serveraccess.h"
#include "db/settingsfile.h"
#include "partinfo/partservice.h"
#include "sourcing/pricing.h"

#include <QDir>
#include <QUrl>

#include <vector>
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
    v.loaded = ReadParams({ParamCompanyName, ParamBillingAddress, ParamShippingAddress, ParamPhone, ParamFax,
                           ParamCurrency});
    v.companyName = v.loaded.values[ParamCompanyName];
    v.billingAddress = v.loaded.values[ParamBillingAddress];
    v.shipAddress = v.loaded.values[ParamShippingAddress];
    v.phone = v.loaded.values[ParamPhone];
    v.fax = v.loaded.values[ParamFax];
    v.currency = v.loaded.values[ParamCurrency];
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

bool ApplySetup(const SetupValues& values, bool* stale)
{
    if (stale)
        *stale = false;
    AppState& app = App();
    app.PictureFolder = normalised(values.pictureFolder);
    app.DocumentFolder = normalised(values.documentFolder);
    if (!SameFolder(values.dataFolder, app.DataFolder) && !normalised(values.dataFolder).isEmpty()) {
        app.DataFolder = normalised(values.dataFolder);
        return true;
    }
    // Only what changed is written, and a refusal (a read-only desk, a lock
    // held too long) is said rather than lost.
    const std::vector<std::pair<int, QString>> params{{ParamShippingAddress, values.shipAddress},
                                                      {ParamBillingAddress, values.billingAddress},
                                                      {ParamFax, values.fax},
                                                      {ParamPhone, values.phone},
                                                      {ParamCurrency, values.currency},
                                                      {ParamCompanyName, values.companyName}};
    QString refusal;
    if (values.loaded.read) {
        // Another desk's save since the dialog opened is not undone unseen.
        bool changedElsewhere = false;
        refusal = WriteParamsAsLoaded(values.loaded, params, &changedElsewhere);
        if (!refusal.isEmpty() && changedElsewhere) {
            refusal += QLatin1Char('\n') + Translate(QStringLiteral("Nothing was written."));
            if (stale)
                *stale = true;
        }
    } else {
        for (const auto& [number, text] : params) {
            if (GetParam(number) == text)
                continue;
            SetParam(number, text);
            if (LastResultCode() != 0 && refusal.isEmpty())
                refusal = LastErrorText();
        }
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
