#include "interchange/pricelist.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/uppercase.h"
#include "db/database.h"
#include "interchange/importvalues.h"
#include "sourcing/pricing.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

enum class Column { None, Part, Mpn, OrderCode, Vendor, Manufacturer, Pack, Minimum, Multiple, Lead, Currency, Quantity, Price, Notes };

const char* roleName(Column role)
{
    switch (role) {
    case Column::Part: return "part";
    case Column::Mpn: return "manufacturer part number";
    case Column::OrderCode: return "order code";
    case Column::Vendor: return "vendor";
    case Column::Manufacturer: return "manufacturer";
    case Column::Pack: return "pack";
    case Column::Minimum: return "minimum order";
    case Column::Multiple: return "order multiple";
    case Column::Lead: return "lead time";
    case Column::Currency: return "currency";
    case Column::Quantity: return "break quantity";
    case Column::Price: return "price";
    case Column::Notes: return "notes";
    case Column::None: break;
    }
    return "";
}

bool has(const QString& heading, std::initializer_list<const char*> words)
{
    for (const char* word : words)
        if (heading.contains(QLatin1String(word)))
            return true;
    return false;
}

// A column's role by its heading, the most specific reading first: "Mfr
// Part #" before "Part #", "Min Order" before "Order Code".
Column roleOfHeading(const QString& text)
{
    const QString h = text.simplified().toLower();
    if (h.isEmpty())
        return Column::None;
    if (has(h, {"mpn", "mfr part", "mfg part", "manufacturer part", "mfr. part", "mfr #", "mfr no"}))
        return Column::Mpn;
    if (has(h, {"min", "moq"}))
        return Column::Minimum;
    if (has(h, {"multiple", "mult", "increment", "step"}))
        return Column::Multiple;
    if (has(h, {"pack", "reel", "spq"}))
        return Column::Pack;
    if (has(h, {"lead"}))
        return Column::Lead;
    if (has(h, {"currency", "curr"}))
        return Column::Currency;
    if (has(h, {"order code", "order no", "order #", "sku", "supplier part", "vendor part", "distributor part",
                "supplier #", "supplier pn", "vendor pn", "catalog", "stock no", "article", "artikel", "item code"}))
        return Column::OrderCode;
    if (has(h, {"price", "cost", "preis", "prix", "each"}))
        return Column::Price;
    if (has(h, {"qty", "quantity", "break", "menge", "from"}))
        return Column::Quantity;
    if (has(h, {"mouser", "digi-key", "digikey", "lcsc", "farnell", "newark", "reichelt"}))
        return Column::OrderCode;
    if (has(h, {"manufacturer", "mfr", "mfg", "maker", "brand", "hersteller"}))
        return Column::Manufacturer;
    if (has(h, {"vendor", "supplier", "distributor"}))
        return Column::Vendor;
    if (has(h, {"part", "p/n", "pn", "item"}))
        return Column::Part;
    if (has(h, {"note", "remark", "comment"}))
        return Column::Notes;
    return Column::None;
}

// The quantity a price heading names: "Price 100", "100+", "@1000", "1k".
double quantityOfHeading(const QString& heading)
{
    static const QRegularExpression number(QStringLiteral("(\\d+(?:[.,]\\d+)?)\\s*([kK])?"));
    const QRegularExpressionMatch m = number.match(heading);
    if (!m.hasMatch())
        return 0;
    double value = m.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    if (!m.captured(2).isEmpty())
        value *= 1000;
    return value;
}

bool readNumber(const QString& text, double* value)
{
    QString cleaned = text.trimmed();
    static const QRegularExpression money(QStringLiteral("[€$£¥]|\\b(EUR|USD|GBP|CHF|CNY|JPY)\\b"));
    cleaned.remove(money);
    cleaned = cleaned.trimmed();
    if (cleaned.isEmpty())
        return false;
    QString plain;
    return ReadLocaleQuantity(cleaned, value, &plain) && *value >= 0;
}

} // namespace

PriceListReading ReadPriceList(const ImportFile& file, const QString& vendor, const QString& currency)
{
    PriceListReading reading;
    // The heading row: the first of the opening rows with a part, a
    // manufacturer part number or an order code, and a price.
    int header = -1;
    std::vector<Column> roles;
    for (int i = 0; i < std::min(file.lineCount(), 40) && header < 0; ++i) {
        std::vector<Column> candidate;
        bool names = false, prices = false;
        for (const QString& cell : file.values(i)) {
            candidate.push_back(roleOfHeading(cell));
            names = names || candidate.back() == Column::Part || candidate.back() == Column::Mpn
                    || candidate.back() == Column::OrderCode;
            prices = prices || candidate.back() == Column::Price;
        }
        if (names && prices) {
            header = i;
            roles = candidate;
        }
    }
    if (header < 0) {
        reading.error = Translate(QStringLiteral("No heading row names a part or order code and a price."));
        return reading;
    }
    reading.headerLine = file.fileLine(header);
    const QStringList headings = file.values(header);
    // Break pairs: the n-th quantity column with the n-th price column;
    // prices without quantity columns are headed by theirs.
    std::vector<int> quantityColumns, priceColumns;
    for (int c = 0; c < static_cast<int>(roles.size()); ++c) {
        if (roles[static_cast<size_t>(c)] == Column::Quantity)
            quantityColumns.push_back(c);
        else if (roles[static_cast<size_t>(c)] == Column::Price)
            priceColumns.push_back(c);
        if (roles[static_cast<size_t>(c)] != Column::None)
            reading.columns << Format("\"%s\" -> %s", {headings.value(c).simplified(),
                                                        Translate(QLatin1String(roleName(roles[static_cast<size_t>(c)])))});
    }
    const bool pairs = !quantityColumns.empty() && quantityColumns.size() == priceColumns.size();
    const auto first = [&](Column role, const QStringList& cells) {
        for (size_t c = 0; c < roles.size(); ++c)
            if (roles[c] == role && !cells.value(static_cast<qsizetype>(c)).trimmed().isEmpty())
                return cells.value(static_cast<qsizetype>(c)).trimmed();
        return QString();
    };

    struct Row
    {
        QString part, mpn;
        SourceRecord source;
    };
    std::vector<Row> rows;
    QStringList partNames, mpns;
    for (int i = header + 1; i < file.lineCount(); ++i) {
        if (file.blank(i))
            continue;
        const QStringList cells = file.values(i);
        Row row;
        row.part = UpperCaseName(first(Column::Part, cells));
        row.mpn = first(Column::Mpn, cells);
        SourceRecord& s = row.source;
        s.orderCode = first(Column::OrderCode, cells);
        s.vendor = UpperCaseName(vendor.isEmpty() ? first(Column::Vendor, cells) : vendor);
        s.manufacturer = first(Column::Manufacturer, cells);
        s.mpn = row.mpn;
        s.notes = first(Column::Notes, cells);
        s.currency = (currency.isEmpty() ? first(Column::Currency, cells) : currency).toUpper();
        double number = 0;
        if (readNumber(first(Column::Pack, cells), &number) && number > 0)
            s.pack = number;
        if (readNumber(first(Column::Minimum, cells), &number))
            s.minimum = number;
        if (readNumber(first(Column::Multiple, cells), &number))
            s.multiple = number;
        if (readNumber(first(Column::Lead, cells), &number))
            s.leadDays = static_cast<int>(number);
        for (size_t k = 0; k < priceColumns.size(); ++k) {
            double price = 0, quantity = 0;
            if (!readNumber(cells.value(priceColumns[k]), &price))
                continue;
            if (pairs) {
                if (!readNumber(cells.value(quantityColumns[k]), &quantity))
                    continue;
            } else {
                quantity = priceColumns.size() == 1 ? 1 : quantityOfHeading(headings.value(priceColumns[k]));
            }
            s.breaks.push_back({std::max(quantity, 1.0), price});
        }
        std::sort(s.breaks.begin(), s.breaks.end(), [](const PriceBreak& a, const PriceBreak& b) { return a.quantity < b.quantity; });
        if (row.part.isEmpty() && row.mpn.isEmpty())
            continue; // a section heading or a footer
        if (s.orderCode.isEmpty())
            s.orderCode = row.mpn.isEmpty() ? row.part : row.mpn;
        if (!row.part.isEmpty())
            partNames << row.part;
        else
            mpns << row.mpn;
        rows.push_back(std::move(row));
    }
    if (rows.empty()) {
        reading.error = Translate(QStringLiteral("The price list has no rows under its headings."));
        return reading;
    }
    bool ok = true, okMpn = true;
    const QStringList known = KnownParts(partNames, &ok);
    const QHash<QString, QString> byMpn = PartsOfMfrParts(mpns, &okMpn);
    if (!ok || !okMpn) {
        reading.error = LastErrorText();
        return reading;
    }
    for (Row& row : rows) {
        const QString part = !row.part.isEmpty() ? (known.contains(row.part) ? row.part : QString())
                                                 : byMpn.value(row.mpn);
        if (part.isEmpty()) {
            const QString name = row.part.isEmpty() ? row.mpn : row.part;
            if (!reading.unknownParts.contains(name))
                reading.unknownParts << name;
            continue;
        }
        row.source.part = part;
        if (row.source.vendor.isEmpty()) {
            reading.error = Translate(QStringLiteral("No vendor: give --vendor or a vendor column."));
            return reading;
        }
        reading.sources.push_back(std::move(row.source));
    }
    return reading;
}

QString PriceListSummaryText(const PriceListReading& reading)
{
    QStringList out;
    out << Format("%s %i", {TranslateLabel(QStringLiteral("Header line:")), reading.headerLine});
    out << TranslateLabel(QStringLiteral("Columns:"));
    for (const QString& column : reading.columns)
        out << QStringLiteral("  ") + column;
    int breaks = 0;
    for (const SourceRecord& s : reading.sources)
        breaks += static_cast<int>(s.breaks.size());
    out << Format("%s %i, %s %i", {TranslateLabel(QStringLiteral("Sources:")), static_cast<int>(reading.sources.size()),
                                   TranslateLabel(QStringLiteral("price breaks:")), breaks});
    for (size_t i = 0; i < reading.sources.size() && i < 8; ++i) {
        const SourceRecord& s = reading.sources[i];
        out << Format("  %s | %s | %s | %s | %s", {s.part, s.vendor, s.orderCode, s.currency, BreaksText(s.breaks)});
    }
    if (!reading.unknownParts.isEmpty())
        out << Format("%s %s", {TranslateLabel(QStringLiteral("Unknown parts, not imported:")),
                                reading.unknownParts.join(QStringLiteral(", "))});
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
