// The grid's context menu: the engineering-change windows for the part of
// the row under the mouse, in the part table and a bill.
#include "grid/gridview.h"

#include "core/dictionary.h"
#include "core/tabledefs.h"
#include "core/windowhooks.h"
#include "db/serveraccess.h"

#include <QContextMenuEvent>
#include <QMenu>

void CGridView::contextMenuEvent(QContextMenuEvent* event)
{
    const int table = m_grid.table();
    const QModelIndex index = indexAt(event->pos());
    const int partColumn = m_grid.FindColumnKey(QStringLiteral("PART"));
    if ((table != PartList && table != AssyList) || !index.isValid() || partColumn < 0) {
        QTableView::contextMenuEvent(event);
        return;
    }
    const QString part = m_grid.cell(index.row(), partColumn).trimmed();
    if (part.isEmpty())
        return;
    QMenu menu(this);
    QAction* whereUsed = menu.addAction(Translate(QStringLiteral("Where Used...")));
    QAction* replace = menu.addAction(Translate(QStringLiteral("Replace Everywhere...")));
    whereUsed->setEnabled(HasWindowAction(WindowActions::WhereUsed));
    replace->setEnabled(HasWindowAction(WindowActions::ReplacePart) && !DeskReadOnly());
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == whereUsed)
        RunWindowAction(WindowActions::WhereUsed, this, {part});
    else if (chosen == replace && RunWindowAction(WindowActions::ReplacePart, this, {part}))
        Reload();
}
