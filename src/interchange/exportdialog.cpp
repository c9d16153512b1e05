#include "interchange/exportdialog.h"

#include "core/dictionary.h"
#include "core/tabledefs.h"
#include "core/userinterface.h"
#include "interchange/csvexport.h"

#include <QFileDialog>

bool RunExportDialog(QWidget* parent, const QueryResult& result, int table)
{
    QFileDialog dialog(parent, Translate(QStringLiteral("Export File")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")});
    // A name typed without an extension gets ".exp", as it always has.
    dialog.setDefaultSuffix(QStringLiteral("exp"));
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.selectFile(TableSqlName(table) + QStringLiteral(".csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        ShowMessage(Translate(QStringLiteral("No Export File Selected")));
        return false;
    }
    return WriteCsvExport(dialog.selectedFiles().constFirst(), result, table);
}
