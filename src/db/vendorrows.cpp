#include "db/vendorrows.h"

#include "core/appstate.h"
#include "core/tabledefs.h"
#include "core/utilities.h"
#include "db/slices.h"
#include "db/statement.h"

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
    // The slices' rows are read into one result, in id order within each.
    const bool read = ReadInSlices(
        QStringLiteral("Select * from VendList where VendList.Vendor in ("), vendors, QStringLiteral(") order by id"),
        [&](const QueryResult& rows) {
            if (records.rows.rowCount == 0) {
                records.rows = rows;
                return;
            }
            const size_t width = static_cast<size_t>(records.rows.columnCount);
            records.rows.cells.resize(static_cast<size_t>(records.rows.rowCount) * width);
            for (int r = 0; r < rows.rowCount && rows.columnCount == records.rows.columnCount;
                 ++r, ++records.rows.rowCount)
                for (size_t c = 0; c < width; ++c)
                    records.rows.cells.push_back(rows.cell(r, static_cast<int>(c)));
        });
    if (ok)
        *ok = read;
    const int vendorColumn = FindColumn(records.rows, QStringLiteral("Vendor"));
    for (int r = 0; r < records.rows.rowCount && vendorColumn >= 0; ++r)
        if (!records.first.contains(records.rows.cell(r, vendorColumn)))
            records.first.insert(records.rows.cell(r, vendorColumn), r);
    return records;
}

bool AddMissingVendors(const QStringList& vendors, const QString& type, int* added)
{
    if (added)
        *added = 0;
    QStringList names;
    for (const QString& name : vendors)
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    bool ok = false;
    const VendorRecords known = ReadVendorRecords(names, &ok);
    if (!ok)
        return false;
    const TableDefinition& definition = App().tables[VendList];
    const QString stamp = TimestampText();
    std::vector<QStringList> rows;
    for (const QString& name : names) {
        if (known.first.contains(name))
            continue;
        QStringList values;
        for (int i = 0; i < definition.fieldCount; ++i) {
            const QString column = ToColumnName(definition.headings[i]);
            values << (column == QLatin1String("Vendor")      ? name
                       : column == QLatin1String("Type")      ? type
                       : column == QLatin1String("User")      ? App().CurrentUser
                       : column == QLatin1String("Time_Stamp") ? stamp
                                                               : QString());
        }
        rows.push_back(values);
    }
    if (rows.empty())
        return true;
    InsertRows(rows, VendList);
    if (LastResultCode() != 0)
        return false;
    if (added)
        *added = static_cast<int>(rows.size());
    return true;
}
