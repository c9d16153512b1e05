#pragma once
// The part search statement: a fragment of text against part number,
// internal number, description, manufacturer and distributor.
#include "db/database.h"

QString PartSearchStatement(const QString& text);
QueryResult SearchParts(const QString& text);
