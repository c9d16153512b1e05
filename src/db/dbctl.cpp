// koltctl commands of the database layer: init, param, query.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "core/utilities.h"
#include "db/copy.h"
#include "db/database.h"
#include "db/parameters.h"

void RegisterDbCommands()
{
    RegisterCtlCommand({QStringLiteral("copy"), QStringLiteral("copy FROM TO"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 2)
                                return kCtlUsage;
                            const CopyOutcome outcome = CopyData(ctx.args[0], ctx.args[1]);
                            for (const QString& line : outcome.tables)
                                ctx.out << line << "\n";
                            return outcome.done ? kCtlOk : kCtlFailed;
                        }});
    RegisterCtlCommand({QStringLiteral("init"), QStringLiteral("init"), [](CtlContext& ctx) {
                            // The folder was initialised on the way in; say where it is.
                            ctx.out << App().DataFolder << "\n";
                            return kCtlOk;
                        }});
    RegisterCtlCommand({QStringLiteral("param"), QStringLiteral("param get N | param set N TEXT"),
                        [](CtlContext& ctx) {
                            const QString verb = ctx.args.value(0);
                            bool numeric = false;
                            const int n = ctx.args.value(1).toInt(&numeric);
                            if (!numeric || n < 0 || n >= kParamCount) {
                                ctx.err << "param: the number must be 0 to " << kParamCount - 1 << "\n";
                                return kCtlUsage;
                            }
                            if (verb == QLatin1String("get") && ctx.args.size() == 2) {
                                ctx.out << GetParam(n) << "\n";
                                return kCtlOk;
                            }
                            if (verb == QLatin1String("set") && ctx.args.size() == 3) {
                                SetParam(n, ctx.args[2]);
                                if (GetParam(n) != ctx.args[2]) {
                                    ctx.err << "param: Param" << n << " could not be written\n";
                                    return kCtlFailed;
                                }
                                return kCtlOk;
                            }
                            return kCtlUsage;
                        }});
    RegisterCtlCommand({QStringLiteral("query"), QStringLiteral("query SQL"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 1)
                                return kCtlUsage;
                            const QueryResult result = Query(ctx.args[0]);
                            if (LastResultCode() != 0)
                                return kCtlFailed;
                            QStringList headings;
                            for (int c = 0; c < result.columnCount; ++c)
                                headings << result.headings[c];
                            if (result.rowCount > 0)
                                ctx.out << headings.join(QLatin1Char('\t')) << "\n";
                            for (int r = 0; r < result.rowCount; ++r) {
                                QStringList row;
                                for (int c = 0; c < result.columnCount; ++c)
                                    row << result.cell(r, c);
                                ctx.out << row.join(QLatin1Char('\t')) << "\n";
                            }
                            return kCtlOk;
                        }});
}
