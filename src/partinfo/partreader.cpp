#include "partinfo/partreader.h"

const std::array<const char*, kPartInfoFields> kPartInfoNames = {
    "Part", "Description", "Cost", "Manufacturer", "Website", "Picture", "Document"};
const std::array<const char*, kPartInfoFields> kPartInfoKeys = {
    "mpn", "short_description", "avg_price", "displayname", "homepage_url", "stuff", "stuff2"};

namespace {

QString applyValueRules(QString value, const QString& key)
{
    if (value.contains(QLatin1String("null")))
        return QString();
    if (key.contains(QLatin1String("url"))) {
        value = value.toLower();
        const qsizetype www = value.indexOf(QLatin1String("www."));
        if (www >= 0)
            value = value.mid(www);
    }
    return value;
}

// The amount of a price as the service sent it: four places after the point
// are enough for unit prices of small parts.
QString cutAmount(const QString& amountText)
{
    const QString amount = amountText.trimmed();
    const qsizetype dot = amount.indexOf(QLatin1Char('.'));
    // A whole amount stays whole: cutting "12345" to four characters would
    // show a price ten times too small.
    if (dot < 0)
        return amount;
    return amount.left(dot + 5);
}

} // namespace

QStringList ReadStringValues(const QString& text, const QString& key)
{
    QStringList values;
    qsizetype pos = text.indexOf(key);
    if (pos < 0)
        return values;
    qsizetype quote = text.indexOf(QLatin1Char('"'), pos + key.size());
    qsizetype previousEnd = -1;
    // Every pass collects a value, so stopping at the last row keeps the
    // reading linear in the answer, whatever the service sends.
    while (quote >= 0 && values.size() < kMaxPartMatches) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'), quote);
        if (colon < 0)
            break;
        QString value;
        qsizetype end = -1;
        if (colon + 2 < text.size() && text.at(colon + 2) == QLatin1Char('"')) {
            end = text.indexOf(QLatin1Char('"'), colon + 3);
            if (end < 0)
                break;
            value = text.mid(colon + 3, end - colon - 3);
        } else {
            end = text.indexOf(QLatin1Char(','), colon + 1);
            if (end < 0)
                break;
            value = text.mid(colon + 1, end - colon - 1);
        }
        values << applyValueRules(value, key);
        previousEnd = end;
        pos = text.indexOf(key, end + 2);
        if (pos < 0)
            break;
        quote = text.indexOf(QLatin1Char('"'), pos + key.size());
        if (quote <= previousEnd)
            break;
    }
    return values;
}

QStringList ReadPriceValues(const QString& text, const QString& key)
{
    QStringList values;
    qsizetype pos = text.indexOf(key);
    // Each pass collects a value and may search to the end of the answer (an
    // answer without quotes sends the currency search there every time), so
    // the passes stop at the last row.
    while (pos >= 0 && values.size() < kMaxPartMatches) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'), pos + key.size());
        if (colon < 0)
            break;
        qsizetype next = colon + 1;
        while (next < text.size() && text.at(next).isSpace())
            ++next;
        // A part without a price sends null; taking the next part's "[" would
        // shift every later price onto the wrong row.
        if (next >= text.size() || text.at(next) != QLatin1Char('[')) {
            values << QString();
            pos = text.indexOf(key, next);
            continue;
        }
        const qsizetype bracket = next;
        const qsizetype comma = text.indexOf(QLatin1Char(','), bracket);
        if (comma < 0)
            break;
        const QString amount = cutAmount(text.mid(bracket + 1, comma - bracket - 1));
        const qsizetype quote = text.indexOf(QLatin1Char('"'), bracket);
        const QString currency = quote >= 0 ? text.mid(quote + 1, 3) : QString();
        values << amount + currency;
        pos = text.indexOf(key, comma + 2);
    }
    return values;
}

QStringList ReadUidValues(const QString& text)
{
    static const QString key = QStringLiteral("uid");
    QStringList values;
    qsizetype pos = text.indexOf(key);
    while (pos >= 0 && values.size() < kMaxPartMatches) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'), pos + key.size());
        if (colon < 0)
            break;
        const qsizetype comma = text.indexOf(QLatin1Char(','), colon);
        if (comma < 0)
            break;
        QString digits;
        for (const QChar c : QStringView(text).mid(colon + 1, comma - colon - 1))
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                digits += c;
        values << digits;
        pos = text.indexOf(key, comma);
    }
    return values;
}

QString ReadSingleUrl(const QString& text, const QString& key)
{
    const qsizetype pos = text.indexOf(key);
    if (pos < 0)
        return QString();
    const qsizetype http = text.indexOf(QLatin1String("http"), pos + key.size());
    if (http < 0)
        return QString();
    const qsizetype quote = text.indexOf(QLatin1Char('"'), http);
    if (quote < 0)
        return QString();
    return text.mid(http, quote - http);
}

QStringList ReadKeyValues(const QString& text, const QString& key)
{
    if (key.contains(QLatin1String("price")))
        return ReadPriceValues(text, key);
    return ReadStringValues(text, key);
}

std::vector<PartMatch> ReadPartMatches(const QString& text)
{
    std::vector<PartMatch> rows;
    for (int field = 0; field < kPartInfoReadFields; ++field) {
        const QStringList values = ReadKeyValues(text, QString::fromLatin1(kPartInfoKeys[field]));
        if (field == 0)
            rows.resize(values.size());
        for (qsizetype j = 0; j < values.size() && j < qsizetype(rows.size()); ++j)
            rows[j].fields[field] = values[j];
    }
    const QStringList uids = ReadUidValues(text);
    for (qsizetype j = 0; j < uids.size() && j < qsizetype(rows.size()); ++j)
        rows[j].uid = uids[j];
    return rows;
}
