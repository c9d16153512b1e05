#pragma once
// Part records (PartList) as the engines and windows read and write them: a
// record's fields in one statement, a set of records' fields in one, the one
// place where a part named for the first time gets its record, and the
// roll-up's prices written as a set.
#include <QHash>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The fields of a part record shown beside a tree or a requirement.
struct PartRecordFields
{
    bool found = false;
    QString description;
    QString category;
    QString picture;
    QString currency;
    QString price;
    QString labor;
    QString manufacturer;
    QString distributor;
};
// The part's first record (by id), in one statement.
PartRecordFields ReadPartRecord(const QString& part, bool* ok = nullptr);
// The records of several parts, one statement per few hundred; a part
// without a record is absent.
QHash<QString, PartRecordFields> ReadPartRecords(const QStringList& parts, bool* ok = nullptr);

// Whether a record of that exact number is on file.
bool PartOnFile(const QString& part, bool* ok = nullptr);
// Every part number on file, in record order.
QStringList ReadPartNumbers(bool* ok = nullptr);
// The part numbers among these that are on file, one statement.
QStringList PartNumbersAmong(const QStringList& parts, bool* ok = nullptr);

// The Part_nBr of the record with that id; found false when there is none.
QString PartNumberOfRecord(int id, bool* found = nullptr, bool* ok = nullptr);
// Writes the fields (column name, text) of the record with that id in one
// statement; the names are the callers' fixed column names.
bool WritePartRecordFields(int id, const std::vector<std::pair<QString, QString>>& fields);

// Makes the record of a part named for the first time on a bill: description
// "<part> Description", revision A, the user's currency, made (an assembly)
// or bought. *added tells whether one was written; false when refused.
bool EnsurePartRecord(const QString& part, bool made, const QString& user, const QString& stamp,
                      bool* added = nullptr);

// A price and a labour cost for an assembly's record, as the roll-up writes them.
struct PartCost
{
    QString part;
    double price = 0;
    double labor = 0;
};
// Writes Price and Labor ("%0.2f") of every named record, one statement per
// few hundred parts however many assemblies there are.
bool WritePartCosts(const std::vector<PartCost>& costs);
// Made parts name the company as their manufacturer.
bool SetMadePartsManufacturer(const QString& company);

// (part, Alternates) of the named records that list any; one statement.
std::vector<std::pair<QString, QString>> ReadPartAlternates(const QStringList& parts);

// The stock figures and maker of part records, as the alternates weigh them.
struct PartStockRecord
{
    QString part;
    double stock = 0;
    double allocated = 0;
    QString manufacturer;
    QString manufacturerPart; // empty unless asked for
};
// The named records in one statement per few hundred (a number on file
// twice: both records); withMakerNumber reads Mfr_Part_nBr as well.
std::vector<PartStockRecord> ReadPartStockRecords(const QStringList& parts, bool withMakerNumber);

struct QueryResult;
// Part_nBr, Internal_nBr, Description, Manufacturer and Distributor of the
// records where any of them holds the text.
QueryResult SearchPartRecords(const QString& text);
