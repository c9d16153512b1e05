#pragma once
// How the windows of one subsystem open the windows of another without
// including them: each subsystem registers its dialogs under a name at
// start-up, and callers (the command bar, clickable grid cells, other
// dialogs) run them by name.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
struct QueryResult;

// Runs the window modally; returns true when it changed data the caller shows.
using WindowAction = std::function<bool(QWidget* parent, const QStringList& args)>;

// An empty action removes the name again.
void RegisterWindowAction(const QString& name, WindowAction action);
bool HasWindowAction(const QString& name);
// False when nothing is registered under the name.
bool RunWindowAction(const QString& name, QWidget* parent, const QStringList& args = {});

// The Export command writes the rows the grid holds, which a list of texts
// cannot carry: it has a hook of its own.
using ExportAction = std::function<bool(QWidget* parent, const QueryResult& rows, int table)>;
void RegisterExportAction(ExportAction action);
bool HasExportAction();
bool RunExportAction(QWidget* parent, const QueryResult& rows, int table);

// The names in use, with their arguments.
namespace WindowActions {
inline const QString PurchaseOrder = QStringLiteral("purchase-order"); // {PO #}
inline const QString Order = QStringLiteral("order");                  // {Order #} or {} for the last
inline const QString Timeline = QStringLiteral("timeline");            // {Order #} or {}
inline const QString TaskEdit = QStringLiteral("task-edit");           // {TaskList id}
inline const QString TaskList = QStringLiteral("task-list");           // {}
inline const QString TimelineSetup = QStringLiteral("timeline-setup"); // {}
inline const QString PartInfo = QStringLiteral("part-info");           // {Part #, PartList id}
inline const QString Report = QStringLiteral("report");                // {}
inline const QString AssemblyTree = QStringLiteral("assembly-tree");   // {Assy}
inline const QString AddAssembly = QStringLiteral("add-assembly");     // {}
inline const QString Import = QStringLiteral("import");                // {}
inline const QString Update = QStringLiteral("update");                // {}: the cost roll-up
inline const QString WhereUsed = QStringLiteral("where-used");         // {Part #}
inline const QString ReplacePart = QStringLiteral("replace-part");     // {old Part #}
inline const QString CompareBills = QStringLiteral("compare-bills");   // {Assy}
inline const QString Providers = QStringLiteral("providers");          // {}: the distributor accounts
// A purchase order as its vendor's cart-upload file: {PO #} asks where, {PO #, path} writes there.
inline const QString CartExport = QStringLiteral("cart-export");
// The distributors' offers into the sources: {Part #...}, {"--assy", Assy} or {} for every part.
inline const QString RefreshSources = QStringLiteral("refresh-sources");
} // namespace WindowActions

// Each subsystem's windows register their actions here (RegisterEveryWindow
// in app calls them once per process).
void RegisterControlsWindows();
void RegisterGridWindows();
void RegisterBomWindows();
void RegisterOrdersWindows();
void RegisterScheduleWindows();
void RegisterInterchangeWindows();
void RegisterPartinfoWindows();
