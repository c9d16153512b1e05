#pragma once
// The part search statement: a fragment of text against part number,
// internal number, description, manufacturer and distributor.
#include "db/database.h"
#include "db/parts.h"

QueryResult SearchParts(const QString& text);
