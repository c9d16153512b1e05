// koltctl commands of a team's shop: server grant and revoke, backup and restore.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "db/backup.h"
#include "db/database.h"
#include "db/serveradmin.h"
#include "db/serveraccess.h"

namespace {

int runServer(CtlContext& ctx)
{
    const bool readOnly = ctx.takeFlag(QStringLiteral("--read-only"));
    const QString verb = ctx.args.value(0);
    if (ctx.args.size() != 2 || (verb != QLatin1String("grant") && verb != QLatin1String("revoke"))
        || (readOnly && verb != QLatin1String("grant")))
        return kCtlUsage;
    const QString login = ctx.args[1];
    QString error;
    const bool done = verb == QLatin1String("grant") ? GrantShopAccess(login, readOnly, &error)
                                                     : RevokeShopAccess(login, &error);
    if (!done) {
        ctx.err << "server " << verb << ": " << error << "\n";
        return kCtlFailed;
    }
    // What the login may do now, read back from the server.
    const ShopGrant grant = ShopGrantOf(login);
    ctx.out << login << "\t"
            << (grant == ShopGrant::ReadWrite ? "read and write" : grant == ShopGrant::ReadOnly ? "read-only" : "no access")
            << "\n";
    return kCtlOk;
}

int printTables(CtlContext& ctx, const BackupOutcome& outcome)
{
    for (const QString& line : outcome.tables)
        ctx.out << line << "\n";
    return outcome.done ? kCtlOk : kCtlFailed;
}

} // namespace

void RegisterServerCommands()
{
    RegisterCtlCommand({QStringLiteral("server"), QStringLiteral("server grant USER [--read-only] | server revoke USER"),
                        runServer});
    RegisterCtlCommand({QStringLiteral("backup"), QStringLiteral("backup LOCATION FILE"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 2)
                                return kCtlUsage;
                            return printTables(ctx, BackupShop(ctx.args[0], ctx.args[1]));
                        },
                        false});
    RegisterCtlCommand({QStringLiteral("restore"), QStringLiteral("restore FILE LOCATION"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 2)
                                return kCtlUsage;
                            return printTables(ctx, RestoreShop(ctx.args[0], ctx.args[1]));
                        },
                        false});
}
