// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"
#include "partinfo/epartinfo.h"

void RegisterPartinfoWindows()
{
    RegisterWindowAction(WindowActions::PartInfo, [](QWidget* parent, const QStringList& args) {
        CEPartInfo dialog(parent, args.value(0), args.value(1).toInt());
        dialog.exec();
        return dialog.changedData();
    });
}
