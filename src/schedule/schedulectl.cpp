// koltctl commands of the scheduling subsystem: the schedule as text and printed.
#include "core/ctlcommands.h"
#include "core/format.h"
#include "db/database.h"
#include "schedule/schedule.h"
#include "schedule/scheduleprint.h"

bool CtlCanPaint(CtlContext& ctx);

void RegisterScheduleCommands()
{
    RegisterCtlCommand({QStringLiteral("schedule"), QStringLiteral("schedule REQ"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 1)
                                return kCtlUsage;
                            const Schedule schedule = ComputeSchedule(ctx.args[0], QDateTime::currentDateTime());
                            if (!schedule.valid)
                                return kCtlFailed;
                            for (const ScheduleItem& item : schedule.items)
                                ctx.out << (item.kind == ScheduleKind::Task ? "TASK" : "PO") << "\t" << item.label
                                        << "\t" << Format("%0.1f", {item.start}) << "\t"
                                        << Format("%0.1f", {item.length}) << "\t" << Format("%0.0f", {item.percent})
                                        << "\t" << item.status << "\n";
                            return kCtlOk;
                        }});
    RegisterPrintCommand({QStringLiteral("schedule"), QStringLiteral("schedule REQ --pdf FILE"),
                        [](CtlContext& ctx) {
                            const QString file = ctx.takeOption(QStringLiteral("--pdf"));
                            if (ctx.args.size() != 1 || file.isEmpty())
                                return kCtlUsage;
                            if (!CtlCanPaint(ctx))
                                return kCtlFailed;
                            return PrintSchedulePdf(ctx.args[0], file) ? kCtlOk : kCtlFailed;
                        }});
}
