// koltctl commands of the scheduling subsystem: the schedule as text and printed,
// the holidays, and the task list.
#include "core/ctlcommands.h"
#include "core/dates.h"
#include "core/format.h"
#include "core/quantity.h"
#include "db/database.h"
#include "db/production.h"
#include "schedule/schedule.h"
#include "schedule/scheduleprint.h"
#include "schedule/taskrecord.h"

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
                            if (schedule.needDate.isValid())
                                ctx.out << "NEED\t" << IsoDate(schedule.needDate) << "\t"
                                        << (schedule.lateDays > 0 ? LateText(schedule.lateDays) : QStringLiteral("on time"))
                                        << "\n";
                            return kCtlOk;
                        }});
    RegisterCtlCommand({QStringLiteral("holiday"), QStringLiteral("holiday add YYYY-MM-DD [TEXT] | holiday remove YYYY-MM-DD | holiday list"),
                        [](CtlContext& ctx) {
                            if (ctx.args.isEmpty())
                                return kCtlUsage;
                            const QString verb = ctx.args[0];
                            if (verb == QLatin1String("list") && ctx.args.size() == 1) {
                                for (const QString& date : ReadHolidayDates())
                                    ctx.out << date << "\n";
                                return LastResultCode() == 0 ? kCtlOk : kCtlFailed;
                            }
                            const bool add = verb == QLatin1String("add") && ctx.args.size() >= 2 && ctx.args.size() <= 3;
                            const bool remove = verb == QLatin1String("remove") && ctx.args.size() == 2;
                            if (!add && !remove)
                                return kCtlUsage;
                            QDate date;
                            if (!CtlIsoDate(ctx, ctx.args[1], &date))
                                return kCtlFailed;
                            if (add) {
                                if (!AddHoliday(IsoDate(date), ctx.args.value(2))) {
                                    ctx.err << LastErrorText() << "\n";
                                    return kCtlFailed;
                                }
                                ctx.out << IsoDate(date) << "\n";
                                return kCtlOk;
                            }
                            const int removed = RemoveHoliday(IsoDate(date));
                            if (removed < 0) {
                                ctx.err << LastErrorText() << "\n";
                                return kCtlFailed;
                            }
                            if (removed == 0) {
                                ctx.err << "no such holiday: " << IsoDate(date) << "\n";
                                return kCtlFailed;
                            }
                            return kCtlOk;
                        }});
    RegisterCtlCommand({QStringLiteral("tasks"), QStringLiteral("tasks [--status S] [--resource R] | tasks done REQ TASK"),
                        [](CtlContext& ctx) {
                            const QString status = ctx.takeOption(QStringLiteral("--status"));
                            const QString resource = ctx.takeOption(QStringLiteral("--resource"));
                            if (ctx.args.size() == 3 && ctx.args[0] == QLatin1String("done")) {
                                bool number = false;
                                const int task = ctx.args[2].toInt(&number);
                                if (!number)
                                    return kCtlUsage;
                                if (!MarkTaskDone(ctx.args[1], task)) {
                                    ctx.err << "no such task: " << ctx.args[1] << " " << ctx.args[2] << "\n";
                                    return kCtlFailed;
                                }
                                return kCtlOk;
                            }
                            if (!ctx.args.isEmpty())
                                return kCtlUsage;
                            for (const TaskRow& task : ReadTasks(status, resource))
                                ctx.out << task.orderNumber << "\t" << task.taskNumber << "\t" << task.assembly << "\t"
                                        << task.step << "\t" << task.resource << "\t" << PlainNumber(task.count) << "\t"
                                        << PlainNumber(TaskWorkHours(task.stepHours, task.count)) << "\t" << task.status
                                        << "\n";
                            return LastResultCode() == 0 ? kCtlOk : kCtlFailed;
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
