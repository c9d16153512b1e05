#pragma once
// Choosing where to buy a part for one order. Process, its preview and the
// roll-up at a quantity ask the same functions, so what is shown is what is
// bought.
//
// The rules, as buyers work:
// - a source sells whole packs (pack = pieces in one ordered unit), at least
//   its minimum order, above it in steps of its multiple; all in pieces;
// - the unit price is that of the highest break the quantity reaches; below
//   the first break nothing is sold, so the quantity rises to it;
// - a larger quantity at a higher break is bought when it costs less in total;
// - the preferred source wins when one is marked; otherwise the lowest total
//   in the shop's currency, then the shorter lead time, then the vendor name.
#include "db/sources.h"
#include "sourcing/pricing.h"

#include <QString>
#include <vector>

// What one source asks for a need.
struct SourceQuote
{
    SourceRecord source;
    double quantity = 0;  // pieces bought
    double unitPrice = 0; // in the source's currency
    double total = 0;     // quantity × unitPrice, in the source's currency
    double totalInShop = 0;
    bool rateMissing = false;
};

// The quantity a source sells for a need, before breaks are weighed.
double SourceQuantity(const SourceRecord& source, double need);
// The unit price of the highest break the quantity reaches; 0 without breaks.
double BreakPrice(const std::vector<PriceBreak>& breaks, double quantity);
// The cheapest way to buy at least `need` pieces from the source.
SourceQuote QuoteSource(const SourceRecord& source, double need, const CurrencyRates& rates);

struct SourceChoice
{
    bool chosen = false;
    SourceQuote best;
    bool hasRunnerUp = false;
    SourceQuote runnerUp;
    QStringList problems; // sources left out, and why ("no rate for EUR")
};

// Chooses among the part's sources for a need in pieces (the loss allowance
// included). Sources priced in a currency without a rate are left out and
// named in problems; when none is left, nothing is chosen.
SourceChoice ChooseSource(const std::vector<SourceRecord>& sources, double need, const CurrencyRates& rates);

// "MOUS 100 × 0.072 = 7.20"
QString QuoteText(const SourceQuote& quote);
