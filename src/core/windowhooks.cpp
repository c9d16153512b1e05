#include "core/windowhooks.h"

#include <QHash>

namespace {

QHash<QString, WindowAction>& actions()
{
    static QHash<QString, WindowAction> table;
    return table;
}

ExportAction& exportAction()
{
    static ExportAction action;
    return action;
}

} // namespace

void RegisterWindowAction(const QString& name, WindowAction action)
{
    if (!action) {
        actions().remove(name);
        return;
    }
    actions().insert(name, std::move(action));
}

bool HasWindowAction(const QString& name)
{
    return actions().contains(name);
}

bool RunWindowAction(const QString& name, QWidget* parent, const QStringList& args)
{
    const auto it = actions().constFind(name);
    if (it == actions().constEnd())
        return false;
    return (*it)(parent, args);
}

void RegisterExportAction(ExportAction action)
{
    exportAction() = std::move(action);
}

bool HasExportAction()
{
    return static_cast<bool>(exportAction());
}

bool RunExportAction(QWidget* parent, const QueryResult& rows, int table)
{
    return exportAction() ? exportAction()(parent, rows, table) : false;
}
