#include "app/windowhooks.h"

#include <QHash>

namespace {

QHash<QString, WindowAction>& actions()
{
    static QHash<QString, WindowAction> table;
    return table;
}

} // namespace

void RegisterWindowAction(const QString& name, WindowAction action)
{
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
