// The item list of a purchase order: what it parses into is written back
// and parsed again to the same rows.
#include "fuzztarget.h"
#include "orders/purchaseorder.h"

KOLT_FUZZ_TARGET(FuzzItemList)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<ItemRow> rows = ParseItemList(text);
    for (const ItemRow& row : rows)
        KOLT_FUZZ_CHECK(row.size() >= kItemColumns);
    KOLT_FUZZ_CHECK(ParseItemList(BuildItemList(rows)) == rows);
    RecomputeLineTotals(rows);
    return 0;
}
