// Registers the windows of this subsystem with the window hooks.
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "core/windowhooks.h"
#include "partinfo/epartinfo.h"
#include "partinfo/providers.h"
#include "partinfo/providersdialog.h"
#include "partinfo/sourcerefresh.h"

namespace {

bool anyProviderConfigured()
{
    for (const QString& name : ProviderNames())
        if (name != QLatin1String("generic") && ProviderConfigured(name))
            return true;
    return false;
}

// Refresh in the sources window and the Order dialog: the progress window
// while the distributors are asked, then what they said.
bool refreshSources(QWidget* parent, const QStringList& args)
{
    const QString caption = Translate(QStringLiteral("Refresh Sources"));
    if (!anyProviderConfigured()) {
        if (ShowMessage(Translate(QStringLiteral("No distributor's account is set up. Set one up now?")), caption,
                        kButtonsYesNo)
            != kAnswerYes)
            return false;
        CProvidersDialog dialog(parent);
        dialog.exec();
        if (!anyProviderConfigured())
            return false;
    }
    SourceRefreshRequest request;
    if (args.value(0) == QLatin1String("--assy"))
        request.assembly = args.value(1);
    else
        request.parts = args;
    const SourceRefreshSummary summary = RefreshSources(request);
    QString text = summary.failed ? Translate(QStringLiteral("No sources were refreshed."))
                                  : SourceRefreshSummaryText(summary);
    if (!summary.problems.isEmpty())
        text += QStringLiteral("\n\n") + summary.problems.join(QLatin1Char('\n'));
    ShowMessage(text, caption);
    return !summary.failed;
}

} // namespace

void RegisterPartinfoWindows()
{
    RegisterWindowAction(WindowActions::PartInfo, [](QWidget* parent, const QStringList& args) {
        CEPartInfo dialog(parent, args.value(0), args.value(1).toInt());
        dialog.exec();
        return dialog.changedData();
    });
    RegisterWindowAction(WindowActions::Providers, [](QWidget* parent, const QStringList&) {
        CProvidersDialog dialog(parent);
        return dialog.exec() == QDialog::Accepted;
    });
    RegisterWindowAction(WindowActions::RefreshSources, refreshSources);
}
