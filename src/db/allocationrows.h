#pragma once
// AlloList rows written as a set: a requirement's allocations, one statement
// for all of them however large the bill.
#include <QString>
#include <vector>

struct AllocationRow
{
    QString requirement;
    QString part;
    QString quantity;      // a plain number
    QString purchaseOrder; // empty: covered by stock
};

// Stores the rows in one statement (thousands of rows: a few, each as many
// as the database takes values), inside the caller's transaction; true when
// there were none. False when the database refused them.
bool InsertAllocations(const std::vector<AllocationRow>& rows);
