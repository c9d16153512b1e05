#include "db/sources.h"

#include "core/appstate.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Runs `statement` (holding one %1 for the quoted names) over the names in
// batches, so that the statement count follows the batches, not the parts.
bool forNames(const QStringList& names, const QString& statement, const std::function<void(const QueryResult&)>& take)
{
    bool ok = true;
    if (names.isEmpty()) {
        const QueryResult rows = Query(QString(statement).replace(QStringLiteral(" where Part_nBr in (%1)"), QString()));
        ok = LastResultCode() == 0;
        take(rows);
        return ok;
    }
    QStringList batch;
    auto flush = [&] {
        SqlArgs args;
        AppendArgs(args, batch);
        const QueryResult rows = QueryBound(statement.arg(Placeholders(static_cast<int>(batch.size()))), args);
        ok = ok && LastResultCode() == 0;
        take(rows);
        batch.clear();
    };
    for (const QString& name : names) {
        batch << name;
        // Thousands of names a statement (within either database's limit on
        // bound values): the whole bill of a large product is a statement or
        // two, and no read holds more than a slice of the table at once.
        if (batch.size() == 10000)
            flush();
    }
    if (!batch.isEmpty())
        flush();
    return ok;
}

bool isYes(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    return t == QLatin1String("YES") || t == QLatin1String("Y") || t == QLatin1String("1") || t == QLatin1String("TRUE")
           || t == QLatin1String("PREFERRED");
}

// A column of a whole-record read, whether the result names it as the
// column ("Min_Stock") or as its heading ("Min Stock").
int columnOf(const QueryResult& rows, const QString& column)
{
    const int heading = FindColumn(rows, ToHeading(column));
    return heading >= 0 ? heading : FindColumn(rows, column);
}

QString sourceKey(const QString& part, const QString& vendor, const QString& orderCode)
{
    return part + QChar(0x1f) + vendor + QChar(0x1f) + orderCode;
}

// A source as its SrcList record, in the definition's order.
QStringList sourceRow(const SourceRecord& s, const QString& user, const QString& stamp)
{
    const TableDefinition& definition = App().tables[SrcList];
    QStringList values;
    for (int i = 0; i < definition.fieldCount; ++i) {
        const QString column = ToColumnName(definition.headings[i]);
        QString value;
        if (column == QLatin1String("Part_nBr"))
            value = s.part;
        else if (column == QLatin1String("Vendor"))
            value = s.vendor;
        else if (column == QLatin1String("Order_Code"))
            value = s.orderCode;
        else if (column == QLatin1String("Manufacturer"))
            value = s.manufacturer;
        else if (column == QLatin1String("Mfr_Part_nBr"))
            value = s.mpn;
        else if (column == QLatin1String("Pack"))
            value = PlainNumber(s.pack);
        else if (column == QLatin1String("Min_Order"))
            value = s.minimum > 0 ? PlainNumber(s.minimum) : QString();
        else if (column == QLatin1String("Multiple"))
            value = s.multiple > 0 ? PlainNumber(s.multiple) : QString();
        else if (column == QLatin1String("Lead_Days"))
            value = s.leadDays > 0 ? QString::number(s.leadDays) : QString();
        else if (column == QLatin1String("Currency"))
            value = s.currency;
        else if (column == QLatin1String("Preferred"))
            value = s.preferred ? QStringLiteral("Yes") : QString();
        else if (column == QLatin1String("Notes"))
            value = s.notes;
        else if (column == QLatin1String("User"))
            value = user;
        else if (column == QLatin1String("Time_Stamp"))
            value = stamp;
        else if (column == QLatin1String("Vendor_Stock"))
            value = s.vendorStock >= 0 ? PlainNumber(s.vendorStock) : QString();
        else if (column == QLatin1String("Stock_Date"))
            value = s.stockDate;
        values << value;
    }
    return values;
}

} // namespace

QString ExactPriceText(double value)
{
    QString text = ExactNumberText(value);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        return text + QStringLiteral(".00");
    while (text.size() - point < 3)
        text += QLatin1Char('0');
    return text;
}

QString ExactNumberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'f', 10);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QHash<QString, std::vector<SourceRecord>> LoadSources(const QStringList& parts, bool* ok)
{
    QHash<QString, std::vector<SourceRecord>> sources;
    QHash<QString, SourceRecord*> byKey;
    bool read = forNames(parts,
                         QStringLiteral("Select Part_nBr,Vendor,Order_Code,Manufacturer,Mfr_Part_nBr,Pack,Min_Order,"
                                        "Multiple,Lead_Days,Currency,Preferred,Notes,Vendor_Stock,Stock_Date from SrcList "
                                        "where Part_nBr in (%1) order by id"),
                         [&](const QueryResult& rows) {
                             for (int r = 0; r < rows.rowCount; ++r) {
                                 SourceRecord s;
                                 s.part = rows.cell(r, 0);
                                 s.vendor = rows.cell(r, 1);
                                 s.orderCode = rows.cell(r, 2);
                                 s.manufacturer = rows.cell(r, 3);
                                 s.mpn = rows.cell(r, 4);
                                 s.pack = TextToDouble(rows.cell(r, 5));
                                 if (!(s.pack > 0))
                                     s.pack = 1;
                                 s.minimum = std::max(0.0, TextToDouble(rows.cell(r, 6)));
                                 s.multiple = std::max(0.0, TextToDouble(rows.cell(r, 7)));
                                 s.leadDays = TextToInt(rows.cell(r, 8));
                                 s.currency = rows.cell(r, 9).trimmed().toUpper();
                                 s.preferred = isYes(rows.cell(r, 10));
                                 s.notes = rows.cell(r, 11);
                                 const QString stock = rows.cell(r, 12).trimmed();
                                 s.vendorStock = stock.isEmpty() ? -1 : TextToDouble(stock);
                                 s.stockDate = rows.cell(r, 13);
                                 sources[s.part].push_back(s);
                             }
                         });
    // The vectors are complete: pointers into them stay put from here on.
    for (auto it = sources.begin(); it != sources.end(); ++it)
        for (SourceRecord& s : it.value())
            byKey.insert(sourceKey(s.part, s.vendor, s.orderCode), &s);
    read = forNames(parts,
                    QStringLiteral("Select Part_nBr,Vendor,Order_Code,Quantity,Price from BrkList "
                                   "where Part_nBr in (%1) order by id"),
                    [&](const QueryResult& rows) {
                        for (int r = 0; r < rows.rowCount; ++r) {
                            SourceRecord* s = byKey.value(sourceKey(rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2)));
                            if (!s)
                                continue; // a break of no source prices nothing
                            s->breaks.push_back({TextToDouble(rows.cell(r, 3)), TextToDouble(rows.cell(r, 4))});
                        }
                    })
           && read;
    for (SourceRecord* s : std::as_const(byKey))
        std::stable_sort(s->breaks.begin(), s->breaks.end(),
                         [](const PriceBreak& a, const PriceBreak& b) { return a.quantity < b.quantity; });
    if (ok)
        *ok = read;
    return sources;
}

bool SaveSource(const SourceRecord& source)
{
    return SaveSources({source});
}

bool SaveSources(const std::vector<SourceRecord>& sources)
{
    if (sources.empty())
        return true;
    Transaction transaction;
    bool done = true;
    const QString stamp = TimestampText();
    const QString user = CurrentUserName();
    // The sources replaced, named by their keys a batch at a time: the
    // statements follow the batches, not the sources.
    QStringList keys;
    SqlArgs keyValues;
    auto flush = [&] {
        const QString where = QStringLiteral(" where ") + keys.join(QStringLiteral(" or "));
        done = ExecuteBound(QStringLiteral("Delete from SrcList") + where, keyValues) && done;
        done = ExecuteBound(QStringLiteral("Delete from BrkList") + where, keyValues) && done;
        keys.clear();
        keyValues.clear();
    };
    std::vector<QStringList> rows;
    std::vector<QStringList> breaks;
    for (const SourceRecord& source : sources) {
        keys << QStringLiteral("(Part_nBr = ? and Vendor = ? and Order_Code = ?)");
        keyValues.insert(keyValues.end(), {source.part, source.vendor, source.orderCode});
        if (keys.size() == 200)
            flush();
        rows.push_back(sourceRow(source, user, stamp));
        for (const PriceBreak& b : source.breaks)
            breaks.push_back({source.part, source.vendor, source.orderCode, PlainNumber(b.quantity),
                              ExactNumberText(b.price), user, stamp});
    }
    if (!keys.isEmpty())
        flush();
    InsertRows(rows, SrcList);
    done = done && LastResultCode() == 0;
    if (!breaks.empty()) {
        InsertRows(breaks, BrkList);
        done = done && LastResultCode() == 0;
    }
    if (!done)
        transaction.fail();
    return transaction.commit();
}

QHash<QString, CurrencyRate> LoadCurrencyRates(bool* ok)
{
    QHash<QString, CurrencyRate> rates;
    const QueryResult rows = Query(QStringLiteral("Select Currency,Rate,Date from RateList order by id"));
    if (ok)
        *ok = LastResultCode() == 0;
    for (int r = 0; r < rows.rowCount; ++r) {
        const double rate = TextToDouble(rows.cell(r, 1));
        // A rate of 0 converts nothing: it counts as missing.
        if (rate > 0)
            rates.insert(rows.cell(r, 0).trimmed().toUpper(), {rate, rows.cell(r, 2)});
    }
    return rates;
}

bool SaveCurrencyRate(const QString& currency, double rate)
{
    Transaction transaction;
    const QString code = currency.trimmed().toUpper();
    bool done = ExecuteBound(QStringLiteral("Delete from RateList where Currency = ?"), {code});
    const QString stamp = TimestampText();
    InsertRows({{code, ExactNumberText(rate), stamp.left(10), CurrentUserName(), stamp}}, RateList);
    done = done && LastResultCode() == 0;
    if (!done)
        transaction.fail();
    return transaction.commit();
}

QHash<QString, PartPurchaseFacts> LoadPartPurchaseFacts(const QStringList& parts, bool* ok)
{
    QHash<QString, PartPurchaseFacts> facts;
    if (parts.isEmpty()) {
        if (ok)
            *ok = true;
        return facts;
    }
    // Whole records: a shop whose part table lacks a column reads it as empty.
    const bool read = forNames(parts, QStringLiteral("Select * from PartList where Part_nBr in (%1)"),
                               [&](const QueryResult& rows) {
                                   const int part = columnOf(rows, QStringLiteral("Part_nBr"));
                                   const int code = columnOf(rows, QStringLiteral("Order_Code"));
                                   const int minimum = columnOf(rows, QStringLiteral("Min_Stock"));
                                   for (int r = 0; part >= 0 && r < rows.rowCount; ++r)
                                       facts.insert(rows.cell(r, part),
                                                    {code < 0 ? QString() : rows.cell(r, code),
                                                     minimum < 0 ? 0.0 : TextToDouble(rows.cell(r, minimum))});
                               });
    if (ok)
        *ok = read;
    return facts;
}

QStringList PartsWithoutCurrencyRate(const QString& shopCurrency, bool* ok)
{
    QString shop = shopCurrency.trimmed().toUpper();
    if (shop.isEmpty())
        shop = QStringLiteral("USD");
    // Codes are compared in upper case; the rates are few, the parts many.
    const QueryResult rows = QueryBound(
        QStringLiteral("Select Part_nBr from PartList where upper(trim(coalesce(Currency,''))) not in ('', ?) "
                       "and upper(trim(Currency)) not in (select upper(trim(Currency)) from RateList where Rate <> '' "
                       "and Currency is not null) "
                       "union Select Part_nBr from SrcList where upper(trim(coalesce(Currency,''))) not in ('', ?) "
                       "and upper(trim(Currency)) not in (select upper(trim(Currency)) from RateList where Rate <> '' "
                       "and Currency is not null)"),
        {shop, shop});
    if (ok)
        *ok = LastResultCode() == 0;
    QStringList parts;
    for (int r = 0; r < rows.rowCount; ++r)
        parts << rows.cell(r, 0);
    return parts;
}

QStringList KnownParts(const QStringList& parts, bool* ok)
{
    QStringList known;
    const bool read = parts.isEmpty() || forNames(parts, QStringLiteral("Select Part_nBr from PartList where Part_nBr in (%1)"),
                                                  [&known](const QueryResult& rows) {
                                                      for (int r = 0; r < rows.rowCount; ++r)
                                                          known << rows.cell(r, 0);
                                                  });
    if (ok)
        *ok = read;
    return known;
}

QHash<QString, QString> PartsOfMfrParts(const QStringList& mfrParts, bool* ok)
{
    QHash<QString, QString> parts;
    bool read = true;
    QStringList batch;
    const auto flush = [&] {
        SqlArgs args;
        AppendArgs(args, batch);
        const QueryResult rows =
            QueryBound(QStringLiteral("Select Mfr_Part_nBr, Part_nBr from PartList where Mfr_Part_nBr in (")
                           + Placeholders(static_cast<int>(batch.size())) + QStringLiteral(") order by Part_nBr"),
                       args);
        read = read && LastResultCode() == 0;
        for (int r = 0; r < rows.rowCount; ++r)
            if (!parts.contains(rows.cell(r, 0)))
                parts.insert(rows.cell(r, 0), rows.cell(r, 1));
        batch.clear();
    };
    for (const QString& name : mfrParts) {
        batch << name;
        if (batch.size() == 500)
            flush();
    }
    if (!batch.isEmpty())
        flush();
    if (ok)
        *ok = read;
    return parts;
}
