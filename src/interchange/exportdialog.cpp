#include "interchange/exportdialog.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/tabledefs.h"
#include "core/userinterface.h"
#include "interchange/csvexport.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace {

// "Export" beside the data; for a shop on a server, in the local data
// folder where its pictures and documents go too.
QString exportFolder()
{
    const QString data = App().DataFolder;
    if (!IsServerAddress(data))
        return data + QStringLiteral("/Export");
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/KOLT/Export");
}

} // namespace

bool RunExportDialog(QWidget* parent, const QueryResult& result, int table)
{
    QFileDialog dialog(parent, Translate(QStringLiteral("Export File")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("CSV Files (*.csv)"), QStringLiteral("Excel Workbooks (*.xlsx)"),
                           QStringLiteral("All Files (*)")});
    // A name typed without an extension gets ".exp", as it always has.
    dialog.setDefaultSuffix(QStringLiteral("exp"));
    dialog.setOption(QFileDialog::ReadOnly, false);
    // The data's own export folder, not wherever the last import came from.
    const QString folder = exportFolder();
    QDir().mkpath(folder);
    dialog.setDirectory(folder);
    dialog.selectFile(folder + QLatin1Char('/') + TableSqlName(table) + QStringLiteral(".csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        ShowMessage(Translate(QStringLiteral("No Export File Selected")));
        return false;
    }
    QString path = dialog.selectedFiles().constFirst();
    // The workbook filter with a name typed without its extension.
    if (dialog.selectedNameFilter().contains(QLatin1String("xlsx")) && !IsXlsxPath(path)) {
        if (path.endsWith(QLatin1String(".exp")))
            path.chop(4);
        path += QStringLiteral(".xlsx");
    }
    return IsXlsxPath(path) ? WriteXlsxTableExport(path, result, table) : WriteCsvExport(path, result, table);
}
