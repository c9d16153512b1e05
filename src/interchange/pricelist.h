#pragma once
// A vendor's price list read into sources: per row a part (by the shop's
// part number, else its manufacturer part number), the vendor's order code,
// price breaks (quantity and price columns taken in pairs, or prices headed
// by their quantity: "Price 100", "100+"), pack, minimum, multiple, lead
// time and currency. Rows naming a part the shop does not have are listed,
// never created.
#include "db/sources.h"
#include "interchange/importfile.h"

#include <QString>
#include <QStringList>
#include <vector>

struct PriceListReading
{
    std::vector<SourceRecord> sources; // one per row that names a known part
    QStringList unknownParts;          // named by rows, not in the shop
    QStringList columns;               // "heading -> role", for the preview
    int headerLine = -1;               // file line of the headings, from 1
    QString error;                     // why nothing could be read
};

// Reads the price list; vendor and currency, when given, stand for every row.
PriceListReading ReadPriceList(const ImportFile& file, const QString& vendor, const QString& currency);

// The preview: the columns understood, counts, the first sources with their breaks.
QString PriceListSummaryText(const PriceListReading& reading);
