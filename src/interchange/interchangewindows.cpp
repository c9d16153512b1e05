// Registers the windows of this subsystem with the window hooks.
#include "app/windowhooks.h"

#include "db/database.h"
#include "db/rollup.h"
#include "interchange/exportdialog.h"
#include "interchange/importdialog.h"

void RegisterInterchangeWindows()
{
    // {}: the roll-up with its progress window; the caller reloads the grid
    // and redraws the tree.
    RegisterWindowAction(WindowActions::Update, [](QWidget*, const QStringList&) { return RunCostRollup() > 0; });

    RegisterWindowAction(WindowActions::Import, [](QWidget* parent, const QStringList&) {
        CImport dialog(parent);
        dialog.exec();
        return dialog.changedData();
    });

    RegisterExportAction([](QWidget* parent, const QueryResult& rows, int table) {
        return table >= 0 && table < kTableCount && RunExportDialog(parent, rows, table);
    });
}
