#include "grid/errorcheck.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/bills.h"
#include "db/database.h"
#include "db/gridtables.h"
#include "db/parameters.h"
#include "db/sources.h"
#include "db/parts.h"
#include "db/stockledger.h"
#include "db/tablerecords.h"
#include "db/vendors.h"
#include "grid/gridrows.h"

#include <QHash>
#include <QSet>
#include <cmath>
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
QHash<QString, int> countValues(const QStringList& values)
{
    QHash<QString, int> counts;
    counts.reserve(values.size());
    for (const QString& value : values)
        ++counts[value];
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
    long long count = 0;
    const QStringList pieces = text.split(QLatin1Char(','));
    for (const QString& piece : pieces) {
        const qsizetype dash = piece.indexOf(QLatin1Char('-'));
        if (dash < 0) {
            ++count;
        } else {
            auto digits = [](QStringView part) {
                long long value = 0;
                for (QChar ch : part)
                    if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
                        value = std::min<long long>(value * 10 + (ch.unicode() - '0'), 1000000000LL);
                return value;
            };
            const long long first = digits(QStringView(piece).left(dash));
            const long long second = digits(QStringView(piece).mid(dash + 1));
            count += std::llabs(second - first) + 1;
        }
        // Bounded as it goes, so that no number of pieces can overflow it.
        count = std::min<long long>(count, kMaxDesignators);
    }
    return static_cast<int>(count);
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
        // The roll-up and the explosion read a quantity as a number: "abc"
        // would silently count as nothing.
        bool number = false;
        const double quantity = result.cell(r, quan).trimmed().toDouble(&number);
        if (!number || !std::isfinite(quantity))
            m_words[r] |= kErrQuantityNotNumber;
    }

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
                named << number;
            }
        }
    }
    const QHash<QString, int> parts =
        countValues(named.size() <= kPartsLookedUpByNumber ? PartNumbersAmong(named) : ReadPartNumbers());
    for (int r = 0; r < rows; ++r)
        if (lookupFails(parts, result.cell(r, part)))
            m_words[r] |= kErrNoPartRecord;

    // Obsolete parts are few: the whole set is read once.
    const QSet<QString> obsolete = ObsoleteParts();
    for (int r = 0; r < rows; ++r)
        if (obsolete.contains(result.cell(r, part)))
            m_words[r] |= kErrObsolete;

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

    for (int r = 0; r < rows; ++r) {
        if (result.cell(r, make).contains(QLatin1Char('B')) && result.cell(r, dist).isEmpty()
            && result.cell(r, manuf).isEmpty())
            m_words[r] |= kErrNoSource;
        // Neither bought nor made: purchasing and the roll-up skip the part.
        if (result.cell(r, make).trimmed().isEmpty())
            m_words[r] |= kErrNoMake;
    }

    const QHash<QString, int> vendors = countValues(ReadVendorNames());
    for (int r = 0; r < rows; ++r) {
        const QString& distributor = result.cell(r, dist);
        if (!distributor.isEmpty() && lookupFails(vendors, distributor))
            m_words[r] |= kErrNoVendorRecord;
    }
    // Allocated and On_Order are sums of the allocations and the open order
    // lines; a part whose stored figures differ is marked.
    if (!m_stockKnown)
        learnStockDisagreements();
    for (int r = 0; r < rows && !m_stockParts.isEmpty(); ++r)
        if (m_stockParts.contains(result.cell(r, part)))
            m_words[r] |= kErrStockFigures;
    // A missing rate is never taken as 1: purchasing cannot compare the price.
    for (int r = 0; r < rows && !m_rateParts.isEmpty(); ++r)
        if (m_rateParts.contains(result.cell(r, part)))
            m_words[r] |= kErrNoCurrencyRate;
}

void CErrorCheck::learnStockDisagreements()
{
    m_stockKnown = true;
    m_stockParts.clear();
    bool ok = false;
    // An unreadable ledger marks nothing; the read reported itself.
    for (const StockDisagreement& found : CheckStockFigures(&ok))
        m_stockParts.insert(found.part);
    m_rateParts.clear();
    for (const QString& part : PartsWithoutCurrencyRate(GetParam(ParamCurrency)))
        m_rateParts.insert(part);
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

QStringList CErrorCheck::RuleKeys(int table)
{
    switch (table) {
    case AssyList:
        return {QStringLiteral("Err"), QStringLiteral("Ass"), QStringLiteral("Part"), QStringLiteral("Item"),
                QStringLiteral("Quan"), QStringLiteral("Ref")};
    case PartList:
        return {QStringLiteral("Err"), QStringLiteral("Part"), QStringLiteral("Make"), QStringLiteral("Dist"),
                QStringLiteral("Manuf")};
    case VendList: return {QStringLiteral("Err"), QStringLiteral("Vend")};
    case RescList: return {QStringLiteral("Err"), QStringLiteral("Ass"), QStringLiteral("Step")};
    default: return {};
    }
}

bool CErrorCheck::RulesRead(int table, const QString& heading)
{
    QStringList keys = RuleKeys(table);
    if (table == PartList)
        keys << QStringLiteral("Stock") << QStringLiteral("Alloc") << QStringLiteral("Order")
             << QStringLiteral("Curr");
    const QString upper = heading.toUpper();
    for (const QString& key : keys)
        if (upper.contains(key.toUpper()))
            return true;
    return false;
}

int CErrorCheck::Check(int table, const QString& tableName, const QString& where, const SqlArgs& whereArgs)
{
    // Each key takes the first column of the table whose heading holds it,
    // as the rules would find it among all the columns; only those are read.
    const QStringList names = TableColumnNames(tableName);
    std::vector<bool> wanted(static_cast<size_t>(names.size()), false);
    QHash<QString, QString> columnOfKey;
    for (const QString& key : RuleKeys(table)) {
        const QString upper = key.toUpper();
        for (int c = 1; c < names.size(); ++c)
            if (ToHeading(names[c]).toUpper().contains(upper)) {
                wanted[static_cast<size_t>(c)] = true;
                columnOfKey.insert(key, QuotedName(names[c]));
                break;
            }
    }
    QStringList columns;
    for (int c = 1; c < names.size(); ++c)
        if (wanted[static_cast<size_t>(c)])
            columns << QuotedName(names[c]);
    if (table == PartList)
        learnStockDisagreements();
    const QString rows =
        where.isEmpty() ? ErrorCheckCandidates(table, tableName, columnOfKey, m_stockParts + m_rateParts) : where;
    QueryResult result = ReadTableColumns(tableName, columns, rows, where.isEmpty() ? SqlArgs() : whereArgs);
    if (result.columnCount == 0) {
        // No row delivered the headings: the rules still name their columns.
        result.columnCount = 1;
        result.headings[0] = QStringLiteral("Key");
        for (int c = 1; c < names.size() && result.columnCount < kMaxColumns; ++c)
            if (wanted[static_cast<size_t>(c)])
                result.headings[result.columnCount++] = ToHeading(names[c]);
    }
    return Run(result, table);
}

void CErrorCheck::Clear()
{
    m_words.clear();
    m_wordOfId.clear();
    m_bitRows.fill(0);
    m_faultyRows = 0;
    m_ran = false;
    m_writeFailed = false;
}

int CErrorCheck::Run(QueryResult& result, int table)
{
    Clear();
    // The ledger's verdict serves this run only; the next run asks anew.
    struct Forget
    {
        bool& known;
        ~Forget() { known = false; }
    } forget{m_stockKnown};
    m_ran = true;
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
    count(result);
    if (err <= 0)
        return 0;

    const QString name = App().tables[table].name.isEmpty() ? TableSqlName(table) : App().tables[table].name;
    int written = 0;
    // The rows that changed, by their new word: one statement per word.
    QHash<unsigned, QStringList> idsOfWord;
    for (int r = 0; r < result.rowCount; ++r) {
        const unsigned word = m_words[r];
        if (static_cast<unsigned>(TextToInt(result.cell(r, err))) == word)
            continue;
        result.setCell(r, err, Format("%i", {word}));
        idsOfWord[word] << result.cell(r, 0);
        ++written;
    }
    if (written == 0)
        return 0;
    Transaction transaction;
    WriteErrorWords(name, idsOfWord);
    // A failed write leaves the stored words for the next load to correct;
    // the caller may say so.
    m_writeFailed = !transaction.commit();
    return m_writeFailed ? -1 : written;
}

void CErrorCheck::count(const QueryResult& result)
{
    for (int r = 0; r < static_cast<int>(m_words.size()); ++r) {
        const unsigned word = m_words[static_cast<size_t>(r)];
        if (word == 0)
            continue;
        ++m_faultyRows;
        m_wordOfId.insert(result.cell(r, 0).toLongLong(), word);
        for (int bit = 0; bit < kErrBitCount; ++bit)
            if (word & (1u << bit))
                ++m_bitRows[static_cast<size_t>(bit)];
    }
}

int CErrorCheck::rowsWith(unsigned bit) const
{
    for (int b = 0; b < kErrBitCount; ++b)
        if (bit == (1u << b))
            return m_bitRows[static_cast<size_t>(b)];
    return 0;
}

namespace {

struct FaultTexts
{
    unsigned bit;
    const char* text;     // the word's own text, in the tooltip and the row's summary
    const char* one;      // in the check's summary line, after a count of 1
    const char* several;  // after any other count
};

// In the order the row's summary lists them.
const FaultTexts kFaults[] = {
    {kErrDuplicateItems, "Duplicate Items", "duplicate item number", "duplicate item numbers"},
    {kErrDuplicateParts, "Duplicate Parts", "duplicate part number", "duplicate part numbers"},
    {kErrDuplicateVendor, "Duplicate Vendor", "duplicate vendor", "duplicate vendors"},
    {kErrDuplicateStep, "Duplicate Step", "duplicate step", "duplicate steps"},
    {kErrNoPartRecord, "No Part Record", "part without a part record", "parts without a part record"},
    {kErrNoVendorRecord, "No Vendor Record", "distributor without a vendor record",
     "distributors without a vendor record"},
    {kErrMissingPart, "Missing Part Number", "missing part number", "missing part numbers"},
    {kErrDesignators, "Reference Designator Not Equal to Quantity", "designator count unequal to the quantity",
     "designator counts unequal to the quantity"},
    {kErrNoSource, "No Manufacturer or Distributor for 'Buy' Part", "buy part without manufacturer or distributor",
     "buy parts without manufacturer or distributor"},
    {kErrQuantityNotNumber, "Quantity Is Not a Number", "non-numeric quantity", "non-numeric quantities"},
    {kErrNoMake, "No Make or Buy Entry", "part without Make", "parts without Make"},
    {kErrStockFigures, "Stock Figures Disagree with Allocations and Purchase Orders",
     "part whose stock figures disagree", "parts whose stock figures disagree"},
    {kErrObsolete, "Obsolete Part", "obsolete part", "obsolete parts"},
    {kErrNoCurrencyRate, "No Currency Rate for the Price or Its Sources", "part priced without a currency rate",
     "parts priced without a currency rate"},
};

} // namespace

QString CErrorCheck::SummaryText(unsigned word)
{
    if (word == 0)
        return Translate(QStringLiteral("No Errors Found"));
    QString text;
    for (const FaultTexts& fault : kFaults)
        if (word & fault.bit)
            text += Translate(QString::fromLatin1(fault.text)) + QLatin1Char('\n');
    return text;
}

QString CErrorCheck::SummaryLine() const
{
    if (m_faultyRows == 0)
        return Translate(QStringLiteral("No Errors Found"));
    QStringList counts;
    for (const FaultTexts& fault : kFaults) {
        const int rows = rowsWith(fault.bit);
        if (rows > 0)
            counts << QString::number(rows) + QLatin1Char(' ')
                          + Translate(QString::fromLatin1(rows == 1 ? fault.one : fault.several));
    }
    return QString::number(m_faultyRows) + QLatin1Char(' ')
           + Translate(m_faultyRows == 1 ? QStringLiteral("row with faults") : QStringLiteral("rows with faults"))
           + QStringLiteral(": ") + counts.join(QStringLiteral(", "));
}

void CErrorCheck::Summary(unsigned word)
{
    ShowMessage(SummaryText(word), Translate(QStringLiteral("Record Status")), kButtonsOk);
}
