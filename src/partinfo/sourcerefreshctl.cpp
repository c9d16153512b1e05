// koltctl's "sources refresh": the distributors' offers into the sources of
// a part, of a bill or of every part with a manufacturer part number.
#include "core/ctlcommands.h"
#include "db/database.h"
#include "partinfo/providers.h"
#include "partinfo/sourcerefresh.h"

namespace {

int runSources(CtlContext& ctx)
{
    SourceRefreshRequest request;
    const QString part = ctx.takeOption(QStringLiteral("--part"));
    request.assembly = ctx.takeOption(QStringLiteral("--assy"));
    request.provider = ctx.takeOption(QStringLiteral("--provider"));
    request.useCache = !ctx.takeFlag(QStringLiteral("--no-cache"));
    if (ctx.args != QStringList{QStringLiteral("refresh")} || (!part.isEmpty() && !request.assembly.isEmpty())
        || (!request.provider.isEmpty() && !ProviderNames().contains(request.provider)))
        return kCtlUsage;
    if (!part.isEmpty())
        request.parts << part;
    const SourceRefreshSummary summary = RefreshSources(request);
    for (const QString& problem : summary.problems)
        ctx.err << problem << "\n";
    if (summary.failed)
        return AnyCommitOutcomeUnknown() ? kCtlCommitUnknown : kCtlFailed;
    ctx.out << SourceRefreshSummaryText(summary) << "\n";
    return kCtlOk;
}

} // namespace

void RegisterSourceRefreshCommands()
{
    RegisterCtlCommand({QStringLiteral("sources"),
                        QStringLiteral("sources refresh [--part P | --assy A] [--provider NAME] [--no-cache]"),
                        runSources});
}
