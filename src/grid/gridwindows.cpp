// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"
#include "grid/partsearch.h"

void RegisterGridWindows()
{
    // {search text}: true when a part was chosen.
    RegisterWindowAction(QStringLiteral("part-search"), [](QWidget* parent, const QStringList& args) {
        CPartSearch search(args.value(0), parent);
        return search.exec() == QDialog::Accepted && search.searchText() != args.value(0);
    });
}
