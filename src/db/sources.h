#pragma once
// Where parts are bought: the sources of each part (SrcList), their price
// breaks (BrkList, tied to a source by part, vendor and order code) and the
// currency rates (RateList). Quantities and prices are stored as plain
// numbers and read back exactly as written.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct PriceBreak
{
    double quantity = 0; // from this many pieces on
    double price = 0;    // per piece, in the source's currency
};

struct SourceRecord
{
    QString part;
    QString vendor;
    QString orderCode;
    QString manufacturer;
    QString mpn;
    double pack = 1;     // pieces in one ordered unit
    double minimum = 0;  // the least quantity the vendor sells, in pieces
    double multiple = 0; // quantities above the minimum go in these steps
    int leadDays = 0;
    QString currency;    // empty: the shop's currency
    bool preferred = false;
    QString notes;
    std::vector<PriceBreak> breaks; // ascending by quantity
    double vendorStock = -1; // pieces the vendor had in stock on stockDate; -1 unknown
    QString stockDate;       // YYYY-MM-DD of the last refresh from the vendor's data
};

// The sources of the parts named (all when parts is empty), with their
// breaks, in the order they were entered; a few statements whatever the
// number of parts. *ok is false when a read failed.
QHash<QString, std::vector<SourceRecord>> LoadSources(const QStringList& parts, bool* ok = nullptr);

// Stores the source with its breaks, replacing a source of the same part,
// vendor and order code and its breaks, in one transaction. False when the
// database refused (LastErrorText() says why; nothing was written).
bool SaveSource(const SourceRecord& source);
// The same for many sources in one transaction and a few statements per
// few hundred sources; the keys must differ.
bool SaveSources(const std::vector<SourceRecord>& sources);

// A price as stored: every digit a double gives up to ten decimals, never an
// exponent, so 0.000125 or 1234.5678 read back as written.
QString ExactNumberText(double value);
// The same with two decimals at least, as prices are read: "2.50", "0.012".
QString ExactPriceText(double value);

struct CurrencyRate
{
    double rate = 0; // units of the shop's currency one unit buys
    QString date;
};

// Every stored rate by currency code (upper case). *ok is false when the read failed.
QHash<QString, CurrencyRate> LoadCurrencyRates(bool* ok = nullptr);
// Sets the rate of a currency dated today, replacing the one before.
bool SaveCurrencyRate(const QString& currency, double rate);

// What purchasing reads of a part besides its bill line.
struct PartPurchaseFacts
{
    QString orderCode;
    double minStock = 0;
};
QHash<QString, PartPurchaseFacts> LoadPartPurchaseFacts(const QStringList& parts, bool* ok = nullptr);

// The parts priced (their own Currency, or a source's) in a currency that is
// neither the shop's (empty: USD) nor has a rate: two statements for the shop.
QStringList PartsWithoutCurrencyRate(const QString& shopCurrency, bool* ok = nullptr);

// What a price list needs to find its parts: of the part numbers given, those
// the shop has; and for manufacturer part numbers, the shop's part of each
// (the first by part number where several share one). One statement per
// few hundred names.
QStringList KnownParts(const QStringList& parts, bool* ok = nullptr);
QHash<QString, QString> PartsOfMfrParts(const QStringList& mfrParts, bool* ok = nullptr);
