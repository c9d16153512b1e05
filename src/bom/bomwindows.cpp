// Registers the windows of this subsystem with the window hooks.
#include "bom/addassy.h"
#include "bom/assyview.h"
#include "bom/changewindows.h"
#include "bom/report.h"
#include "bom/rollup.h"
#include "bom/rollupdialog.h"
#include "core/windowhooks.h"

namespace {
QString g_lastAddedAssembly;
}

QString LastAddedAssembly()
{
    return g_lastAddedAssembly;
}

void RegisterBomWindows()
{
    // {}: the roll-up at the builds the user gives, with its progress window;
    // the caller reloads the grid and redraws the tree.
    RegisterWindowAction(WindowActions::Update, [](QWidget* parent, const QStringList&) {
        CRollupDialog dialog(parent);
        return dialog.exec() == QDialog::Accepted && RunCostRollup(dialog.builds()) > 0;
    });
    RegisterWindowAction(WindowActions::Report, [](QWidget* parent, const QStringList&) {
        CReport report(parent);
        report.exec();
        return false;
    });
    RegisterWindowAction(WindowActions::AssemblyTree, [](QWidget* parent, const QStringList& args) {
        CAssyView view(parent);
        view.setSelectedAssembly(args.value(0));
        view.buildTree();
        view.exec();
        return false;
    });
    RegisterWindowAction(WindowActions::WhereUsed, [](QWidget* parent, const QStringList& args) {
        CWhereUsed window(args.value(0), parent);
        window.exec();
        return false;
    });
    // True when lines were replaced: the caller reloads what it shows.
    RegisterWindowAction(WindowActions::ReplacePart, [](QWidget* parent, const QStringList& args) {
        CReplacePart dialog(args.value(0), parent);
        return dialog.exec() == QDialog::Accepted;
    });
    RegisterWindowAction(WindowActions::CompareBills, [](QWidget* parent, const QStringList& args) {
        CCompareBills dialog(args.value(0), parent);
        dialog.exec();
        return false;
    });
    RegisterWindowAction(WindowActions::AddAssembly, [](QWidget* parent, const QStringList&) {
        CAddAssy dialog(parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        g_lastAddedAssembly = dialog.assemblyName();
        return true;
    });
}
