#include "sourcing/sourceplanner.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounds up to a whole number of steps; a hair's breadth over a step (from
// the loss allowance's arithmetic) does not buy a whole further step.
double roundUpTo(double quantity, double step)
{
    if (!(step > 0))
        return quantity;
    return std::ceil(quantity / step - 1e-9) * step;
}

// The least the source sells at or above `quantity`: the minimum, then the
// multiple, then whole packs. The pack never acts as a minimum of its own.
double sellable(const SourceRecord& source, double quantity)
{
    double q = std::max(quantity, source.minimum);
    q = roundUpTo(q, source.multiple);
    q = roundUpTo(q, source.pack > 0 ? source.pack : 1);
    return q;
}

} // namespace

double SourceQuantity(const SourceRecord& source, double need)
{
    double q = sellable(source, need);
    if (!source.breaks.empty() && q < source.breaks.front().quantity)
        q = sellable(source, source.breaks.front().quantity);
    return q;
}

double BreakPrice(const std::vector<PriceBreak>& breaks, double quantity)
{
    double price = breaks.empty() ? 0 : breaks.front().price;
    for (const PriceBreak& b : breaks)
        if (quantity + 1e-9 >= b.quantity)
            price = b.price;
    return price;
}

SourceQuote QuoteSource(const SourceRecord& source, double need, const CurrencyRates& rates)
{
    SourceQuote quote;
    quote.source = source;
    quote.quantity = SourceQuantity(source, need);
    quote.unitPrice = BreakPrice(source.breaks, quote.quantity);
    quote.total = quote.quantity * quote.unitPrice;
    // Each higher break is a candidate: buying up to it may cost less in all.
    for (const PriceBreak& b : source.breaks) {
        if (b.quantity <= quote.quantity)
            continue;
        const double q = sellable(source, b.quantity);
        const double price = BreakPrice(source.breaks, q);
        if (q * price < quote.total - 1e-9) {
            quote.quantity = q;
            quote.unitPrice = price;
            quote.total = q * price;
        }
    }
    const std::optional<double> rate = rates.toShop(source.currency);
    quote.rateMissing = !rate.has_value();
    quote.totalInShop = quote.total * rate.value_or(0);
    return quote;
}

SourceChoice ChooseSource(const std::vector<SourceRecord>& sources, double need, const CurrencyRates& rates)
{
    SourceChoice choice;
    std::vector<SourceQuote> quotes;
    for (const SourceRecord& source : sources) {
        SourceQuote quote = QuoteSource(source, need, rates);
        if (quote.rateMissing) {
            const QString problem = source.vendor + QStringLiteral(": ") + MissingRateText(source.currency);
            if (!choice.problems.contains(problem))
                choice.problems << problem;
            continue;
        }
        quotes.push_back(quote);
    }
    if (quotes.empty())
        return choice;
    std::stable_sort(quotes.begin(), quotes.end(), [](const SourceQuote& a, const SourceQuote& b) {
        // Totals a hundredth of a cent apart are the same money.
        if (std::fabs(a.totalInShop - b.totalInShop) > 1e-6)
            return a.totalInShop < b.totalInShop;
        if (a.source.leadDays != b.source.leadDays)
            return a.source.leadDays < b.source.leadDays;
        return a.source.vendor < b.source.vendor;
    });
    // The buyer's mark outranks the price; the runner-up is the best of the rest.
    const auto preferred = std::find_if(quotes.begin(), quotes.end(), [](const SourceQuote& q) { return q.source.preferred; });
    if (preferred != quotes.end())
        std::rotate(quotes.begin(), preferred, preferred + 1);
    choice.chosen = true;
    choice.best = quotes.front();
    if (quotes.size() > 1) {
        choice.hasRunnerUp = true;
        choice.runnerUp = quotes[1];
    }
    return choice;
}

QString QuoteText(const SourceQuote& quote)
{
    return quote.source.vendor + QLatin1Char(' ') + ExactNumberText(quote.quantity) + QStringLiteral(" × ")
           + ShownPrice(quote.unitPrice) + QStringLiteral(" = ") + ShownPrice(quote.total);
}
