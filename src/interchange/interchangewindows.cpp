// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"

#include "core/dictionary.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "interchange/cartexport.h"
#include "interchange/exportdialog.h"
#include "interchange/importbill.h"
#include "interchange/xlsxexport.h"
#include "interchange/importdialog.h"

#include <QDir>
#include <QFileDialog>

void RegisterInterchangeWindows()
{
    RegisterImportBillReader();
    RegisterReportWorkbookWriter();
    RegisterWindowAction(WindowActions::Import, [](QWidget* parent, const QStringList&) {
        CImport dialog(parent);
        dialog.exec();
        if (!dialog.importedAssembly().isEmpty())
            ShowImportedAssembly(parent, dialog.importedAssembly());
        return dialog.changedData();
    });

    // The file is written where the user says; what it holds and any line
    // without an order code are told.
    RegisterWindowAction(WindowActions::CartExport, [](QWidget* parent, const QStringList& args) {
        const QString number = args.value(0);
        const QString caption = Translate(QStringLiteral("Cart File"));
        QString path = args.value(1);
        if (path.isEmpty()) {
            path = QFileDialog::getSaveFileName(parent, caption, QDir::home().filePath(CartFileName(number, PurchaseOrderCartFormat(number))),
                                                Translate(QStringLiteral("CSV files")) + QStringLiteral(" (*.csv)"));
            if (path.isEmpty())
                return false;
        }
        const CartExportResult result = ExportPurchaseOrderCart(number, path);
        if (!result.written) {
            ShowMessage(result.error, caption);
            return false;
        }
        QString text = Translate(QStringLiteral("%1 lines written for %2:")).arg(result.lines).arg(CartFormatName(result.format))
                       + QLatin1Char('\n') + QDir::toNativeSeparators(result.path);
        if (!result.notes.isEmpty())
            text += QStringLiteral("\n\n") + result.notes.join(QLatin1Char('\n'));
        ShowMessage(text, caption);
        return false;
    });

    RegisterExportAction([](QWidget* parent, const QueryResult& rows, int table) {
        return table >= 0 && table < kTableCount && RunExportDialog(parent, rows, table);
    });
}
