// Registers the windows of this subsystem with the window hooks.
#include "app/windowhooks.h"

#include "db/database.h"
#include "db/rollup.h"
#include "interchange/csvexport.h"
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

    // {table index, current assembly}: without the grid's own result at
    // hand, the grid's load statement gives the same rows.
    RegisterWindowAction(WindowActions::Export, [](QWidget* parent, const QStringList& args) {
        bool numeric = false;
        const int table = args.value(0).toInt(&numeric);
        if (!numeric || table < 0 || table >= kTableCount)
            return false;
        const QueryResult result = Query(ExportLoadStatement(table, args.value(1)));
        RunExportDialog(parent, result, table);
        return false;
    });
}
