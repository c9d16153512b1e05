#include "db/allocationrows.h"

#include "db/database.h"
#include "db/sqllist.h"

bool InsertAllocations(const std::vector<AllocationRow>& rows)
{
    if (rows.empty())
        return true;
    QString values;
    for (const AllocationRow& row : rows) {
        if (!values.isEmpty())
            values += QLatin1Char(',');
        values += QLatin1Char('(') + SqlQuotedList({row.requirement, row.part, row.quantity, row.purchaseOrder})
                  + QLatin1Char(')');
    }
    return Execute(QStringLiteral("Insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values ") + values);
}
