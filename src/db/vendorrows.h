#pragma once
// VendList records read as a set: the vendors of a batch of purchase orders
// in one statement.
#include <QHash>
#include <QString>
#include <QStringList>

#include "db/database.h"

struct VendorRecords
{
    QueryResult rows;           // every column of VendList
    QHash<QString, int> first;  // vendor -> its first record (by id)

    // The value of the first column whose heading holds the text, for the
    // vendor; empty when the vendor or the column is missing.
    QString value(const QString& vendor, const QString& heading) const;
};

// The records of the vendors; *ok is false when the read failed.
VendorRecords ReadVendorRecords(const QStringList& vendors, bool* ok = nullptr);

// Adds a VendList record of the given type ("Distributor", "Manufacturer")
// for each named vendor that has none: one read and one insert for the set.
// The names are stored as given. False when the database refused.
bool AddMissingVendors(const QStringList& vendors, const QString& type, int* added = nullptr);
