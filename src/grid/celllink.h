#pragma once
// Where a link or document cell leads: a path as written, a web address,
// or a file of the data folder's Document folder.
#include <QString>
#include <QUrl>

// An empty URL when the cell is too short (4 characters or fewer) to name anything.
QUrl CellLinkTarget(const QString& text);
