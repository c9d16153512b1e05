// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"

#include "db/database.h"
#include "interchange/exportdialog.h"
#include "interchange/importbill.h"
#include "interchange/importdialog.h"

void RegisterInterchangeWindows()
{
    RegisterImportBillReader();
    RegisterWindowAction(WindowActions::Import, [](QWidget* parent, const QStringList&) {
        CImport dialog(parent);
        dialog.exec();
        if (!dialog.importedAssembly().isEmpty())
            ShowImportedAssembly(parent, dialog.importedAssembly());
        return dialog.changedData();
    });

    RegisterExportAction([](QWidget* parent, const QueryResult& rows, int table) {
        return table >= 0 && table < kTableCount && RunExportDialog(parent, rows, table);
    });
}
