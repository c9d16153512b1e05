// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"
#include "schedule/tasklist.h"
#include "schedule/taskrecord.h"
#include "schedule/timelinedialogs.h"

void RegisterScheduleWindows()
{
    RegisterWindowAction(WindowActions::Timeline, [](QWidget* parent, const QStringList& args) {
        CTimeline dialog(args.value(0), parent);
        dialog.exec();
        return false;
    });
    // From the grid: the TaskList id; from the timeline: order and task number.
    RegisterWindowAction(WindowActions::TaskEdit, [](QWidget* parent, const QStringList& args) {
        QString order = args.value(0);
        QString task = args.value(1);
        if (args.size() < 2 && !TaskById(args.value(0), order, task))
            return false;
        CTaskEdit dialog(order, task, parent);
        return dialog.exec() == QDialog::Accepted;
    });
    RegisterWindowAction(WindowActions::TaskList, [](QWidget* parent, const QStringList&) {
        CTaskList dialog(parent);
        dialog.exec();
        return true;
    });
    RegisterWindowAction(WindowActions::TimelineSetup, [](QWidget* parent, const QStringList&) {
        CTimelineSetup dialog(parent);
        dialog.exec();
        return dialog.changed();
    });
}
