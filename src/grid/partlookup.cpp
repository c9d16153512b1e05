#include "grid/partlookup.h"

#include "db/parts.h"

QueryResult SearchParts(const QString& text)
{
    return SearchPartRecords(text);
}
