#include "interchange/importheader.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "interchange/importcells.h"
#include "interchange/importlines.h"
#include "interchange/importvalues.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QVariant>

#include <algorithm>
#include <array>

namespace {

// The header is looked for among the first records only: a title block is a
// few lines long, and a large file is not read twice for it.
constexpr int kHeaderSearchRecords = 256;
// Rows whose content confirms or corrects the mapping.
constexpr size_t kContentSample = 200;

// Counts the keyword hits of many lines against one mapping: each position of
// a line is compared only with the keywords that begin with its character, so
// a line costs one pass instead of one search per keyword.
class KeywordCounter
{
public:
    KeywordCounter(const ImportMapping& mapping, QChar delimiter)
    {
        for (const ImportTarget& line : mapping.lines)
            for (const QString& keyword : line.keywords) {
                const int k = static_cast<int>(m_keywords.size());
                m_keywords.push_back(keyword);
                m_lineEnds = m_lineEnds || keyword.contains(QLatin1Char('\n'));
                m_splitters = m_splitters || keyword.contains(delimiter) || keyword.contains(QLatin1Char('"'));
                if (keyword.isEmpty())
                    m_empty.push_back(k);
                else if (keyword[0].unicode() < kAscii)
                    m_ascii[keyword[0].unicode()].push_back(k);
                else
                    m_other[keyword[0].unicode()].push_back(k);
            }
        m_seen.resize(m_keywords.size(), 0);
        m_delimiter = delimiter;
    }

    int hits(const QStringList& values)
    {
        // No value holds a line end, so a keyword is inside one of the values
        // exactly when it is inside their line-end-joined text; unless a
        // keyword holds one itself, the values are searched one by one.
        nextRound();
        int count = 0;
        if (m_lineEnds || !m_empty.empty()) {
            const QString joined = values.join(QLatin1Char('\n'));
            for (int k : m_empty)
                count += joined.contains(m_keywords[static_cast<size_t>(k)]) ? 1 : 0;
            if (m_lineEnds)
                return count + search(joined);
        }
        for (const QString& value : values)
            count += search(value);
        return count;
    }

    // The hits of a line without quotes and with fewer delimiters than the
    // value limit, without splitting it: its values are exactly the pieces
    // between its delimiters, so a keyword without delimiters, quotes and line
    // ends lies in one of them exactly when it lies in the line. Sets *values
    // to their number; false when the line must be split after all.
    bool hitsOfPlainLine(QStringView line, int* hits, qsizetype* values)
    {
        if (m_lineEnds || m_splitters || line.contains(QLatin1Char('"')))
            return false;
        const qsizetype delimiters = line.count(m_delimiter);
        if (delimiters >= kMaxImportValues)
            return false;
        nextRound();
        *values = delimiters + 1;
        *hits = static_cast<int>(m_empty.size()) + search(line);
        return true;
    }

private:
    void nextRound()
    {
        if (++m_round == 0) {
            std::fill(m_seen.begin(), m_seen.end(), 0);
            m_round = 1;
        }
    }

    // Hits of keywords not yet seen in this round that text contains.
    int search(QStringView text)
    {
        int count = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = text[i].unicode();
            const std::vector<int>* candidates;
            if (c < kAscii) {
                candidates = &m_ascii[c];
            } else {
                const auto found = m_other.constFind(c);
                if (found == m_other.constEnd())
                    continue;
                candidates = &*found;
            }
            for (int k : *candidates) {
                if (m_seen[static_cast<size_t>(k)] == m_round)
                    continue;
                const QString& keyword = m_keywords[static_cast<size_t>(k)];
                if (keyword.size() <= n - i && std::equal(keyword.cbegin(), keyword.cend(), text.cbegin() + i)) {
                    m_seen[static_cast<size_t>(k)] = m_round;
                    ++count;
                }
            }
        }
        return count;
    }

    static constexpr char16_t kAscii = 128;
    std::vector<QString> m_keywords;
    std::array<std::vector<int>, kAscii> m_ascii;
    QHash<char16_t, std::vector<int>> m_other;
    std::vector<int> m_empty;
    QChar m_delimiter;
    bool m_lineEnds = false;  // a keyword holds a line end
    bool m_splitters = false; // a keyword holds a delimiter or a quote
    std::vector<unsigned> m_seen; // == m_round: found in the current line
    unsigned m_round = 0;
};

// What one column holds, over the sampled rows.
struct ColumnContent
{
    int filled = 0;      // cells that hold something
    int designators = 0; // designator lists
    int groups = 0;      // lists of two or more
    int numbers = 0;
    int codes = 0;       // one word of letters and digits
    int web = 0;
    int dnp = 0;
    int texts = 0;       // three words or more
    int names = 0;       // words without digits, as manufacturers are named
    int amounts = 0;     // numbers with or without a currency
    int values = 0;      // component values: 10k, 100nF, 4u7
    int supplierCodes = 0; // order numbers of a supplier: C12345, 296-38557-1-ND, 595-...
    int footprints = 0;  // footprint names: R_0402_1005Metric, SOT-23, my_0805
    int placeholders = 0;
    QSet<QString> distinct;
    QSet<QString> all;   // every text, for how much the column tells rows apart
};

// The order numbers of the suppliers a bill names: LCSC "C12345", Digi-Key
// "296-38557-1-ND", Mouser "595-TPS61023DRLR", Farnell "2322166", RS
// "123-4567". Checked against a whole column, never one cell alone.
bool isSupplierCode(QStringView v)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(C\\d{3,9}|[0-9A-Z][0-9A-Z./+-]*-ND|\\d{2,3}-[0-9A-Z][0-9A-Z./+-]{2,}|\\d{6,8}|\\d{3}-\\d{3,4})$"));
    return v.size() >= 4 && v.size() <= 40 && pattern.match(v).hasMatch();
}

// A footprint or package name as CAD libraries write them.
bool isFootprint(QStringView v)
{
    static const QRegularExpression pattern(QStringLiteral(
        "(^|[_:\\-\\s])(0201|0402|0603|0805|1206|1210|2010|2512|SOT|SOD|SOIC|SOP|SSOP|TSSOP|MSOP|QFN|DFN|QFP|LQFP|TQFP|BGA|"
        "DIP|TO-?\\d|SMA|SMB|SMC|DO-?\\d|LGA|WLCSP|PinHeader|PinSocket|CP_|C_|R_|L_|D_|LED_)"),
        QRegularExpression::CaseInsensitiveOption);
    return !v.contains(QLatin1Char(' ')) && pattern.match(v).hasMatch();
}

bool isCode(QStringView v)
{
    if (v.size() < 4)
        return false;
    bool letter = false, digit = false;
    for (const QChar c : v) {
        if (c.isSpace())
            return false;
        letter = letter || c.isLetter();
        digit = digit || c.isDigit();
    }
    return letter && digit;
}

bool isName(QStringView v)
{
    if (v.size() < 3 || v.count(QLatin1Char(' ')) > 2)
        return false;
    for (const QChar c : v)
        if (c.isDigit())
            return false;
    return true;
}

// 0.10, 3.32€, $1.95, 1,25 EUR: digits with a point or comma, and a
// currency sign or code before or after them.
bool isAmount(QStringView v)
{
    const auto isCurrency = [](QChar c) {
        return c == QLatin1Char('$') || c.unicode() == 0x20AC || c.unicode() == 0xA3 || c.unicode() == 0xA5;
    };
    const auto isCode = [](QStringView t) {
        return t.size() == 3 && std::all_of(t.begin(), t.end(), [](QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); });
    };
    QStringView t = v.trimmed();
    if (!t.isEmpty() && isCurrency(t.front()))
        t = t.mid(1).trimmed();
    else if (t.size() > 3 && isCode(t.left(3)))
        t = t.mid(3).trimmed();
    if (!t.isEmpty() && isCurrency(t.back()))
        t = t.chopped(1).trimmed();
    else if (t.size() > 3 && isCode(t.right(3)))
        t = t.chopped(3).trimmed();
    qsizetype i = 0;
    while (i < t.size() && t[i].isDigit())
        ++i;
    if (i == 0)
        return false;
    if (i < t.size() && (t[i] == QLatin1Char('.') || t[i] == QLatin1Char(','))) {
        const qsizetype point = ++i;
        while (i < t.size() && t[i].isDigit())
            ++i;
        if (i == point)
            return false;
    }
    return i == t.size();
}

// "Field3", "Column 2", "12" or nothing: a name that says nothing of the data.
bool isGenericName(const QString& name)
{
    static const QRegularExpression generic(QStringLiteral("^((field|column|col)\\s*)?\\d*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return generic.match(name.trimmed()).hasMatch();
}

void addNote(ImportHeader& header, const char* text, std::initializer_list<FormatValue> args)
{
    header.notes << Format(qPrintable(Translate(QLatin1String(text))), args);
}

class ContentCheck
{
public:
    ContentCheck(const ImportFile& file, const ImportMapping& mapping, ImportHeader& header)
        : m_file(file), m_mapping(mapping), m_header(header)
    {
        for (const ImportTarget& line : mapping.lines)
            m_roles.push_back(RoleOfTarget(line.target));
    }

    void run()
    {
        sample();
        const int width = static_cast<int>(std::max<size_t>(m_content.size(), static_cast<size_t>(m_header.fields.size())));
        while (m_header.fields.size() < width)
            m_header.fields << QString();
        m_content.resize(static_cast<size_t>(width));
        shiftNames();
        m_header.targets.clear();
        for (const QString& field : m_header.fields)
            m_header.targets.push_back(MatchImportTarget(m_mapping, field));
        while (m_header.reasons.size() < width)
            m_header.reasons << QString();
        if (m_rows.empty())
            return;
        checkDesignators();
        checkQuantity();
        checkPrices();
        recogniseGenericColumns();
        recogniseSupplierCodes();
        recogniseFootprints();
        recogniseValues();
    }

private:
    int columnOf(int role) const
    {
        for (size_t c = 0; c < m_header.targets.size(); ++c)
            if (roleOf(static_cast<int>(c)) == role)
                return static_cast<int>(c);
        return -1;
    }

    int roleOf(int column) const
    {
        const int line = m_header.targets[static_cast<size_t>(column)];
        return line < 0 ? RoleNone : m_roles[static_cast<size_t>(line)];
    }

    QString targetOf(int column) const
    {
        const int line = m_header.targets[static_cast<size_t>(column)];
        return line < 0 ? Translate(QStringLiteral("Not Used"))
                        : Translate(m_mapping.lines[static_cast<size_t>(line)].target);
    }

    void assign(int column, int line, const QString& reason)
    {
        m_header.targets[static_cast<size_t>(column)] = line;
        m_header.reasons[column] = reason;
    }

    void sample()
    {
        const std::vector<int> records = LocateImportData(m_file, m_header.line, -1, nullptr, kContentSample);
        ImportCells cells;
        for (size_t i = 0; i < records.size() && i < kContentSample; ++i) {
            SplitImportCells(m_file.lineView(records[i]), m_file.delimiter(), cells);
            QStringList row;
            for (size_t c = 0; c < cells.size(); ++c) {
                const QStringView v = CleanCell(cells.cells[c]);
                row << v.toString();
                if (v.isEmpty())
                    continue;
                if (m_content.size() <= c)
                    m_content.resize(c + 1);
                ColumnContent& content = m_content[c];
                ++content.filled;
                if (IsDoNotPopulate(v)) {
                    ++content.dnp;
                    continue;
                }
                const DesignatorList list = ParseDesignators(v, false);
                content.designators += list.understood ? 1 : 0;
                content.groups += list.understood && list.count > 1 ? 1 : 0;
                double number = 0;
                content.numbers += ReadQuantity(v, &number) ? 1 : 0;
                content.codes += isCode(v) ? 1 : 0;
                content.web += IsWebAddress(v) ? 1 : 0;
                content.texts += v.count(QLatin1Char(' ')) >= 2 ? 1 : 0;
                content.amounts += isAmount(v) ? 1 : 0;
                content.values += LooksLikeComponentValue(v) ? 1 : 0;
                content.supplierCodes += isSupplierCode(v) ? 1 : 0;
                content.footprints += isFootprint(v) ? 1 : 0;
                content.placeholders += IsPlaceholder(v) ? 1 : 0;
                content.all.insert(v.toString());
                if (isName(v)) {
                    ++content.names;
                    content.distinct.insert(v.toString());
                }
            }
            m_rows.push_back(row);
        }
    }

    // A named column empty in every row and a nameless column filled in most:
    // the names between them belong one column further right.
    void shiftNames()
    {
        const int rows = static_cast<int>(m_rows.size());
        if (rows < 3)
            return;
        for (int z = static_cast<int>(m_content.size()) - 1; z > 0; --z) {
            if (!m_header.fields[z].trimmed().isEmpty() || m_content[static_cast<size_t>(z)].filled * 2 < rows)
                continue;
            int gap = -1;
            for (int b = z - 1; b >= 0 && gap < 0; --b)
                if (!m_header.fields[b].trimmed().isEmpty() && m_content[static_cast<size_t>(b)].filled == 0)
                    gap = b;
            if (gap < 0)
                return;
            for (int c = z; c > gap; --c) {
                m_header.fields[c] = m_header.fields[c - 1];
                while (m_header.reasons.size() <= c)
                    m_header.reasons << QString();
                m_header.reasons[c] = Translate(QStringLiteral("the header name stands one column left of its data"));
            }
            m_header.fields[gap] = QString();
            addNote(m_header, "Names of columns %i to %i stand one column left of their data: the data wins",
                    {gap + 1, z});
            return;
        }
    }

    void checkDesignators()
    {
        const int rows = static_cast<int>(m_rows.size());
        const int line = m_mapping.lineOfRole(RoleDesignators);
        const int mapped = columnOf(RoleDesignators);
        const auto holdsDesignators = [&](int c, int share) {
            const ColumnContent& content = m_content[static_cast<size_t>(c)];
            const int named = content.filled - content.dnp;
            return named > 0 && content.designators * 10 >= named * share;
        };
        if (line < 0 || (mapped >= 0 && holdsDesignators(mapped, 5)))
            return;
        int best = -1;
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c) {
            const int role = roleOf(c);
            if (c == mapped || role == RoleQuantity || role == RoleItem || m_content[static_cast<size_t>(c)].filled * 2 < rows
                || !holdsDesignators(c, 8))
                continue;
            // Lists of several designators make a designator column beyond doubt.
            if (best < 0 || (m_content[static_cast<size_t>(c)].groups > 0 && m_content[static_cast<size_t>(best)].groups == 0))
                best = c;
        }
        if (best < 0)
            return;
        const QString was = roleOf(best) == RoleNone ? QString() : targetOf(best);
        assign(best, line,
               was.isEmpty() ? Translate(QStringLiteral("holds designators"))
                             : Format(qPrintable(Translate(QStringLiteral("holds designators, not %s"))), {was}));
        // Every other column the header took for designators and that
        // holds none ("Line Ref", "XREF Line #") is not one.
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c)
            if (c != best && roleOf(c) == RoleDesignators && !holdsDesignators(c, 5))
                assign(c, -1, Translate(QStringLiteral("holds no designators")));
    }

    // Per column: rows where it holds a number and the designators can be
    // counted, and rows where the two agree.
    std::pair<int, int> agreement(int column, int designators) const
    {
        int comparable = 0, agree = 0;
        for (const QStringList& row : m_rows) {
            const DesignatorList list = ParseDesignators(row.value(designators), false);
            double number = 0;
            if (!list.understood || !ReadQuantity(row.value(column), &number))
                continue;
            ++comparable;
            agree += number == list.count ? 1 : 0;
        }
        return {comparable, agree};
    }

    void checkQuantity()
    {
        const int line = m_mapping.lineOfRole(RoleQuantity);
        const int designators = columnOf(RoleDesignators);
        const int mapped = columnOf(RoleQuantity);
        if (line < 0 || designators < 0)
            return;
        if (mapped >= 0 && m_content[static_cast<size_t>(mapped)].filled == 0) {
            assign(mapped, -1, Translate(QStringLiteral("empty: the designators are counted")));
            return;
        }
        if (mapped >= 0) {
            const auto [comparable, agree] = agreement(mapped, designators);
            if (comparable < 3 || agree * 2 >= comparable)
                return;
        }
        const int rows = static_cast<int>(m_rows.size());
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c) {
            const ColumnContent& content = m_content[static_cast<size_t>(c)];
            if (c == mapped || c == designators || roleOf(c) != RoleNone || content.filled * 2 < rows
                || content.numbers * 10 < content.filled * 8)
                continue;
            const auto [comparable, agree] = agreement(c, designators);
            if (comparable >= 3 && agree * 10 >= comparable * 9) {
                assign(c, line, Translate(QStringLiteral("agrees with the designator count")));
                if (mapped >= 0)
                    assign(mapped, -1, Translate(QStringLiteral("disagrees with the designator count")));
                return;
            }
        }
    }

    // A price column holds amounts: "LowCost" may name the cheaper part
    // instead, which no buyer would pay as a price.
    void checkPrices()
    {
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c) {
            const int line = m_header.targets[static_cast<size_t>(c)];
            if (line < 0 || m_mapping.lines[static_cast<size_t>(line)].target.compare(QLatin1String("Price"), Qt::CaseInsensitive) != 0)
                continue;
            const ColumnContent& content = m_content[static_cast<size_t>(c)];
            const int named = content.filled - content.dnp;
            if (named > 0 && content.amounts * 2 < named)
                assign(c, -1, Translate(QStringLiteral("holds no prices")));
        }
    }

    void recogniseGenericColumns()
    {
        const int rows = static_cast<int>(m_rows.size());
        const auto propose = [&](int role, int line, int c, const char* reason) {
            if (line < 0 || columnOf(role) >= 0)
                return false;
            assign(c, line, Translate(QLatin1String(reason)));
            return true;
        };
        int webLine = -1;
        for (size_t i = 0; i < m_mapping.lines.size(); ++i)
            if (m_mapping.lines[i].target.compare(QLatin1String("Web Page"), Qt::CaseInsensitive) == 0)
                webLine = static_cast<int>(i);
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c) {
            const ColumnContent& content = m_content[static_cast<size_t>(c)];
            if (m_header.targets[static_cast<size_t>(c)] >= 0 || !isGenericName(m_header.fields[c]) || content.filled == 0)
                continue;
            const int named = content.filled - content.dnp;
            const bool most = content.filled * 2 >= rows;
            if (content.dnp == content.filled && propose(RoleDoNotPopulate, m_mapping.lineOfRole(RoleDoNotPopulate), c, "holds DNP marks"))
                continue;
            if (named > 0 && content.web == named && webLine >= 0) {
                bool taken = false;
                for (int t : m_header.targets)
                    taken = taken || t == webLine;
                if (!taken) {
                    assign(c, webLine, Translate(QStringLiteral("holds web addresses")));
                    continue;
                }
            }
            if (!most || named == 0)
                continue;
            if (content.texts * 10 >= named * 6
                && propose(RoleDescription, m_mapping.lineOfRole(RoleDescription), c, "holds descriptions"))
                continue;
            if (content.codes * 10 >= named * 8 && columnOf(RolePartNumber) < 0
                && propose(RoleMfrPart, m_mapping.lineOfRole(RoleMfrPart), c, "holds part numbers"))
                continue;
            if (content.names * 10 >= named * 8 && content.distinct.size() * 2 <= content.names
                && propose(RoleManufacturer, m_mapping.lineOfRole(RoleManufacturer), c, "holds manufacturer names"))
                continue;
        }
    }

    bool unmapped(int column) const { return m_header.targets[static_cast<size_t>(column)] < 0; }

    // A column of supplier order numbers under a name no keyword knows
    // ("Supplier and ref", "Bestellnummer"), or mapped as a supplier's name
    // while it holds its numbers.
    void recogniseSupplierCodes()
    {
        const int line = m_mapping.lineOfRole(RoleOrderCode);
        if (line < 0)
            return;
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c) {
            const ColumnContent& content = m_content[static_cast<size_t>(c)];
            const int role = roleOf(c);
            if (!(unmapped(c) || role == RoleDistributor || role == RoleOther) || role == RoleOrderCode)
                continue;
            const int named = content.filled - content.dnp - content.placeholders;
            if (named < 2 || content.supplierCodes * 10 < named * 8)
                continue;
            assign(c, line, Translate(QStringLiteral("holds supplier order numbers")));
        }
    }

    void recogniseFootprints()
    {
        const int line = m_mapping.lineOfRole(RoleFootprint);
        if (line < 0 || columnOf(RoleFootprint) >= 0)
            return;
        int best = -1;
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c) {
            const ColumnContent& content = m_content[static_cast<size_t>(c)];
            const int named = content.filled - content.dnp - content.placeholders;
            if (!unmapped(c) || named < 2 || content.footprints * 10 < named * 7)
                continue;
            if (best < 0 || content.footprints > m_content[static_cast<size_t>(best)].footprints)
                best = c;
        }
        if (best >= 0)
            assign(best, line, Translate(QStringLiteral("holds footprint names")));
    }

    // Every bill names its parts somewhere. Where no column is known to,
    // the one whose cells are component values ("10k", "100nF") or part
    // names that tell the rows apart is taken; with only weak evidence, the
    // reason says so.
    void recogniseValues()
    {
        const int line = m_mapping.lineOfRole(RoleValue);
        if (line < 0 || columnOf(RoleValue) >= 0 || columnOf(RoleSymbol) >= 0)
            return;
        const bool identified = columnOf(RolePartNumber) >= 0 || columnOf(RoleMfrPart) >= 0 || columnOf(RoleOrderCode) >= 0;
        const int rows = static_cast<int>(m_rows.size());
        int best = -1;
        double bestScore = 0;
        bool strong = false;
        for (int c = 0; c < static_cast<int>(m_content.size()); ++c) {
            const ColumnContent& content = m_content[static_cast<size_t>(c)];
            const int named = content.filled - content.dnp - content.placeholders;
            if (!unmapped(c) || named <= 0 || content.filled * 3 < rows)
                continue;
            // Not a count, a list of designators, an address or a price.
            if (content.numbers * 2 > named || content.designators * 2 > named || content.web * 2 > named
                || content.amounts * 2 > named || content.footprints * 2 > named)
                continue;
            const double share = static_cast<double>(content.values) / named;
            const double spread = static_cast<double>(content.all.size()) / named;
            const double fill = static_cast<double>(content.filled) / std::max(rows, 1);
            // Long sentences describe; short texts name.
            const double brevity = 1.0 - 0.6 * static_cast<double>(content.texts) / named;
            const double score = (share * 2 + spread) * fill * brevity;
            if (score > bestScore) {
                bestScore = score;
                best = c;
                strong = share >= 0.3;
            }
        }
        if (best < 0 || ((identified || columnOf(RoleDescription) >= 0) && !strong))
            return;
        assign(best, line, strong ? Translate(QStringLiteral("holds component values"))
                                  : Translate(QStringLiteral("no column names the parts: this one tells the rows apart best")));
    }

    const ImportFile& m_file;
    const ImportMapping& m_mapping;
    ImportHeader& m_header;
    std::vector<int> m_roles; // per mapping line
    std::vector<ColumnContent> m_content;
    std::vector<QStringList> m_rows;
};

} // namespace

QStringList ImportHeader::targetNames(const ImportMapping& mapping) const
{
    QStringList names;
    for (int t : targets)
        names << (t >= 0 && static_cast<size_t>(t) < mapping.lines.size() ? mapping.lines[static_cast<size_t>(t)].target
                                                                          : QString());
    return names;
}

int CountKeywordHits(const ImportMapping& mapping, const QStringList& values)
{
    return KeywordCounter(mapping, QLatin1Char(',')).hits(values);
}

ImportHeader FindImportHeader(const ImportFile& file, const ImportMapping& mapping)
{
    ImportHeader header;
    KeywordCounter counter(mapping, file.delimiter());
    int bestHits = 0;
    qsizetype bestValues = 0;
    bool dataSinceBest = false;
    const int searched = std::min(file.lineCount(), kHeaderSearchRecords);
    for (int i = 0; i < searched; ++i) {
        if (file.blank(i))
            continue;
        // Most lines are plain: they are only split when they become the header.
        int hits = 0;
        qsizetype count = 0;
        QStringList values;
        if (!counter.hitsOfPlainLine(file.lineView(i), &hits, &count)) {
            values = file.values(i);
            hits = counter.hits(values);
            count = values.size();
        }
        bool better = bestHits > 0 ? hits > bestHits : (hits > 0 || count > bestValues);
        // A heading row with no data under it, then a gap, then another (a
        // form's empty change-history table above the full bill) heads no
        // table: the later one does. Heading rows one under the other stay
        // one header, the first.
        if (!better && header.line >= 0 && i > header.line + 1 && !dataSinceBest && hits >= 2 && hits * 2 >= bestHits)
            better = true;
        if (header.line < 0 || better) {
            header.line = i;
            header.fields = values.isEmpty() ? file.values(i) : values;
            bestHits = hits;
            bestValues = count;
            dataSinceBest = false;
        } else if (!dataSinceBest && count >= 2) {
            if (values.isEmpty())
                values = file.values(i);
            dataSinceBest = std::count_if(values.cbegin(), values.cend(),
                                          [](const QString& v) { return !v.trimmed().isEmpty(); }) >= 2;
        }
    }
    for (QString& field : header.fields)
        if (field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\t')))
            field = field.simplified();
    if (header.line < 0)
        return header;
    header.fileLine = file.fileLine(header.line);
    for (int i = 0; i < header.line; ++i)
        if (!file.blank(i)) {
            const int from = file.fileLine(i), to = file.fileLine(header.line) - 1;
            if (from == to)
                addNote(header, "Line %i above the header is not part of the table", {from});
            else
                addNote(header, "Lines %i to %i above the header are not part of the table", {from, to});
            break;
        }
    ContentCheck(file, mapping, header).run();
    // Where the table is given twice, the same designators tell.
    int designators = -1;
    for (size_t c = 0; c < header.targets.size() && designators < 0; ++c)
        if (header.targets[c] >= 0 && RoleOfTarget(mapping.lines[static_cast<size_t>(header.targets[c])].target) == RoleDesignators)
            designators = static_cast<int>(c);
    // Only a header that comes again can start a second table.
    const QStringView headerText = file.lineView(header.line).trimmed();
    bool again = false;
    for (int r = header.line + 1; r < file.lineCount() && !again; ++r)
        again = file.lineView(r).size() >= headerText.size() && file.lineView(r).trimmed() == headerText;
    if (again) {
        QStringList tables;
        LocateImportData(file, header.line, designators, &tables);
        header.notes << tables;
    }
    return header;
}

int ChooseImportSheet(ImportFile& file, const ImportMapping& mapping)
{
    const std::vector<ImportSheetInfo>& sheets = file.sheets();
    int best = -1;
    double bestScore = -1;
    for (int i = 0; i < static_cast<int>(sheets.size()); ++i) {
        if (sheets[static_cast<size_t>(i)].hidden || sheets[static_cast<size_t>(i)].rows == 0 || !file.selectSheet(i))
            continue;
        // A bill has a header the mapping knows, designators or part
        // numbers under it, and rows; a change log or a parts catalogue
        // lacks one or the other.
        const ImportHeader header = FindImportHeader(file, mapping);
        if (header.line < 0)
            continue;
        double score = CountKeywordHits(mapping, header.fields);
        bool designators = false, names = false, quantity = false;
        for (int t : header.targets) {
            const int role = t >= 0 ? RoleOfTarget(mapping.lines[static_cast<size_t>(t)].target) : RoleNone;
            designators = designators || role == RoleDesignators;
            quantity = quantity || role == RoleQuantity;
            names = names || role == RoleMfrPart || role == RolePartNumber || role == RoleValue || role == RoleOrderCode;
        }
        const size_t rows = LocateImportData(file, header.line, -1, nullptr, 500).size();
        score += (designators ? 6 : 0) + (names ? 4 : 0) + (quantity ? 2 : 0) + std::min<size_t>(rows, 200) / 20.0;
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    file.selectSheet(best >= 0 ? best : 0);
    return file.sheet();
}

namespace {

QSettings importProfile()
{
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("KOLT"));
}

// The layout of a file: its headings, in order, as one key.
QString layoutKey(const QStringList& fields)
{
    QStringList names;
    for (const QString& field : fields)
        names << field.simplified().toLower();
    while (!names.isEmpty() && names.back().isEmpty())
        names.removeLast();
    const QByteArray digest = QCryptographicHash::hash(names.join(QChar(0x1F)).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("ImportLayouts/") + QString::fromLatin1(digest.toHex());
}

} // namespace

void RememberImportMapping(const QStringList& fields, const QStringList& targets)
{
    QSettings settings = importProfile();
    settings.setValue(layoutKey(fields), targets);
    settings.sync();
}

bool ApplyRememberedMapping(ImportHeader& header, const ImportMapping& mapping)
{
    const QVariant saved = importProfile().value(layoutKey(header.fields));
    if (!saved.isValid())
        return false;
    const QStringList targets = saved.toStringList();
    for (int c = 0; c < header.fields.size(); ++c) {
        const QString target = targets.value(c);
        int line = -1;
        for (size_t i = 0; i < mapping.lines.size() && line < 0 && !target.isEmpty(); ++i)
            if (mapping.lines[i].target == target)
                line = static_cast<int>(i);
        if (static_cast<size_t>(c) < header.targets.size() && header.targets[static_cast<size_t>(c)] != line) {
            header.targets[static_cast<size_t>(c)] = line;
            header.reasons[c] = Translate(QStringLiteral("as the last import of this layout"));
        }
    }
    return true;
}

QString ApplyImportMap(ImportHeader& header, const ImportMapping& mapping, const QString& assignment)
{
    const qsizetype equals = assignment.lastIndexOf(QLatin1Char('='));
    if (equals <= 0)
        return Format(qPrintable(Translate(QStringLiteral("\"%s\" is not COLUMN=TARGET"))), {assignment});
    const QString column = assignment.left(equals).trimmed();
    const QString target = assignment.mid(equals + 1).trimmed();
    int index = -1;
    bool numeric = false;
    const int number = column.toInt(&numeric);
    if (numeric && number >= 1 && number <= header.fields.size())
        index = number - 1;
    for (int c = 0; c < header.fields.size() && index < 0; ++c)
        if (header.fields[c].simplified().compare(column.simplified(), Qt::CaseInsensitive) == 0)
            index = c;
    if (index < 0)
        return Format(qPrintable(Translate(QStringLiteral("the file has no column \"%s\""))), {column});
    int line = -1;
    const bool drop = target.isEmpty() || target == QLatin1String("-") || target.compare(QLatin1String("DROP"), Qt::CaseInsensitive) == 0
        || target.compare(QLatin1String("Not Used"), Qt::CaseInsensitive) == 0;
    for (size_t i = 0; i < mapping.lines.size() && line < 0 && !drop; ++i)
        if (mapping.lines[i].target.compare(target, Qt::CaseInsensitive) == 0
            || Translate(mapping.lines[i].target).compare(target, Qt::CaseInsensitive) == 0)
            line = static_cast<int>(i);
    if (line < 0 && !drop)
        return Format(qPrintable(Translate(QStringLiteral("\"%s\" is no target; targets: %s"))),
                      {target, mapping.choices().section(QLatin1Char('/'), 1).replace(QLatin1Char('/'), QStringLiteral(", "))});
    // A target fed by one column: the one named now.
    if (line >= 0)
        for (size_t c = 0; c < header.targets.size(); ++c)
            if (header.targets[c] >= 0 && mapping.lines[static_cast<size_t>(header.targets[c])].target == mapping.lines[static_cast<size_t>(line)].target
                && static_cast<int>(c) != index && RoleOfTarget(mapping.lines[static_cast<size_t>(line)].target) != RoleOther) {
                header.targets[c] = -1;
                header.reasons[static_cast<int>(c)] = Translate(QStringLiteral("mapped by hand to another column"));
            }
    header.targets[static_cast<size_t>(index)] = line;
    header.reasons[index] = Translate(QStringLiteral("mapped by hand"));
    return QString();
}

QString ImportColumnsText(const ImportFile& file, const ImportHeader& header)
{
    // Each column with what its first filled cell holds, so that the user
    // can say which one names the part.
    QStringList samples(header.fields.size());
    const std::vector<int> records = LocateImportData(file, header.line, -1, nullptr, 50);
    for (int r : records) {
        const QStringList values = file.values(r);
        for (int c = 0; c < header.fields.size() && c < values.size(); ++c)
            if (samples[c].isEmpty() && !CleanCell(values[c]).isEmpty())
                samples[c] = CleanCell(values[c]).toString().simplified().left(40);
    }
    QStringList out;
    for (int c = 0; c < header.fields.size(); ++c) {
        const QString name = header.fields[c].simplified();
        if (name.isEmpty() && samples[c].isEmpty())
            continue;
        out << Format("  %i \"%s\"%s", {c + 1, name,
                                       samples[c].isEmpty() ? QString() : QStringLiteral(", e.g. \"") + samples[c] + QLatin1Char('"')});
    }
    return out.join(QLatin1Char('\n'));
}
