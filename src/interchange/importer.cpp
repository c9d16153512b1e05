#include "interchange/importer.h"

#include "app/appstate.h"
#include "app/dictionary.h"
#include "app/format.h"
#include "app/userinterface.h"
#include "app/utilities.h"
#include "db/database.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSet>
#include <array>

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
    int manufacturer = -1, distributor = -1, make = -1, currency = -1, vendor = -1;

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
    }

    // An empty row with the line's mapped values and the user's stamp.
    QStringList row(const QStringList& lineValues, const QString& stampText) const
    {
        QStringList values;
        for (int i = 0; i < fieldCount; ++i)
            values << QString();
        for (size_t c = 0; c < columnField.size(); ++c)
            if (columnField[c] >= 0 && static_cast<qsizetype>(c) < lineValues.size())
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

private:
    bool insert(const QStringList& values, int table)
    {
        InsertRow(values, table);
        if (LastResultCode() == 0)
            return true;
        m_outcome.errors << Format("%s %i: %s", {Translate(QStringLiteral("Line")), m_lineNumber, LastErrorText()});
        return false;
    }

    void importBomLine(const QStringList& lineValues, const QString& stamp)
    {
        QStringList values = m_bom.row(lineValues, stamp);
        setField(values, m_bom.assy, m_assembly);
        if (!fieldValue(values, m_bom.assy).isEmpty() && !fieldValue(values, m_bom.part).isEmpty()
            && insert(values, AssyList))
            ++m_outcome.added;
    }

    void importPart(const QStringList& lineValues, const QString& stamp)
    {
        QStringList values = m_parts.row(lineValues, stamp);
        const QString description = fieldValue(values, m_parts.desc);
        if (!description.isEmpty())
            setField(values, m_parts.category, GuessCategory(description));
        for (int field : {m_parts.part, m_parts.manufacturer, m_parts.distributor})
            setField(values, field, fieldValue(values, field).toUpper());
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
        if (insert(values, PartList)) {
            m_knownParts.insert(part);
            ++m_outcome.added;
        }
    }

    void importVendors(const QStringList& lineValues, const QString& stamp)
    {
        QStringList values = m_vendors.row(lineValues, stamp);
        for (const QString& name : {m_manufacturer, m_distributor}) {
            if (name.isEmpty())
                continue;
            if (m_knownVendors.contains(name))
                continue;
            setField(values, m_vendors.vendor, name.toUpper());
            if (insert(values, VendList)) {
                m_knownVendors.insert(name);
                ++m_outcome.vendors;
            }
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
    int m_lineNumber = 0;
    qint64 m_stampSecond = -1;
    QString m_stamp;
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

int CountKeywordHits(const ImportMapping& mapping, const QStringList& values)
{
    // No value holds a line end, so a keyword is inside one of the values
    // exactly when it is inside their line-end-joined text.
    const QString joined = values.join(QLatin1Char('\n'));
    int hits = 0;
    for (const ImportTarget& line : mapping.lines)
        for (const QString& keyword : line.keywords)
            if (joined.contains(keyword))
                ++hits;
    return hits;
}

ImportHeader FindImportHeader(const ImportFile& file, const ImportMapping& mapping)
{
    ImportHeader header;
    int bestHits = 0;
    qsizetype bestValues = 0;
    for (int i = 0; i < file.lineCount(); ++i) {
        if (file.line(i).isEmpty())
            continue;
        const QStringList values = SplitImportLine(file.line(i));
        const int hits = CountKeywordHits(mapping, values);
        const bool better = bestHits > 0 ? hits > bestHits : (hits > 0 || values.size() > bestValues);
        if (header.line < 0 || better) {
            header.line = i;
            header.fields = values;
            bestHits = hits;
            bestValues = values.size();
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
    const QString text = description.toUpper();
    QString category = QStringLiteral("Undefined");
    for (const Group& group : groups)
        for (const char* keyword : group.keywords)
            if (text.contains(QLatin1String(keyword))) {
                category = QLatin1String(group.category);
                break;
            }
    return category;
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
            if (!file.line(i).isEmpty()) {
                const QStringList values = SplitImportLine(file.line(i));
                importer.import(values, i + 1);
            }
            ++outcome.scanned;
            if (progress)
                progress(outcome, file.endOf(i));
        }
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
