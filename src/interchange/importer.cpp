#include "interchange/importer.h"
#include "interchange/importbill.h"
#include "interchange/importsources.h"

#include "bom/bomdiff.h"
#include "bom/revisions.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/uppercase.h"
#include "core/utilities.h"
#include "db/changelog.h"
#include "db/billrows.h"
#include "db/database.h"
#include "db/parts.h"
#include "db/vendors.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace {

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

// The fields of the three tables the import writes, looked up once per run.
struct ImportFields
{
    struct Bill
    {
        int count = 0, assy = -1, item = -1, part = -1, quan = -1, ref = -1, notes = -1, user = -1, stamp = -1;
    } bill;
    struct Parts
    {
        int count = 0, part = -1, desc = -1, category = -1, make = -1, manufacturer = -1, mfrPart = -1;
        int distributor = -1, orderCode = -1, currency = -1, revision = -1, user = -1, stamp = -1;
    } parts;
    struct Vendors
    {
        int count = 0, vendor = -1, type = -1, user = -1, stamp = -1;
    } vendors;
    // Per other target (Price, Datasheet, ...): its field in the bill and the part table.
    std::vector<std::pair<int, int>> others;

    explicit ImportFields(const QStringList& otherTargets)
    {
        bill.count = App().tables[AssyList].fieldCount;
        bill.assy = findField(AssyList, QStringLiteral("Assy"));
        bill.item = findField(AssyList, QStringLiteral("Item"));
        bill.part = findField(AssyList, QStringLiteral("Part"));
        bill.quan = findField(AssyList, QStringLiteral("Quan"));
        bill.ref = findField(AssyList, QStringLiteral("Ref"));
        bill.notes = findField(AssyList, QStringLiteral("Notes"));
        bill.user = findField(AssyList, QStringLiteral("User"));
        bill.stamp = findField(AssyList, QStringLiteral("Time Stamp"));
        parts.count = App().tables[PartList].fieldCount;
        parts.part = findField(PartList, QStringLiteral("Part"));
        parts.desc = findField(PartList, QStringLiteral("Desc"));
        parts.category = findField(PartList, QStringLiteral("Categ"));
        parts.make = findField(PartList, QStringLiteral("Make"));
        parts.manufacturer = findField(PartList, QStringLiteral("Manuf"));
        parts.mfrPart = findField(PartList, QStringLiteral("Mfr Part"));
        parts.distributor = findField(PartList, QStringLiteral("Distri"));
        parts.orderCode = findField(PartList, QStringLiteral("Order Code"));
        parts.currency = findField(PartList, QStringLiteral("Currency"));
        parts.revision = findField(PartList, QStringLiteral("Revision"));
        parts.user = findField(PartList, QStringLiteral("User"));
        parts.stamp = findField(PartList, QStringLiteral("Time Stamp"));
        vendors.count = App().tables[VendList].fieldCount;
        vendors.vendor = findField(VendList, QStringLiteral("Vendor"));
        vendors.type = findField(VendList, QStringLiteral("Type"));
        vendors.user = findField(VendList, QStringLiteral("User"));
        vendors.stamp = findField(VendList, QStringLiteral("Time Stamp"));
        for (const QString& target : otherTargets)
            others.emplace_back(findField(AssyList, target), findField(PartList, target));
    }
};

// Names compared exactly, as the database compares them: part numbers and
// vendors already stored and those the run stores. A run looks up every part
// number of the file, so the set keeps the hashes side by side and compares
// a name only with those of the same hash, and hashes by a plain FNV over
// the characters, which costs less than the general string hash.
class NameSet
{
public:
    explicit NameSet(size_t expected = 0) { grow(expected); }

    bool contains(const QString& name) const { return m_slots[find(name, hashOf(name))] != 0; }

    // True when the name was not in the set.
    bool insert(const QString& name)
    {
        const quint64 hash = hashOf(name);
        size_t at = find(name, hash);
        if (m_slots[at] != 0)
            return false;
        if ((m_names.size() + 1) * 2 > m_slots.size()) {
            grow(m_names.size() + 1);
            at = find(name, hash);
        }
        m_names.push_back(name);
        m_slots[at] = slot(hash, m_names.size());
        return true;
    }

private:
    static quint64 hashOf(const QString& name)
    {
        quint64 hash = 14695981039346656037ull;
        for (const QChar c : name)
            hash = (hash ^ c.unicode()) * 1099511628211ull;
        return hash;
    }

    // A slot holds the upper half of the hash beside 1 + the name's index,
    // so that a probe reads one place, and a name only where the hash fits.
    static quint64 slot(quint64 hash, size_t number) { return (hash & 0xFFFFFFFF00000000ull) | number; }

    // The slot of the name, or the empty slot where it would go.
    size_t find(const QString& name, quint64 hash) const
    {
        const size_t mask = m_slots.size() - 1;
        const quint64 upper = hash & 0xFFFFFFFF00000000ull;
        for (size_t at = static_cast<size_t>(hash) & mask;; at = (at + 1) & mask) {
            const quint64 entry = m_slots[at];
            if (entry == 0)
                return at;
            if ((entry & 0xFFFFFFFF00000000ull) == upper && m_names[(entry & 0xFFFFFFFFu) - 1] == name)
                return at;
        }
    }

    void grow(size_t names)
    {
        size_t size = 64;
        while (size < names * 2 + 2)
            size *= 2;
        if (size <= m_slots.size())
            return;
        m_slots.assign(size, 0);
        m_names.reserve(size / 2);
        const size_t mask = size - 1;
        for (size_t i = 0; i < m_names.size(); ++i) {
            const quint64 hash = hashOf(m_names[i]);
            size_t at = static_cast<size_t>(hash) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot(hash, i + 1);
        }
    }

    std::vector<quint64> m_slots; // 0: empty
    std::vector<QString> m_names;
};

NameSet nameSet(const QStringList& names, size_t room)
{
    NameSet values(static_cast<size_t>(names.size()) + room);
    for (const QString& name : names)
        values.insert(name);
    return values;
}

// Walks the lines of a file as the import reads them, numbering them as they
// will be stored and keeping track of which parts and vendors are new.
class LineWalk
{
public:
    LineWalk(const ImportFile& file, int firstLine, const QStringList& columnTargets, const QString& assembly,
             const ImportOptions& options)
        : m_file(file), m_firstLine(std::max(firstLine, 0)),
          m_reader(file, firstLine, columnTargets, options.columnNames), m_assembly(assembly)
    {
        // Part numbers and vendor names are compared exactly, as the
        // database compares them. Reading them once and keeping the set up
        // to date gives the same answers as asking for each line, without a
        // table scan per line.
        m_knownParts = nameSet(ReadPartNumbers(), m_reader.records().size());
        m_knownVendors = nameSet(ReadVendorNames(), 64);
        m_existingLines = BillLineCount(assembly);
        // Without an item column every line would be item 0, which the
        // error check flags as a duplicate: the lines are numbered in file
        // order after the assembly's last item.
        if (!options.replace)
            m_nextItem = 1 + HighestBillItem(assembly);
        // A replaced bill keeps the numbers of the lines it still has, so
        // drawings and work instructions that cite them stay right.
        m_before = LoadBillLines(assembly);
        if (options.replace)
            m_keep.emplace(m_before);
    }

    // The assembly's lines before the import.
    const std::vector<BillLine>& before() const { return m_before; }

    const ImportLineReader& reader() const { return m_reader; }
    int existingLines() const { return m_existingLines; }
    bool partKnown(const QString& part) const { return m_knownParts.contains(part); }

    // Calls onLine(line, newPart, newVendors) for every line, and
    // onRecord(position) after every record read.
    template <typename OnLine, typename OnRecord>
    void run(QStringList& warnings, OnLine onLine, OnRecord onRecord)
    {
        const std::vector<int>& records = m_reader.records();
        size_t next = 0;
        ImportLine line;
        for (int r = m_firstLine; r < m_file.lineCount(); ++r) {
            if (next < records.size() && records[next] == r) {
                ++next;
                if (m_reader.read(r, line, warnings)) {
                    number(line);
                    const bool newPart = !line.partNumber.isEmpty() && m_knownParts.insert(line.partNumber);
                    std::array<QString, 2> vendors;
                    int v = 0;
                    for (const QString& name : {line.manufacturer, line.distributor})
                        if (!name.isEmpty() && !knownVendor(name)) {
                            vendors[static_cast<size_t>(v)] = UpperCaseName(name);
                            m_knownVendors.insert(vendors[static_cast<size_t>(v++)]);
                        }
                    onLine(line, newPart, vendors);
                }
            }
            onRecord(r);
        }
    }

private:
    bool knownVendor(const QString& name) const { return m_knownVendors.contains(UpperCaseName(name)); }

    void number(ImportLine& line)
    {
        if (m_reader.hasItemColumn() && !line.item.isEmpty()) {
            m_nextItem = std::max(m_nextItem, TextToInt(line.item) + 1);
            return;
        }
        line.item = m_keep ? m_keep->take(line.partNumber, line.designators) : QString::number(m_nextItem++);
    }

    const ImportFile& m_file;
    int m_firstLine;
    ImportLineReader m_reader;
    QString m_assembly;
    NameSet m_knownParts;
    NameSet m_knownVendors;
    int m_existingLines = 0;
    int m_nextItem = 1;
    std::vector<BillLine> m_before;
    std::optional<ItemNumbering> m_keep;
};

QString importRevisionNote(const ImportFile& file)
{
    return Translate(QStringLiteral("Replaced by import of")) + QLatin1Char(' ') + QFileInfo(file.path()).fileName();
}

class RowWriter
{
public:
    RowWriter(const QStringList& otherTargets, ImportOutcome& outcome) : m_fields(otherTargets), m_outcome(outcome) {}

    void billLine(const ImportLine& line, const QString& assembly, const QString& stamp)
    {
        const ImportFields::Bill& f = m_fields.bill;
        QStringList values(f.count);
        for (size_t t = 0; t < line.others.size(); ++t)
            setField(values, m_fields.others[static_cast<size_t>(line.others[t].first)].first, line.others[t].second);
        setField(values, f.assy, assembly);
        setField(values, f.item, line.item);
        setField(values, f.part, line.partNumber);
        setField(values, f.quan, line.quantity);
        setField(values, f.ref, line.designators);
        setField(values, f.notes, line.notes);
        setField(values, f.user, App().CurrentUser);
        setField(values, f.stamp, stamp);
        m_line = line.fileLine;
        m_characters = size(line);
        insert(values, AssyList, m_outcome.added);
        ++m_outcome.lines;
    }

    void part(const ImportLine& line, const QString& stamp)
    {
        static const QString kBuy = QStringLiteral("Buy");
        const ImportFields::Parts& f = m_fields.parts;
        QStringList values(f.count);
        for (const auto& [target, value] : line.others)
            setField(values, m_fields.others[static_cast<size_t>(target)].second, value);
        setField(values, f.part, line.partNumber);
        setField(values, f.desc, line.description);
        if (!line.description.isEmpty())
            setField(values, f.category, GuessCategory(line.description));
        setField(values, f.manufacturer, line.manufacturer);
        setField(values, f.mfrPart, line.mfrPart);
        setField(values, f.distributor, line.distributor);
        setField(values, f.orderCode, line.orderCode);
        // A bill's parts are bought, named vendor or not: a Make part
        // without a bill of its own would never be ordered.
        setField(values, f.make, kBuy);
        setField(values, f.currency, App().CurrentCurrency);
        setField(values, f.user, App().CurrentUser);
        setField(values, f.stamp, stamp);
        m_line = line.fileLine;
        m_characters = size(line);
        insert(values, PartList, m_outcome.added);
    }

    // The assembly's own part record, as Add Assy writes it: without it the
    // roll-up has nowhere to put the assembly's cost.
    void assemblyPart(const QString& assembly, const QString& stamp)
    {
        const ImportFields::Parts& f = m_fields.parts;
        QStringList values(f.count);
        setField(values, f.part, assembly);
        setField(values, f.desc, assembly + QLatin1Char(' ') + Translate(QStringLiteral("Description")));
        setField(values, f.category, QStringLiteral("Assembly"));
        setField(values, f.make, QStringLiteral("Make"));
        setField(values, f.revision, QStringLiteral("A"));
        setField(values, f.currency, App().CurrentCurrency);
        setField(values, f.user, App().CurrentUser);
        setField(values, f.stamp, stamp);
        m_line = 0;
        m_characters = 2 * assembly.size() + 64;
        insert(values, PartList, m_outcome.added);
    }

    void vendor(const QString& name, const char* type, int fileLine, const QString& stamp)
    {
        const ImportFields::Vendors& f = m_fields.vendors;
        QStringList values(f.count);
        setField(values, f.vendor, name);
        setField(values, f.type, QLatin1String(type));
        setField(values, f.user, App().CurrentUser);
        setField(values, f.stamp, stamp);
        m_line = fileLine;
        m_characters = name.size() + 64;
        insert(values, VendList, m_outcome.vendors);
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
    static constexpr size_t kBatchRows = 1000;
    // What a row of the line holds at most, with room for the fields every
    // row has: a batch is bounded by its text, not only its rows.
    static qsizetype size(const ImportLine& line)
    {
        qsizetype characters = 96;
        for (const QString* text : {&line.item, &line.partNumber, &line.quantity, &line.designators, &line.notes,
                                    &line.description, &line.manufacturer, &line.distributor, &line.mfrPart,
                                    &line.orderCode})
            characters += text->size();
        for (const auto& other : line.others)
            characters += other.second.size();
        return characters;
    }
    static constexpr qsizetype kBatchCharacters = 200000;

    void insert(const QStringList& values, int table, int& counter)
    {
        Batch& batch = m_batches[table == AssyList ? 0 : table == PartList ? 1 : 2];
        batch.rows.push_back(values);
        batch.lines.push_back(m_line);
        batch.counters.push_back(&counter);
        batch.characters += m_characters;
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

    ImportFields m_fields;
    ImportOutcome& m_outcome;
    int m_line = 0;
    qsizetype m_characters = 0;
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

QString numberText(double value)
{
    return QString::number(value, 'g', 12);
}

} // namespace

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
    struct Keyword
    {
        const char* text;
        int group;
    };
    // The groups in the order they are tried: the last one that matches wins.
    static const std::array<QString, 8> categories{
        QStringLiteral("Assembly"), QStringLiteral("Component"), QStringLiteral("Bracket"), QStringLiteral("PCB"),
        QStringLiteral("Fastener"), QStringLiteral("Cable"),     QStringLiteral("Tools"),   QStringLiteral("Undefined")};
    static const Keyword keywords[] = {
        {"ASS", 0},
        {"CAP", 1}, {"RES", 1}, {"SMT", 1}, {"SOIC", 1}, {"SENSOR", 1}, {"LED", 1}, {"THERMISTOR", 1}, {"JACK", 1},
        {"PLUG", 1}, {"CONN", 1}, {"HEADER", 1}, {"CRYSTAL", 1}, {"MICRO", 1}, {"REF", 1}, {"BATTERY", 1},
        {"CHIP", 1}, {"INDUCT", 1},
        {"BRACK", 2},
        {"PCB", 3}, {"CCA", 3}, {"CIRCUIT CARD", 3}, {"PRINTED CIRCUIT", 3},
        {"SCREW", 4}, {"NUT", 4}, {"BOLT", 4}, {"STANDOFF", 4}, {"INSERT", 4}, {"RIVET", 4},
        {"CABLE", 5}, {"HARNESS", 5}, {"WIRE", 5},
        {"TOOL", 6}, {"SCREWDRIVER", 6}, {"WRENCH", 6},
    };
    // Per first letter the keywords that begin with it: one pass over the
    // description finds every group that matches.
    static const std::array<std::vector<const Keyword*>, 26> byLetter = [] {
        std::array<std::vector<const Keyword*>, 26> table;
        for (const Keyword& keyword : keywords)
            table[static_cast<size_t>(keyword.text[0] - 'A')].push_back(&keyword);
        return table;
    }();
    // The keywords are ASCII: the description is upper-cased in ASCII, a
    // character outside it standing as a byte no keyword holds, unless its
    // capital is an ASCII letter.
    const qsizetype n = description.size();
    std::array<char, 160> shortText;
    std::string longText;
    char* text = shortText.data();
    if (n > static_cast<qsizetype>(shortText.size())) {
        longText.resize(static_cast<size_t>(n));
        text = longText.data();
    }
    for (qsizetype i = 0; i < n; ++i) {
        char16_t u = description[i].unicode();
        if (u >= 0x80) {
            const char16_t upper = description[i].toUpper().unicode();
            u = upper < 0x80 ? upper : 0x80;
        } else if (u >= u'a' && u <= u'z') {
            u = static_cast<char16_t>(u - (u'a' - u'A'));
        }
        text[static_cast<size_t>(i)] = static_cast<char>(u);
    }
    int found = -1;
    const std::string_view all(text, static_cast<size_t>(n));
    for (size_t i = 0; i < all.size(); ++i) {
        const char c = all[i];
        if (c < 'A' || c > 'Z')
            continue;
        for (const Keyword* keyword : byLetter[static_cast<size_t>(c - 'A')])
            if (keyword->group > found && all.substr(i).starts_with(keyword->text))
                found = keyword->group;
    }
    return found < 0 ? categories.back() : categories[static_cast<size_t>(found)];
}

QString BillChangedText(const QString& assembly, const BillSnapshot& loaded, const BillSnapshot& now)
{
    // A stamp that did not move names an earlier change, not this one.
    if (now.user.isEmpty() || (now.user == loaded.user && now.time == loaded.time))
        return Translate(QStringLiteral("The lines of %1 were changed after they were read")).arg(assembly);
    return Translate(QStringLiteral("The lines of %1 were changed by %2 at %3 after they were read"))
        .arg(assembly, now.user, now.time);
}

ImportPreview PreviewImport(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                            const QString& assemblyName, const ImportOptions& options)
{
    const QString assembly = UpperCaseName(assemblyName.trimmed());
    ImportPreview preview;
    LineWalk walk(file, firstLine, columnTargets, assembly, options);
    preview.notes = walk.reader().notes();
    preview.existingLines = walk.existingLines();
    preview.bill = ReadBillSnapshot(assembly);
    QSet<QString> seen;
    walk.run(
        preview.warnings,
        [&](const ImportLine& line, bool newPart, const std::array<QString, 2>& vendors) {
            ++preview.lines;
            preview.pieces += line.pieces;
            preview.dnpLines += line.dnp ? 1 : 0;
            if (!line.partNumber.isEmpty() && !seen.contains(line.partNumber)) {
                seen.insert(line.partNumber);
                ++(newPart ? preview.newParts : preview.existingParts);
            }
            for (const QString& vendor : vendors)
                preview.newVendors += vendor.isEmpty() ? 0 : 1;
            if (static_cast<int>(preview.first.size()) < kPreviewLines) {
                preview.first.push_back(line);
                preview.first.back().detach();
            }
        },
        [&](int) { ++preview.scanned; });
    preview.refused = walk.reader().refused();
    return preview;
}

ImportOutcome ProcessImport(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                            const QString& assemblyName, const ImportProgress& progress, const ImportOptions& options)
{
    ImportOutcome outcome;
    const QString assembly = UpperCaseName(assemblyName.trimmed());
    if (assembly.isEmpty()) {
        ShowMessage(Translate(QStringLiteral("Error. Enter Assembly Name")), Translate(QStringLiteral("Import")));
        outcome.stored = false;
        return outcome;
    }
    // The three tables must exist before the first insert; the table the
    // caller had current is current again afterwards.
    const int previous = CurrentTable();
    for (int table : {AssyList, PartList, VendList})
        SelectTable(App().DataFolder, table);

    {
        Transaction transaction;
        LineWalk walk(file, firstLine, columnTargets, assembly, options);
        // Compared under the write lock: a repeat of an import whose outcome
        // was unknown, or the same file imported on two desks at once, must
        // not double the bill.
        if (!options.replace && !options.again && walk.existingLines() > 0
            && ImportRepeatsAssembly(file, firstLine, columnTargets, options.columnNames, assembly)) {
            transaction.fail();
            ShowMessage(ImportRepeatText(assembly) + QLatin1Char('\n') + Translate(QStringLiteral("Nothing was written.")),
                        Translate(QStringLiteral("Import")));
            outcome.stored = false;
            outcome.repeated = true;
            SelectTable(App().DataFolder, previous);
            return outcome;
        }
        // Two desks replacing one bill: the second must not put its lines
        // over the first's unseen. Compared under the write lock.
        if (options.replace && options.loadedBill.read) {
            bool read = true;
            const BillSnapshot now = ReadBillSnapshot(assembly, &read);
            if (read && now.digest != options.loadedBill.digest) {
                transaction.fail();
                transaction.commit();
                ShowMessage(BillChangedText(assembly, options.loadedBill, now) + QLatin1Char('\n')
                                + Translate(QStringLiteral("Nothing was written.")),
                            Translate(QStringLiteral("Import")));
                outcome.stored = false;
                outcome.stale = true;
                SelectTable(App().DataFolder, previous);
                return outcome;
            }
        }
        RowWriter writer(walk.reader().otherTargets(), outcome);
        ImportSourceCollector sources;
        if (options.replace && walk.existingLines() > 0) {
            if (!KeepRevisions({assembly}, importRevisionNote(file)))
                outcome.errors << LastErrorText();
            else if (DeleteBillLines(assembly))
                outcome.replaced = walk.existingLines();
            else
                outcome.errors << LastErrorText();
        }
        // Local time is looked up once a second, not once a line: each
        // look-up reads the time zone afresh.
        qint64 stampSecond = QDateTime::currentSecsSinceEpoch();
        QString stamp = TimestampText();
        // Records the import creates are engineering changes like any other:
        // the log says where a part or vendor came from.
        std::vector<ChangeEntry> created;
        const QString createdField = QStringLiteral("Created");
        if (!walk.partKnown(assembly)) {
            writer.assemblyPart(assembly, stamp);
            created.push_back({PartList, assembly, assembly, createdField, QString(), assembly});
        }
        walk.run(
            outcome.warnings,
            [&](const ImportLine& line, bool newPart, const std::array<QString, 2>& vendors) {
                const qint64 now = QDateTime::currentSecsSinceEpoch();
                if (now != stampSecond) {
                    stampSecond = now;
                    stamp = TimestampText();
                }
                writer.billLine(line, assembly, stamp);
                sources.add(line);
                if (newPart) {
                    writer.part(line, stamp);
                    created.push_back({PartList, line.partNumber, line.partNumber, createdField, QString(),
                                       line.partNumber});
                }
                for (const QString& vendor : vendors)
                    if (!vendor.isEmpty()) {
                        writer.vendor(vendor,
                                      vendor == UpperCaseName(line.manufacturer) ? "Manufacturer" : "Distributor",
                                      line.fileLine, stamp);
                        created.push_back({VendList, vendor, QString(), createdField, QString(), vendor});
                    }
            },
            [&](int r) {
                ++outcome.scanned;
                if (progress)
                    progress(outcome, file.endOf(r));
            });
        writer.finish();
        if (outcome.errors.isEmpty() && outcome.lines > 0 && !sources.store(&outcome.sources))
            outcome.errors << LastErrorText();
        if (outcome.errors.isEmpty() && outcome.lines > 0
            && !(LogBillChanges(assembly, walk.before()) && RecordChanges(created)))
            outcome.errors << LastErrorText();
        if (outcome.lines == 0 && outcome.errors.isEmpty()) {
            // A header and nothing under it, or lines that name no part: a
            // run that stores nothing is not a success.
            transaction.fail();
            outcome.stored = false;
            ShowMessage(Translate(QStringLiteral("The file holds no bill lines to import.")),
                        Translate(QStringLiteral("Import")));
        } else {
            if (!outcome.errors.isEmpty())
                transaction.fail();
            outcome.stored = transaction.commit();
            if (!outcome.stored && outcome.errors.isEmpty())
                outcome.errors << LastErrorText();
            if (!outcome.stored)
                reportFailures(outcome);
        }
    }
    if (!outcome.stored) {
        outcome.added = 0;
        outcome.vendors = 0;
        outcome.lines = 0;
        outcome.replaced = 0;
        outcome.sources = 0;
    } else {
        App().TreeRebuildFlag = true;
    }
    SelectTable(App().DataFolder, previous);
    return outcome;
}

QString ImportFileProblemText(const ImportFile& file, const ImportHeader& header)
{
    switch (file.problem()) {
    case ImportFileProblem::Empty:
        return Translate(QStringLiteral("The file is empty."));
    case ImportFileProblem::Spreadsheet:
        return Translate(QStringLiteral("The workbook cannot be read (damaged, or not xlsx, ods or xls): save it as CSV first."));
    case ImportFileProblem::Binary:
        return Translate(QStringLiteral("The file is not a text file."));
    case ImportFileProblem::None:
        break;
    }
    if (header.line < 0 || LocateImportData(file, header.line, -1).empty())
        return Translate(QStringLiteral("The file has a header but no lines under it."));
    return QString();
}

QString ImportSummaryText(const ImportHeader& header, const ImportMapping& mapping, const ImportPreview& preview,
                          const QString& assemblyName, bool replace)
{
    const QString assembly = UpperCaseName(assemblyName.trimmed());
    QStringList out;
    const auto label = [](const char* text) { return Translate(QLatin1String(text)); };
    out << Format("%s %s", {TranslateLabel(QStringLiteral("Assembly Name:")), assembly});
    out << Format("%s %i", {TranslateLabel(QStringLiteral("Header line:")), header.fileLine});
    out << TranslateLabel(QStringLiteral("Columns:"));
    const QStringList targets = header.targetNames(mapping);
    int unused = 0;
    for (int c = 0; c < header.fields.size(); ++c) {
        const QString target = targets.value(c);
        const QString reason = header.reasons.value(c);
        if (target.isEmpty() && reason.isEmpty()) {
            ++unused;
            continue;
        }
        QString text = Format("  %i \"%s\" -> %s", {c + 1, header.fields[c],
                                                  target.isEmpty() ? label("Not Used") : Translate(target)});
        if (!reason.isEmpty())
            text += QStringLiteral(" (") + reason + QLatin1Char(')');
        out << text;
    }
    if (unused > 0)
        out << Format("  %s %i", {TranslateLabel(QStringLiteral("Columns not used:")), unused});
    for (const QString& note : header.notes + preview.notes)
        if (!out.contains(QStringLiteral("  ") + note))
            out << QStringLiteral("  ") + note;
    out << Format("%s %i, %s %s, %s %i", {TranslateLabel(QStringLiteral("Lines:")), preview.lines,
                                          TranslateLabel(QStringLiteral("pieces:")), numberText(preview.pieces),
                                          TranslateLabel(QStringLiteral("DNP lines:")), preview.dnpLines});
    if (preview.refused > 0)
        out << Format("%s %i", {TranslateLabel(QStringLiteral("Lines refused:")), preview.refused});
    out << Format("%s %i, %s %i, %s %i", {TranslateLabel(QStringLiteral("New parts:")), preview.newParts,
                                          TranslateLabel(QStringLiteral("existing parts:")), preview.existingParts,
                                          TranslateLabel(QStringLiteral("new vendors:")), preview.newVendors});
    if (preview.existingLines > 0)
        out << Format(qPrintable(Translate(replace ? QStringLiteral("%s has %i lines: they are replaced")
                                                   : QStringLiteral("%s has %i lines: the new lines are added"))),
                      {assembly, preview.existingLines});
    if (!preview.first.empty()) {
        out << TranslateLabel(QStringLiteral("First lines:"));
        for (const ImportLine& line : preview.first)
            out << Format("  %s | %s | %s | %s | %s",
                          {line.item, line.partNumber, line.quantity, line.designators, line.notes});
    }
    if (!preview.warnings.isEmpty()) {
        out << Format("%s %i", {TranslateLabel(QStringLiteral("Warnings:")), static_cast<int>(preview.warnings.size())});
        for (const QString& warning : preview.warnings)
            out << QStringLiteral("  ") + warning;
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString ImportAddedMeaning(const ImportOutcome& outcome)
{
    const int parts = std::max(0, outcome.added - outcome.lines);
    return QString::number(outcome.lines) + QLatin1Char(' ')
           + Translate(outcome.lines == 1 ? QStringLiteral("line") : QStringLiteral("lines")) + QStringLiteral(", ")
           + QString::number(parts) + QLatin1Char(' ')
           + Translate(parts == 1 ? QStringLiteral("new part") : QStringLiteral("new parts"));
}

QString ImportSheetsText(const ImportFile& file)
{
    if (file.sheets().empty())
        return QString();
    QStringList out;
    out << TranslateLabel(QStringLiteral("Sheets:"));
    for (int i = 0; i < static_cast<int>(file.sheets().size()); ++i) {
        const ImportSheetInfo& sheet = file.sheets()[static_cast<size_t>(i)];
        QString text = Format("  %s\"%s\", %i %s", {i == file.sheet() ? QStringLiteral("* ") : QStringLiteral("  "), sheet.name,
                                                   sheet.rows, Translate(QStringLiteral("rows"))});
        if (sheet.hidden)
            text += QStringLiteral(" (") + Translate(QStringLiteral("hidden")) + QLatin1Char(')');
        out << text;
    }
    for (const QString& note : file.readingNotes())
        out << QStringLiteral("  ") + note;
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
