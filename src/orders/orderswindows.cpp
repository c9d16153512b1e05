// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"
#include "orders/purchaseorderdialog.h"
#include "orders/requirements.h"

void RegisterOrdersWindows()
{
    RegisterWindowAction(WindowActions::Order, [](QWidget* parent, const QStringList& args) {
        CRequirements dialog(args.value(0), parent);
        dialog.exec();
        return true;
    });
    RegisterWindowAction(WindowActions::PurchaseOrder, [](QWidget* parent, const QStringList& args) {
        CPurchaseOrder dialog(args.value(0), parent);
        return dialog.exec() == QDialog::Accepted;
    });
}
