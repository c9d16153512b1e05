#include "grid/errorcheck.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "grid/stockcheck.h"

#include <QHash>
#include <QSet>
#include <utility>

namespace {

constexpr qsizetype kPartsLookedUpByNumber = 500;

// Rows that share a key all carry the bit: the same outcome as comparing
// every pair, without the quadratic loop on tables of many thousand rows.
template <typename Key>
void markDuplicates(std::vector<unsigned>& words, const std::vector<Key>& keys, unsigned bit)
{
    QHash<Key, int> first;
    first.reserve(static_cast<qsizetype>(keys.size()));
    for (int r = 0; r < static_cast<int>(keys.size()); ++r) {
        const auto it = first.constFind(keys[r]);
        if (it == first.constEnd()) {
            first.insert(keys[r], r);
            continue;
        }
        words[*it] |= bit;
        words[r] |= bit;
    }
}

// How many rows of a one-column statement hold each value: the lookup of a
// row's value in another table reads that table once instead of once per row.
QHash<QString, int> countValues(const QString& sql)
{
    QueryResult values;
    headingsCaptured = 0;
    RunQuery(values, sql);
    QHash<QString, int> counts;
    counts.reserve(values.rowCount);
    for (int r = 0; r < values.rowCount; ++r)
        ++counts[values.cell(r, 0)];
    return counts;
}

// The single-row lookup answered "the matching values joined": a value is
// missing when that text would be shorter than two characters.
bool lookupFails(const QHash<QString, int>& counts, const QString& value)
{
    return counts.value(value) * value.size() < 2;
}

} // namespace

int CountDesignators(const QString& text)
{
    int count = 0;
    const QStringList pieces = text.split(QLatin1Char(','));
    for (const QString& piece : pieces) {
        const qsizetype dash = piece.indexOf(QLatin1Char('-'));
        if (dash < 0) {
            ++count;
            continue;
        }
        auto digits = [](QStringView part) {
            long long value = 0;
            for (QChar ch : part)
                if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
                    value = std::min<long long>(value * 10 + (ch.unicode() - '0'), 1000000000LL);
            return value;
        };
        const long long first = digits(QStringView(piece).left(dash));
        const long long second = digits(QStringView(piece).mid(dash + 1));
        count += static_cast<int>(std::llabs(second - first) + 1);
    }
    return count;
}

int CErrorCheck::findIndex(const QueryResult& result, const QString& key)
{
    const QString wanted = key.toUpper();
    QString heading;
    for (int c = 0; c < result.columnCount; ++c) {
        heading = result.headings[c].toUpper();
        if (heading.contains(wanted))
            return c;
    }
    ShowMessage(QStringLiteral("Find Index Error - CErrorCheck:") + QLatin1Char('/') + heading);
    return 0;
}

void CErrorCheck::checkAssyList(const QueryResult& result)
{
    const int ass = findIndex(result, QStringLiteral("Ass"));
    const int part = findIndex(result, QStringLiteral("Part"));
    const int item = findIndex(result, QStringLiteral("Item"));
    const int quan = findIndex(result, QStringLiteral("Quan"));
    const int ref = findIndex(result, QStringLiteral("Ref"));
    const int rows = result.rowCount;

    std::vector<std::pair<QString, QString>> assParts(rows), assItems(rows);
    for (int r = 0; r < rows; ++r) {
        assParts[r] = {result.cell(r, ass), result.cell(r, part)};
        assItems[r] = {result.cell(r, ass), result.cell(r, item)};
    }
    markDuplicates(m_words, assParts, kErrDuplicateParts);
    markDuplicates(m_words, assItems, kErrDuplicateItems);

    for (int r = 0; r < rows; ++r) {
        const QString& designators = result.cell(r, ref);
        if (designators.size() > 1 && CountDesignators(designators) != TextToInt(result.cell(r, quan)))
            m_words[r] |= kErrDesignators;
    }

    // One assembly's bill names a few parts: those are looked up by number
    // (the index answers at once); a whole table reads PartList once.
    QStringList named;
    {
        QSet<QString> seen;
        for (int r = 0; r < rows && named.size() <= kPartsLookedUpByNumber; ++r) {
            const QString& number = result.cell(r, part);
            if (!number.isEmpty() && !seen.contains(number)) {
                seen.insert(number);
                named << QLatin1Char('\'') + SqlEscape(number) + QLatin1Char('\'');
            }
        }
    }
    const QHash<QString, int> parts = countValues(
        named.size() <= kPartsLookedUpByNumber
            ? QStringLiteral("Select Part_nBr from PartList where Part_nBr in (") + named.join(QLatin1Char(','))
                  + QLatin1Char(')')
            : QStringLiteral("Select Part_nBr from PartList"));
    for (int r = 0; r < rows; ++r)
        if (lookupFails(parts, result.cell(r, part)))
            m_words[r] |= kErrNoPartRecord;

    for (int r = 0; r < rows; ++r)
        if (result.cell(r, part).isEmpty())
            m_words[r] = kErrMissingPart;
}

void CErrorCheck::checkPartList(const QueryResult& result)
{
    const int part = findIndex(result, QStringLiteral("Part"));
    const int make = findIndex(result, QStringLiteral("Make"));
    const int dist = findIndex(result, QStringLiteral("Dist"));
    const int manuf = findIndex(result, QStringLiteral("Manuf"));
    const int rows = result.rowCount;

    std::vector<QString> parts(rows);
    for (int r = 0; r < rows; ++r)
        parts[r] = result.cell(r, part);
    markDuplicates(m_words, parts, kErrDuplicateParts);

    for (int r = 0; r < rows; ++r)
        if (result.cell(r, make).contains(QLatin1Char('B')) && result.cell(r, dist).isEmpty()
            && result.cell(r, manuf).isEmpty())
            m_words[r] |= kErrNoSource;

    const QHash<QString, int> vendors = countValues(QStringLiteral("Select Vendor from VendList"));
    for (int r = 0; r < rows; ++r) {
        const QString& distributor = result.cell(r, dist);
        if (!distributor.isEmpty() && lookupFails(vendors, distributor))
            m_words[r] |= kErrNoVendorRecord;
    }
    MarkStockDisagreements(result, m_words);
}

void CErrorCheck::checkVendList(const QueryResult& result)
{
    const int vend = findIndex(result, QStringLiteral("Vend"));
    std::vector<QString> vendors(result.rowCount);
    for (int r = 0; r < result.rowCount; ++r)
        vendors[r] = result.cell(r, vend);
    markDuplicates(m_words, vendors, kErrDuplicateVendor);
}

void CErrorCheck::checkRescList(const QueryResult& result)
{
    const int ass = findIndex(result, QStringLiteral("Ass"));
    const int step = findIndex(result, QStringLiteral("Step"));
    std::vector<std::pair<QString, QString>> steps(result.rowCount);
    for (int r = 0; r < result.rowCount; ++r)
        steps[r] = {result.cell(r, ass), result.cell(r, step)};
    markDuplicates(m_words, steps, kErrDuplicateStep);
}

int CErrorCheck::Run(QueryResult& result, int table)
{
    m_words.assign(static_cast<size_t>(std::max(result.rowCount, 0)), 0u);
    // Without an "Err" column there is nothing to keep the word in; the id
    // column must never take its place.
    const int err = FindColumn(result, QStringLiteral("Err"));

    switch (table) {
    case AssyList: checkAssyList(result); break;
    case PartList: checkPartList(result); break;
    case VendList: checkVendList(result); break;
    case RescList: checkRescList(result); break;
    default: break;
    }
    if (err <= 0)
        return 0;

    const QString name = App().tables[table].name.isEmpty() ? TableSqlName(table) : App().tables[table].name;
    int written = 0;
    // One connection for all the write-backs of a load.
    Transaction transaction;
    for (int r = 0; r < result.rowCount; ++r) {
        const unsigned word = m_words[r];
        if (static_cast<unsigned>(TextToInt(result.cell(r, err))) == word)
            continue;
        const QString text = Format("%i", {word});
        result.setCell(r, err, text);
        QueryText(SqlFormat("Update %s Set Err = '%s' where id = '%s'", {name, text, result.cell(r, 0)}), false);
        ++written;
    }
    // A failed write leaves the stored word for the next load to correct.
    transaction.commit();
    return written;
}

QString CErrorCheck::SummaryText(unsigned word)
{
    if (word == 0)
        return Translate(QStringLiteral("No Errors Found"));
    static const std::pair<unsigned, const char*> texts[] = {
        {kErrDuplicateItems, "Duplicate Items"},
        {kErrDuplicateParts, "Duplicate Parts"},
        {kErrDuplicateVendor, "Duplicate Vendor"},
        {kErrDuplicateStep, "Duplicate Step"},
        {kErrNoPartRecord, "No Part Record"},
        {kErrNoVendorRecord, "No Vendor Record"},
        {kErrMissingPart, "Missing Part Number"},
        {kErrDesignators, "Reference Designator Not Equal to Quantity"},
        {kErrNoSource, "No Manufacturer or Distributor for 'Buy' Part"},
    };
    QString text;
    for (const auto& [bit, phrase] : texts)
        if (word & bit)
            text += Translate(QString::fromLatin1(phrase)) + QLatin1Char('\n');
    return text + StockFiguresText(word);
}

void CErrorCheck::Summary(unsigned word)
{
    ShowMessage(SummaryText(word), Translate(QStringLiteral("Record Status")), kButtonsOk);
}
