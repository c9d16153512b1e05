#include "partinfo/offers.h"

#include <QJsonArray>
#include <QSet>
#include <algorithm>

QJsonObject Offer::toJson() const
{
    QJsonArray breakList;
    for (const OfferBreak& b : breaks)
        breakList.append(QJsonArray{b.quantity, b.unitPrice});
    return QJsonObject{{QStringLiteral("provider"), provider},
                       {QStringLiteral("distributor"), distributor},
                       {QStringLiteral("orderCode"), orderCode},
                       {QStringLiteral("manufacturer"), manufacturer},
                       {QStringLiteral("mpn"), mpn},
                       {QStringLiteral("description"), description},
                       {QStringLiteral("stock"), double(stock)},
                       {QStringLiteral("stockText"), stockText},
                       {QStringLiteral("minimumOrder"), minimumOrder},
                       {QStringLiteral("multiple"), multiple},
                       {QStringLiteral("pack"), pack},
                       {QStringLiteral("leadDays"), leadDays},
                       {QStringLiteral("lifecycle"), lifecycle},
                       {QStringLiteral("currency"), currency},
                       {QStringLiteral("breaks"), breakList},
                       {QStringLiteral("datasheetUrl"), datasheetUrl},
                       {QStringLiteral("productUrl"), productUrl}};
}

Offer Offer::fromJson(const QJsonObject& o)
{
    Offer offer;
    offer.provider = o.value(QStringLiteral("provider")).toString();
    offer.distributor = o.value(QStringLiteral("distributor")).toString();
    offer.orderCode = o.value(QStringLiteral("orderCode")).toString();
    offer.manufacturer = o.value(QStringLiteral("manufacturer")).toString();
    offer.mpn = o.value(QStringLiteral("mpn")).toString();
    offer.description = o.value(QStringLiteral("description")).toString();
    offer.stock = static_cast<long long>(o.value(QStringLiteral("stock")).toDouble(-1));
    offer.stockText = o.value(QStringLiteral("stockText")).toString();
    offer.minimumOrder = o.value(QStringLiteral("minimumOrder")).toInt();
    offer.multiple = o.value(QStringLiteral("multiple")).toInt();
    offer.pack = o.value(QStringLiteral("pack")).toInt();
    offer.leadDays = o.value(QStringLiteral("leadDays")).toInt(-1);
    offer.lifecycle = o.value(QStringLiteral("lifecycle")).toString();
    offer.currency = o.value(QStringLiteral("currency")).toString();
    for (const QJsonValue& b : o.value(QStringLiteral("breaks")).toArray()) {
        const QJsonArray pair = b.toArray();
        offer.breaks.push_back({pair.at(0).toDouble(), pair.at(1).toDouble()});
    }
    offer.datasheetUrl = o.value(QStringLiteral("datasheetUrl")).toString();
    offer.productUrl = o.value(QStringLiteral("productUrl")).toString();
    return offer;
}

double ParsePriceText(const QString& text, const QString& currency)
{
    // The digits and separators of the first number in the text.
    QString number;
    bool started = false;
    for (const QChar c : text) {
        if (c.isDigit()) {
            number += c;
            started = true;
        } else if (c == QLatin1Char('.') || c == QLatin1Char(',')) {
            if (started)
                number += c;
        } else if (started && (c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F)
                               || c == QLatin1Char('\''))) {
            continue; // thousands written with a space or an apostrophe
        } else if (started) {
            break;
        }
    }
    while (!number.isEmpty() && !number.back().isDigit())
        number.chop(1);
    if (number.isEmpty())
        return -1;
    const int lastDot = number.lastIndexOf(QLatin1Char('.'));
    const int lastComma = number.lastIndexOf(QLatin1Char(','));
    QChar decimal;
    if (lastDot >= 0 && lastComma >= 0) {
        decimal = lastDot > lastComma ? QLatin1Char('.') : QLatin1Char(',');
    } else if (lastComma >= 0) {
        // The currencies whose distributors write "0,10".
        static const QSet<QString> commaCurrencies = {
            QStringLiteral("EUR"), QStringLiteral("SEK"), QStringLiteral("NOK"), QStringLiteral("DKK"),
            QStringLiteral("PLN"), QStringLiteral("CZK"), QStringLiteral("HUF"), QStringLiteral("RON"),
            QStringLiteral("BGN"), QStringLiteral("RUB"), QStringLiteral("BRL"), QStringLiteral("TRY"),
            QStringLiteral("UAH"), QStringLiteral("ISK"), QStringLiteral("ZAR"), QStringLiteral("IDR"),
            QStringLiteral("VND"), QStringLiteral("ARS"), QStringLiteral("CLP"), QStringLiteral("COP")};
        const bool several = number.count(QLatin1Char(',')) > 1;
        decimal = (!several && commaCurrencies.contains(currency.trimmed().toUpper())) ? QLatin1Char(',') : QChar();
    } else if (lastDot >= 0) {
        // "1.234.567" has only thousands; a single dot is a decimal point.
        decimal = number.count(QLatin1Char('.')) > 1 ? QChar() : QLatin1Char('.');
    }
    QString plain;
    for (const QChar c : number) {
        if (c.isDigit())
            plain += c;
        else if (c == decimal)
            plain += QLatin1Char('.');
    }
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok ? value : -1;
}

QString StockCodeText(long long level)
{
    switch (level) {
    case -1:
        return QStringLiteral("Non-stocked");
    case -2:
        return QStringLiteral("In stock");
    case -3:
        return QStringLiteral("Unknown");
    case -4:
        return QStringLiteral("RFQ");
    default:
        return level < 0 ? QStringLiteral("Unknown") : QString();
    }
}

void NormaliseBreaks(std::vector<OfferBreak>& breaks)
{
    breaks.erase(std::remove_if(breaks.begin(), breaks.end(),
                                [](const OfferBreak& b) { return b.quantity <= 0 || b.unitPrice < 0; }),
                 breaks.end());
    std::stable_sort(breaks.begin(), breaks.end(),
                     [](const OfferBreak& a, const OfferBreak& b) { return a.quantity < b.quantity; });
    breaks.erase(std::unique(breaks.begin(), breaks.end(),
                             [](const OfferBreak& a, const OfferBreak& b) { return a.quantity == b.quantity; }),
                 breaks.end());
}
