#pragma once
// Vendors (VendList) and labour resources (LabrList): the names, one vendor's
// address in one statement, and the one place where a vendor or a resource
// named for the first time gets its record.
#include <QHash>
#include <QString>
#include <QStringList>

// Every vendor name in record order, blanks left out.
QStringList ReadVendorNames(bool* ok = nullptr);

// The address and contact fields of the vendor's first record (by id).
struct VendorAddress
{
    bool found = false;
    QString address;
    QString city;
    QString state;
    QString zip;
    QString country;
    QString phone;
    QString fax;
    QString website;
};
VendorAddress ReadVendorAddress(const QString& vendor, bool* ok = nullptr);

// Whether a vendor record of that exact name is on file.
bool VendorOnFile(const QString& vendor, bool* ok = nullptr);

// Makes a record for a vendor named for the first time (the grid, the part
// lookup); *added tells whether one was written. False when the database
// refused.
bool EnsureVendorRecord(const QString& vendor, const QString& user, const QString& stamp, bool* added = nullptr);

// Makes a LabrList record for a resource named for the first time.
bool EnsureLabourResource(const QString& resource, const QString& user, const QString& stamp, bool* added = nullptr);

// The rate of a resource as stored (empty when none).
QString ReadLabourRate(const QString& resource);

// Every resource with its rate text, one statement.
QHash<QString, QString> ReadLabourRates(bool* ok = nullptr);
