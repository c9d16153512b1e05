#include "db/allocationrows.h"

#include "db/database.h"
#include "db/statement.h"

#include <algorithm>

bool InsertAllocations(const std::vector<AllocationRow>& rows)
{
    if (rows.empty())
        return true;
    // As many rows a statement as the database takes values: a bill's
    // allocations are one statement unless it has thousands of lines, and a
    // slice refused fails the caller's transaction with the rest.
    const size_t slice = static_cast<size_t>(RowsPerStatement(4, static_cast<int>(rows.size())));
    bool done = true;
    for (size_t from = 0; from < rows.size() && done; from += slice) {
        QString values;
        SqlArgs args;
        const size_t to = std::min(rows.size(), from + slice);
        args.reserve((to - from) * 4);
        for (size_t r = from; r < to; ++r) {
            const AllocationRow& row = rows[r];
            values += r == from ? QStringLiteral("(?,?,?,?)") : QStringLiteral(",(?,?,?,?)");
            args.insert(args.end(), {row.requirement, row.part, row.quantity, row.purchaseOrder});
        }
        done = ExecuteBound(QStringLiteral("Insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values ") + values,
                            args);
    }
    return done;
}
