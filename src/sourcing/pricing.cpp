#include "sourcing/pricing.h"

#include "core/dictionary.h"
#include "core/utilities.h"
#include "db/parameters.h"

#include <QRegularExpression>
#include <QSettings>
#include <algorithm>
#include <cmath>

QString ShownPrice(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0.00");
    QString text = QString::number(value, 'f', 4);
    // Trailing zeros past the second decimal say nothing.
    while (text.endsWith(QLatin1Char('0')) && text.size() - text.indexOf(QLatin1Char('.')) > 3)
        text.chop(1);
    if (text == QLatin1String("-0.00"))
        text = QStringLiteral("0.00");
    return text;
}

bool ParseBreaks(const QString& text, std::vector<PriceBreak>* breaks, QString* error)
{
    static const QRegularExpression number(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    std::vector<PriceBreak> parsed;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList pair = item.trimmed().split(QLatin1Char(':'));
        const bool wellFormed = pair.size() == 2 && number.match(pair[0].trimmed()).hasMatch()
                                && number.match(pair[1].trimmed()).hasMatch();
        const double quantity = wellFormed ? TextToDouble(pair[0].trimmed()) : 0;
        if (!wellFormed || !(quantity > 0)) {
            if (error)
                *error = TranslateLabel(QStringLiteral("Not a price break (quantity:price):")) + QLatin1Char(' ') + item;
            return false;
        }
        parsed.push_back({quantity, TextToDouble(pair[1].trimmed())});
    }
    std::stable_sort(parsed.begin(), parsed.end(),
                     [](const PriceBreak& a, const PriceBreak& b) { return a.quantity < b.quantity; });
    if (breaks)
        *breaks = parsed;
    return true;
}

QString BreaksText(const std::vector<PriceBreak>& breaks)
{
    QStringList items;
    for (const PriceBreak& b : breaks)
        items << ExactNumberText(b.quantity) + QLatin1Char(':') + ExactNumberText(b.price);
    return items.join(QLatin1Char(','));
}

CurrencyRates::CurrencyRates(const QString& shopCurrency, QHash<QString, CurrencyRate> rates)
    : m_shop(shopCurrency.trimmed().toUpper()), m_rates(std::move(rates))
{
    // A shop that never chose its currency prices in the first one its
    // currency lists offer.
    if (m_shop.isEmpty())
        m_shop = QStringLiteral("USD");
}

CurrencyRates CurrencyRates::Load(bool* ok)
{
    return CurrencyRates(GetParam(ParamCurrency), LoadCurrencyRates(ok));
}

std::optional<double> CurrencyRates::toShop(const QString& currency) const
{
    const QString code = currency.trimmed().toUpper();
    if (code.isEmpty() || code == m_shop)
        return 1.0;
    const auto it = m_rates.constFind(code);
    if (it == m_rates.constEnd())
        return std::nullopt;
    return it->rate;
}

QString MissingRateText(const QString& currency)
{
    return Translate(QStringLiteral("no rate for")) + QLatin1Char(' ') + currency.trimmed().toUpper();
}

namespace {

QSettings profile()
{
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("KOLT"));
}

} // namespace

double DefaultRollupQuantity()
{
    const double builds = profile().value(QStringLiteral("HUX-KOLT/ROLLUPQUANTITY"), 1.0).toDouble();
    return builds > 0 ? builds : 1.0;
}

void SetDefaultRollupQuantity(double builds)
{
    QSettings settings = profile();
    settings.setValue(QStringLiteral("HUX-KOLT/ROLLUPQUANTITY"), builds > 0 ? builds : 1.0);
    settings.sync();
}
