#pragma once
// Prices as a buyer reads them: stored exactly, shown with the decimals they
// need, converted into the shop's currency at a rate that must exist.
#include "db/sources.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

// A price as shown: two decimals at least, more while they carry digits, four
// at most (0.012 shows "0.012", 4.2 "4.20", 0.00125 "0.0013"). Never stored.
QString ShownPrice(double value);

// "100:0.05,1000:0.04" into breaks, ascending by quantity. False with the
// offending item in *error for anything but positive quantities and
// non-negative prices.
bool ParseBreaks(const QString& text, std::vector<PriceBreak>* breaks, QString* error);
// The breaks as ParseBreaks reads them, prices exact.
QString BreaksText(const std::vector<PriceBreak>& breaks);

// The rates of a shop against its own currency.
class CurrencyRates
{
public:
    CurrencyRates() : CurrencyRates(QString(), {}) {}
    CurrencyRates(const QString& shopCurrency, QHash<QString, CurrencyRate> rates);
    // Reads parameter 10 and RateList.
    static CurrencyRates Load(bool* ok = nullptr);

    const QString& shopCurrency() const { return m_shop; }
    // Units of the shop's currency one unit of `currency` buys: 1 for the
    // shop's own (and for an empty code, which means it), nothing when no
    // rate is stored. A missing rate is never taken as 1.
    std::optional<double> toShop(const QString& currency) const;

private:
    QString m_shop;
    QHash<QString, CurrencyRate> m_rates;
};

// "no rate for EUR"
QString MissingRateText(const QString& currency);

// The number of builds the roll-up prices purchased parts for when none is
// given: a Setup value of the profile, 1 unless set.
double DefaultRollupQuantity();
void SetDefaultRollupQuantity(double builds);
