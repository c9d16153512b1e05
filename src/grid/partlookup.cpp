#include "grid/partlookup.h"

#include "core/format.h"

QString PartSearchStatement(const QString& text)
{
    // The quotes of the pattern belong to the statement; the text inside is escaped.
    const QString pattern = QLatin1Char('\'') + Format("%%%s%%", {SqlEscape(text)}) + QLatin1Char('\'');
    return Format("Select Part_nBr,Internal_nBr,Description,Manufacturer,Distributor from PartList where "
                  "Part_nBr like %s OR Internal_nBr like %s OR Description like %s OR Manufacturer like %s OR "
                  "Distributor like %s",
                  {pattern, pattern, pattern, pattern, pattern});
}

QueryResult SearchParts(const QString& text)
{
    return Query(PartSearchStatement(text));
}
