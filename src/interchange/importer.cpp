#include "interchange/importer.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr int kKeywordsPerTarget = 5;
constexpr int kShownErrors = 20;

// Field of a table whose heading contains the text, ignoring case; -1 when none.
int findField(int table, const QString& text)
{
    const TableDefinition& definition = App().tables[table];
    for (int i = 0; i < definition.fieldCount; ++i)
        if (definition.headings[i].contains(text, Qt::CaseInsensitive))
            return i;
    return -1;
}

void setField(QStringList& values, int field, const QString& value)
{
    if (field >= 0 && field < values.size())
        values[field] = value;
}

QString fieldValue(const QStringList& values, int field)
{
    return field >= 0 ? values.value(field) : QString();
}

// What one table needs to know about its fields, worked out once per run
// instead of once per line.
struct TableFields
{
    int table = 0;
    int fieldCount = 0;
    std::vector<int> columnField; // per file column
    int assy = -1, part = -1, desc = -1, category = -1, stamp = -1, user = -1;
    int manufacturer = -1, distributor = -1, make = -1, currency = -1, vendor = -1, item = -1;
    bool itemMapped = false;

    TableFields(int t, const QStringList& columnTargets) : table(t)
    {
        fieldCount = App().tables[t].fieldCount;
        for (const QString& target : columnTargets)
            columnField.push_back(target.isEmpty() ? -1 : findField(t, target));
        assy = findField(t, QStringLiteral("Assy"));
        part = findField(t, QStringLiteral("Part"));
        desc = findField(t, QStringLiteral("Desc"));
        category = findField(t, QStringLiteral("Categ"));
        stamp = findField(t, QStringLiteral("Time Stamp"));
        user = findField(t, QStringLiteral("User"));
        manufacturer = findField(t, QStringLiteral("Manuf"));
        distributor = findField(t, QStringLiteral("Distri"));
        make = findField(t, QStringLiteral("Make"));
        currency = findField(t, QStringLiteral("Currency"));
        vendor = findField(t, QStringLiteral("Vendor"));
        item = findField(t, QStringLiteral("Item"));
        itemMapped = item >= 0 && std::find(columnField.begin(), columnField.end(), item) != columnField.end();
    }

    // An empty row with the line's mapped values and the user's stamp.
    QStringList row(const QStringList& lineValues, const QString& stampText) const
    {
        QStringList values(fieldCount);
        // Several columns may feed one field (a KiCad "Value" and its "MPN"):
        // the last one that holds something wins, an empty one wipes nothing.
        for (size_t c = 0; c < columnField.size(); ++c)
            if (columnField[c] >= 0 && static_cast<qsizetype>(c) < lineValues.size()
                && (!lineValues[static_cast<qsizetype>(c)].isEmpty() || values[columnField[c]].isEmpty()))
                values[columnField[c]] = lineValues[static_cast<qsizetype>(c)];
        setField(values, stamp, stampText);
        setField(values, user, App().CurrentUser);
        return values;
    }
};

class LineImporter
{
public:
    LineImporter(const QStringList& columnTargets, const QString& assembly, ImportOutcome& outcome)
        : m_bom(AssyList, columnTargets), m_parts(PartList, columnTargets), m_vendors(VendList, columnTargets),
          m_assembly(assembly), m_outcome(outcome)
    {
        // Part numbers and vendor names are compared exactly, as the
        // database compares them. Reading them once and keeping the set up
        // to date inside the transaction gives the same answers as asking
        // for each line, without a table scan per line.
        m_knownParts = columnValues(QStringLiteral("Select PartList.Part_nBr from PartList"));
        m_knownVendors = columnValues(QStringLiteral("Select VendList.Vendor from VendList"));
        // Without an item column every line would be item 0, which the
        // error check flags as a duplicate: the lines are numbered in file
        // order after the assembly's last item.
        if (m_bom.item >= 0 && !m_bom.itemMapped)
            m_nextItem = 1 + TextToInt(QueryText(
                                 SqlFormat("Select max(Item) from AssyList where Assy='%s'", {UpperCaseAscii(assembly)}),
                                 false));
    }

    void import(const QStringList& lineValues, int lineNumber)
    {
        // Local time is looked up once a second, not once a line: each
        // look-up reads the time zone afresh.
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        if (now != m_stampSecond) {
            m_stampSecond = now;
            m_stamp = TimestampText();
        }
        const QString& stamp = m_stamp;
        m_lineNumber = lineNumber;
        importBomLine(lineValues, stamp);
        importPart(lineValues, stamp);
        importVendors(lineValues, stamp);
    }

    // Stores what is still queued and lists the failures in line order.
    void finish()
    {
        for (Batch& batch : m_batches)
            flush(batch);
        std::stable_sort(m_errors.begin(), m_errors.end(), [](const Failure& a, const Failure& b) {
            return a.line != b.line ? a.line < b.line : a.kind < b.kind;
        });
        for (const Failure& failure : m_errors)
            m_outcome.errors << failure.text;
        m_errors.clear();
    }

private:
    // Rows of one table waiting to be stored. They go to the database many
    // to a statement, which spares the library most of its parsing; a
    // statement that fails is repeated row by row, so that every failure is
    // still reported with its own line and taken off the counters.
    struct Batch
    {
        int table = 0;
        int kind = 0; // the order of the tables within a line
        std::vector<QStringList> rows;
        std::vector<int> lines;
        std::vector<int*> counters;
        qsizetype characters = 0;
    };
    struct Failure
    {
        int line;
        int kind;
        QString text;
    };
    static constexpr size_t kBatchRows = 200;
    static constexpr qsizetype kBatchCharacters = 200000;

    void insert(const QStringList& values, int table, int& counter)
    {
        Batch& batch = m_batches[table == AssyList ? 0 : table == PartList ? 1 : 2];
        batch.rows.push_back(values);
        batch.lines.push_back(m_lineNumber);
        batch.counters.push_back(&counter);
        for (const QString& value : values)
            batch.characters += value.size() + 3;
        ++counter;
        if (batch.rows.size() >= kBatchRows || batch.characters >= kBatchCharacters)
            flush(batch);
    }

    void flush(Batch& batch)
    {
        if (batch.rows.empty())
            return;
        InsertRows(batch.rows, batch.table);
        if (LastResultCode() != 0) {
            const QString batchError = LastErrorText();
            bool named = false;
            for (size_t r = 0; r < batch.rows.size(); ++r) {
                InsertRow(batch.rows[r], batch.table);
                if (LastResultCode() == 0)
                    continue;
                fail(batch.lines[r], batch.kind, LastErrorText());
                --*batch.counters[r];
                named = true;
            }
            // The rows went in one by one: the failure was the statement's
            // alone, and its first line stands for it.
            if (!named)
                fail(batch.lines.front(), batch.kind, batchError);
        }
        batch.rows.clear();
        batch.lines.clear();
        batch.counters.clear();
        batch.characters = 0;
    }

    void fail(int line, int kind, const QString& error)
    {
        m_errors.push_back({line, kind, Format("%s %i: %s", {Translate(QStringLiteral("Line")), line, error})});
    }

    void importBomLine(const QStringList& lineValues, const QString& stamp)
    {
        QStringList values = m_bom.row(lineValues, stamp);
        setField(values, m_bom.assy, m_assembly);
        if (fieldValue(values, m_bom.assy).isEmpty() || fieldValue(values, m_bom.part).isEmpty())
            return;
        if (m_nextItem > 0)
            setField(values, m_bom.item, QString::number(m_nextItem++));
        insert(values, AssyList, m_outcome.added);
    }

    void importPart(const QStringList& lineValues, const QString& stamp)
    {
        QStringList values = m_parts.row(lineValues, stamp);
        const QString description = fieldValue(values, m_parts.desc);
        if (!description.isEmpty())
            setField(values, m_parts.category, GuessCategory(description));
        for (int field : {m_parts.part, m_parts.manufacturer, m_parts.distributor})
            setField(values, field, UpperCaseAscii(fieldValue(values, field)));
        m_manufacturer = fieldValue(values, m_parts.manufacturer);
        m_distributor = fieldValue(values, m_parts.distributor);
        // Nobody to buy it from: it is made here.
        setField(values, m_parts.make,
                 m_manufacturer.isEmpty() && m_distributor.isEmpty() ? QStringLiteral("Make")
                                                                      : QStringLiteral("Buy"));
        setField(values, m_parts.currency, App().CurrentCurrency);
        const QString part = fieldValue(values, m_parts.part);
        if (part.isEmpty())
            return;
        if (m_knownParts.contains(part))
            return;
        insert(values, PartList, m_outcome.added);
        m_knownParts.insert(part);
    }

    void importVendors(const QStringList& lineValues, const QString& stamp)
    {
        QStringList values = m_vendors.row(lineValues, stamp);
        for (const QString& name : {m_manufacturer, m_distributor}) {
            if (name.isEmpty())
                continue;
            if (m_knownVendors.contains(name))
                continue;
            setField(values, m_vendors.vendor, UpperCaseAscii(name));
            insert(values, VendList, m_outcome.vendors);
            m_knownVendors.insert(name);
        }
    }

    static QSet<QString> columnValues(const QString& sql)
    {
        QSet<QString> values;
        const QueryResult result = Query(sql);
        for (int r = 0; r < result.rowCount; ++r)
            values.insert(result.cell(r, 0));
        return values;
    }

    TableFields m_bom;
    TableFields m_parts;
    TableFields m_vendors;
    QString m_assembly;
    ImportOutcome& m_outcome;
    QString m_manufacturer;
    QString m_distributor;
    QSet<QString> m_knownParts;
    QSet<QString> m_knownVendors;
    int m_nextItem = 0; // 0: the file gives the item numbers
    int m_lineNumber = 0;
    qint64 m_stampSecond = -1;
    QString m_stamp;
    std::array<Batch, 3> m_batches{{{AssyList, 0, {}, {}, {}, 0}, {PartList, 1, {}, {}, {}, 0},
                                    {VendList, 2, {}, {}, {}, 0}}};
    std::vector<Failure> m_errors;
};

void reportFailures(const ImportOutcome& outcome)
{
    QStringList shown = outcome.errors.mid(0, kShownErrors);
    if (outcome.errors.size() > kShownErrors)
        shown << Format("... %i %s", {static_cast<int>(outcome.errors.size() - kShownErrors),
                                      Translate(QStringLiteral("more"))});
    ShowMessage(Translate(QStringLiteral("The import could not be stored; nothing was added.")) + QLatin1Char('\n')
                    + shown.join(QLatin1Char('\n')),
                Translate(QStringLiteral("Import")));
}

} // namespace

QString ImportMapping::choices() const
{
    QString list = QStringLiteral("DROP/Not Used");
    for (const ImportTarget& line : lines)
        list += QLatin1Char('/') + line.target;
    return list;
}

QString ImportMappingPath()
{
    return App().ProgramFolder + QStringLiteral("import.def");
}

ImportMapping LoadImportMapping(const QString& path)
{
    ImportMapping mapping;
    ImportFile file;
    if (!QFileInfo(path).isFile() || !file.load(path)) {
        ShowMessage(Translate(QStringLiteral("Dump Array File: Missing File")));
        return mapping;
    }
    for (int i = 0; i < file.lineCount(); ++i) {
        if (file.line(i).isEmpty())
            continue;
        const QStringList values = SplitImportLine(file.line(i));
        if (values.value(0).isEmpty())
            continue;
        ImportTarget target{values[0], {}};
        for (int k = 1; k <= kKeywordsPerTarget && k < values.size() && !values[k].isEmpty(); ++k)
            target.keywords << values[k];
        mapping.lines.push_back(target);
    }
    return mapping;
}

int MatchImportTarget(const ImportMapping& mapping, const QString& header)
{
    int match = -1;
    for (int i = 0; i < static_cast<int>(mapping.lines.size()); ++i)
        for (const QString& keyword : mapping.lines[static_cast<size_t>(i)].keywords)
            if (header.contains(keyword)) {
                match = i;
                break;
            }
    return match;
}

namespace {

// Counts the keyword hits of many lines against one mapping: each position of
// a line is compared only with the keywords that begin with its character, so
// a line costs one pass instead of one search per keyword.
class KeywordCounter
{
public:
    explicit KeywordCounter(const ImportMapping& mapping)
    {
        for (const ImportTarget& line : mapping.lines)
            for (const QString& keyword : line.keywords) {
                const int k = static_cast<int>(m_keywords.size());
                m_keywords.push_back(keyword);
                m_lineEnds = m_lineEnds || keyword.contains(QLatin1Char('\n'));
                m_splitters = m_splitters || keyword.contains(QLatin1Char(',')) || keyword.contains(QLatin1Char('"'));
                if (keyword.isEmpty())
                    m_empty.push_back(k);
                else if (keyword[0].unicode() < kAscii)
                    m_ascii[keyword[0].unicode()].push_back(k);
                else
                    m_other[keyword[0].unicode()].push_back(k);
            }
        m_seen.resize(m_keywords.size(), 0);
    }

    int hits(const QStringList& values)
    {
        // No value holds a line end, so a keyword is inside one of the values
        // exactly when it is inside their line-end-joined text; unless a
        // keyword holds one itself, the values are searched one by one.
        if (++m_round == 0) {
            std::fill(m_seen.begin(), m_seen.end(), 0);
            m_round = 1;
        }
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

    // The hits of a line without quotes and with fewer commas than the value
    // limit, without splitting it: its values are exactly the pieces between
    // its commas, so a keyword without commas, quotes and line ends lies in
    // one of them exactly when it lies in the line. Sets *values to their
    // number; false when the line must be split after all.
    bool hitsOfPlainLine(const QString& line, int* hits, qsizetype* values)
    {
        if (m_lineEnds || m_splitters || line.contains(QLatin1Char('"')))
            return false;
        const qsizetype commas = line.count(QLatin1Char(','));
        if (commas >= kMaxImportValues)
            return false;
        if (++m_round == 0) {
            std::fill(m_seen.begin(), m_seen.end(), 0);
            m_round = 1;
        }
        *values = commas + 1;
        *hits = static_cast<int>(m_empty.size()) + search(line);
        return true;
    }

private:
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
                if (keyword.size() <= n - i
                    && std::equal(keyword.cbegin(), keyword.cend(), text.cbegin() + i)) {
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
    bool m_lineEnds = false; // a keyword holds a line end
    bool m_splitters = false; // a keyword holds a comma or a quote
    std::vector<unsigned> m_seen; // == m_round: found in the current line
    unsigned m_round = 0;
};

} // namespace

int CountKeywordHits(const ImportMapping& mapping, const QStringList& values)
{
    return KeywordCounter(mapping).hits(values);
}

ImportHeader FindImportHeader(const ImportFile& file, const ImportMapping& mapping)
{
    ImportHeader header;
    KeywordCounter counter(mapping);
    int bestHits = 0;
    qsizetype bestValues = 0;
    for (int i = 0; i < file.lineCount(); ++i) {
        if (file.line(i).isEmpty())
            continue;
        // Most lines of a large file are plain: they are only split when
        // they become the header.
        int hits = 0;
        qsizetype count = 0;
        QStringList values;
        if (!counter.hitsOfPlainLine(file.line(i), &hits, &count)) {
            values = file.values(i);
            hits = counter.hits(values);
            count = values.size();
        }
        const bool better = bestHits > 0 ? hits > bestHits : (hits > 0 || count > bestValues);
        if (header.line < 0 || better) {
            header.line = i;
            header.fields = values.isEmpty() ? file.values(i) : values;
            bestHits = hits;
            bestValues = count;
        }
    }
    for (const QString& field : header.fields)
        header.targets.push_back(MatchImportTarget(mapping, field));
    return header;
}

QString AssemblyNameFromPath(const QString& path)
{
    QString name = path;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString GuessCategory(const QString& description)
{
    struct Group
    {
        std::vector<const char*> keywords;
        const char* category;
    };
    static const std::array<Group, 7> groups{{
        {{"ASS"}, "Assembly"},
        {{"CAP", "RES", "SMT", "SOIC", "SENSOR", "LED", "THERMISTOR", "JACK", "PLUG", "CONN", "HEADER", "CRYSTAL",
          "MICRO", "REF", "BATTERY", "CHIP", "INDUCT"},
         "Component"},
        {{"BRACK"}, "Bracket"},
        {{"PCB", "CCA", "CIRCUIT CARD", "PRINTED CIRCUIT"}, "PCB"},
        {{"SCREW", "NUT", "BOLT", "STANDOFF", "INSERT", "RIVET"}, "Fastener"},
        {{"CABLE", "HARNESS", "WIRE"}, "Cable"},
        {{"TOOL", "SCREWDRIVER", "WRENCH"}, "Tools"},
    }};
    // The keywords are ASCII, so they are found in the UTF-8 bytes exactly
    // where they are in the text. The last group that matches wins, so the
    // search runs from the last group back and stops at the first match.
    const QByteArray text = description.toUpper().toUtf8();
    const std::string_view bytes(text.constData(), static_cast<size_t>(text.size()));
    for (auto group = groups.rbegin(); group != groups.rend(); ++group)
        for (const char* keyword : group->keywords)
            if (bytes.find(keyword) != std::string_view::npos)
                return QLatin1String(group->category);
    return QStringLiteral("Undefined");
}

ImportOutcome ProcessImport(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                            const QString& assembly, const ImportProgress& progress)
{
    ImportOutcome outcome;
    // The three tables must exist before the first insert; the table the
    // caller had current is current again afterwards.
    const int previous = CurrentTable();
    for (int table : {AssyList, PartList, VendList})
        SelectTable(App().DataFolder, table);

    {
        Transaction transaction;
        LineImporter importer(columnTargets, assembly, outcome);
        for (int i = std::max(firstLine, 0); i < file.lineCount(); ++i) {
            if (!file.line(i).isEmpty())
                importer.import(file.values(i), i + 1);
            ++outcome.scanned;
            if (progress)
                progress(outcome, file.endOf(i));
        }
        importer.finish();
        if (!outcome.errors.isEmpty())
            transaction.fail();
        outcome.stored = transaction.commit();
        if (!outcome.stored && outcome.errors.isEmpty())
            outcome.errors << LastErrorText();
    }
    if (!outcome.stored) {
        outcome.added = 0;
        outcome.vendors = 0;
        reportFailures(outcome);
    }
    SelectTable(App().DataFolder, previous);
    return outcome;
}
