#include "db/vendorrows.h"

#include "db/sqllist.h"

QString VendorRecords::value(const QString& vendor, const QString& heading) const
{
    const auto it = first.constFind(vendor);
    const int column = FindColumn(rows, heading);
    return it == first.constEnd() || column < 0 ? QString() : rows.cell(*it, column);
}

VendorRecords ReadVendorRecords(const QStringList& vendors, bool* ok)
{
    VendorRecords records;
    if (vendors.isEmpty()) {
        if (ok)
            *ok = true;
        return records;
    }
    records.rows = Query(QStringLiteral("Select * from VendList where VendList.Vendor in (") + SqlQuotedList(vendors)
                         + QStringLiteral(") order by id"));
    if (ok)
        *ok = LastResultCode() == 0;
    const int vendorColumn = FindColumn(records.rows, QStringLiteral("Vendor"));
    for (int r = 0; r < records.rows.rowCount && vendorColumn >= 0; ++r)
        if (!records.first.contains(records.rows.cell(r, vendorColumn)))
            records.first.insert(records.rows.cell(r, vendorColumn), r);
    return records;
}
