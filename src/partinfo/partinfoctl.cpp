// koltctl commands of the online part information: search and datasheet.
#include "core/ctlcommands.h"
#include "core/utilities.h"
#include "partinfo/partinfo.h"
#include "partinfo/partservice.h"
#include "partinfo/providers.h"

namespace {

int runPartinfo(CtlContext& ctx)
{
    const QString service = NormalizeServiceAddress(ctx.takeOption(QStringLiteral("--service"), PartServiceAddress()));
    const QString verb = ctx.args.value(0);
    if (verb == QLatin1String("search") && ctx.args.size() == 2) {
        bool reached = false;
        const std::vector<PartMatch> matches = SearchParts(service, ctx.args[1], &reached);
        if (!reached)
            return kCtlFailed;
        for (const PartMatch& match : matches) {
            // The service's texts are not trusted to be printable.
            QStringList row;
            for (const QString& field : match.fields)
                row << EscapedLineCell(field);
            row << EscapedLineCell(match.uid);
            ctx.out << row.join(QLatin1Char('\t')) << "\n";
        }
        return kCtlOk;
    }
    if (verb == QLatin1String("datasheet") && ctx.args.size() == 3) {
        const PartDatasheet datasheet = FetchPartDatasheet(service, ctx.args[1], ctx.args[2]);
        if (datasheet.path.isEmpty())
            return kCtlFailed;
        ctx.out << datasheet.path << "\n";
        return kCtlOk;
    }
    if (verb == QLatin1String("answers") && ctx.args.size() <= 2) {
        const QString choice = ctx.args.value(1);
        if (choice == QLatin1String("on") || choice == QLatin1String("off"))
            SetShowServiceAnswers(choice == QLatin1String("on"));
        else if (!choice.isEmpty())
            return kCtlUsage;
        ctx.out << (ShowServiceAnswers() ? "on" : "off") << "\n";
        return kCtlOk;
    }
    if (verb == QLatin1String("service") && ctx.args.size() <= 2) {
        if (ctx.args.size() == 2)
            SetPartServiceAddress(ctx.args[1]);
        ctx.out << PartServiceAddress() << "\n";
        return kCtlOk;
    }
    return kCtlUsage;
}

} // namespace

void RegisterPartinfoCommands()
{
    RegisterCtlCommand({QStringLiteral("partinfo"),
                        QStringLiteral("partinfo [--service URL] search TEXT | partinfo [--service URL] datasheet UID PART"
                                       " | partinfo service [URL] | partinfo answers [on|off]"),
                        runPartinfo});
    RegisterProviderCommands();
    RegisterSourceRefreshCommands();
}
