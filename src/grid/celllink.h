#pragma once
// Where a link or document cell leads. A cell's text may come from an
// imported file, so only web and mail links and files inside the data
// folder's Picture and Document folders are ever opened.
#include <QString>
#include <QUrl>

struct CellLink
{
    QUrl url;        // what to open; empty when nothing is opened
    QString problem; // why nothing is opened (refused, not found); empty for a short cell
};

// A cell of 4 characters or fewer names nothing: empty url and no problem.
CellLink CellLinkTarget(const QString& text);

// Opens the cell's target; says what was refused or could not be opened.
// False when nothing was opened.
bool OpenCellLink(const QString& text);
