#pragma once
// Obsolete parts in a bill: Process, its preview and the error check warn
// about them, naming the replacement when the part record knows one.
#include "db/database.h"

#include <QStringList>

// One warning per distinct obsolete part among the bill's lines (the rows
// of LoadBomRows), in the order the bill first names them.
QStringList ObsoletePartWarnings(const QueryResult& bom);
