// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"
#include "partinfo/epartinfo.h"
#include "partinfo/providersdialog.h"

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
}
