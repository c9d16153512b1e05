#include "db/vendors.h"

#include "core/format.h"
#include "db/database.h"
#include "db/statement.h"

QStringList ReadVendorNames(bool* ok)
{
    const QueryResult rows = Query(QStringLiteral("Select Vendor from VendList order by id"));
    if (ok)
        *ok = LastResultCode() == 0;
    QStringList names;
    for (int r = 0; r < rows.rowCount; ++r)
        if (!rows.cell(r, 0).isEmpty())
            names << rows.cell(r, 0);
    return names;
}

VendorAddress ReadVendorAddress(const QString& vendor, bool* ok)
{
    VendorAddress found;
    const QueryResult row = QueryBound(QStringLiteral("Select Address,City,State,Zip,Country,Phone,Fax,Website from VendList " "where Vendor = ? order by id limit 1"), {vendor});
    if (ok)
        *ok = LastResultCode() == 0;
    if (row.rowCount == 0)
        return found;
    found.found = true;
    found.address = row.cell(0, 0);
    found.city = row.cell(0, 1);
    found.state = row.cell(0, 2);
    found.zip = row.cell(0, 3);
    found.country = row.cell(0, 4);
    found.phone = row.cell(0, 5);
    found.fax = row.cell(0, 6);
    found.website = row.cell(0, 7);
    return found;
}

bool VendorOnFile(const QString& vendor, bool* ok)
{
    const QueryResult row = QueryBound(QStringLiteral("Select Vendor from VendList where Vendor = ? limit 1"), {vendor});
    if (ok)
        *ok = LastResultCode() == 0;
    return row.rowCount > 0;
}

bool EnsureVendorRecord(const QString& vendor, const QString& user, const QString& stamp, bool* added)
{
    if (added)
        *added = false;
    bool ok = true;
    if (vendor.isEmpty() || VendorOnFile(vendor, &ok))
        return ok;
    if (!ok)
        return false;
    if (!ExecuteBound(QStringLiteral("Insert into VendList (Vendor,User,Time_Stamp) values (?,?,?)"), {vendor, user, stamp}))
        return false;
    if (added)
        *added = true;
    return true;
}

bool EnsureLabourResource(const QString& resource, const QString& user, const QString& stamp, bool* added)
{
    if (added)
        *added = false;
    const QueryResult row =
        QueryBound(QStringLiteral("Select Resource from LabrList where Resource = ? limit 1"), {resource});
    if (LastResultCode() != 0)
        return false;
    if (resource.isEmpty() || row.rowCount > 0)
        return true;
    if (!ExecuteBound(QStringLiteral("Insert into LabrList (Resource,User,Time_Stamp) values (?,?,?)"), {resource, user, stamp}))
        return false;
    if (added)
        *added = true;
    return true;
}

QString ReadLabourRate(const QString& resource)
{
    const QueryResult row = QueryBound(QStringLiteral("Select Rate from LabrList where Resource=? order by id limit 1"), {resource});
    return row.rowCount > 0 ? row.cell(0, 0) : QString();
}

QHash<QString, QString> ReadLabourRates(bool* ok)
{
    const QueryResult rows = Query(QStringLiteral("Select Resource,Rate from LabrList order by id"));
    if (ok)
        *ok = LastResultCode() == 0;
    QHash<QString, QString> rates;
    for (int r = 0; r < rows.rowCount; ++r)
        if (!rates.contains(rows.cell(r, 0)))
            rates.insert(rows.cell(r, 0), rows.cell(r, 1));
    return rates;
}
