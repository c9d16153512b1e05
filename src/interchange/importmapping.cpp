#include "interchange/importmapping.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/tabledefs.h"
#include "core/userinterface.h"
#include "interchange/importfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <array>

namespace {

constexpr int kKeywordsPerTarget = 5;

// A header as one line: a spreadsheet that wraps "Manufacturer Part Number"
// over two lines means the same words.
QString singleLine(const QString& header)
{
    for (const QChar c : header)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            return header.simplified();
    return header;
}

// A heading as compared across languages: lower case, single spaces, without
// a trailing colon or a unit in brackets ("Menge [Stk.]" is "menge").
QString comparable(const QString& text)
{
    QString t = text;
    const qsizetype bracket = t.indexOf(QRegularExpression(QStringLiteral("[\\[(]")));
    if (bracket > 0)
        t.truncate(bracket);
    t = t.simplified().toLower();
    while (t.endsWith(QLatin1Char(':')) || t.endsWith(QLatin1Char('.')))
        t.chop(1);
    return t;
}

// The phrases of every other language the dictionary knows, back to the
// English phrase the keywords are written in: a German "Hersteller" column
// is the manufacturer's as surely as "Manufacturer". Short words and
// phrases of more than three words are left out; they are no headings.
const QHash<QString, QString>& phrasesOfOtherLanguages()
{
    static QString folder;
    static QHash<QString, QString> phrases;
    static bool read = false;
    if (read && folder == App().ProgramFolder)
        return phrases;
    read = true;
    folder = App().ProgramFolder;
    phrases.clear();
    QFile file(folder + QStringLiteral("Dictionary.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return phrases;
    const QByteArray bytes = file.readAll();
    const int languages = ParseDictionary(bytes, 0).languageCount;
    for (int language = 1; language < languages; ++language) {
        const Dictionary d = ParseDictionary(bytes, language);
        for (qsizetype i = 0; i < d.keyPhrases.size() && i < d.selectedPhrases.size(); ++i) {
            const QString word = comparable(d.selectedPhrases[i]);
            if (word.size() < 4 || word.count(QLatin1Char(' ')) > 2 || word == comparable(d.keyPhrases[i]))
                continue;
            // The first phrase in the file wins, as in a translation.
            if (!phrases.contains(word))
                phrases.insert(word, d.keyPhrases[i]);
        }
    }
    return phrases;
}

int matchKeywords(const ImportMapping& mapping, const QString& text, Qt::CaseSensitivity sensitivity = Qt::CaseSensitive)
{
    int match = -1;
    for (int i = 0; i < static_cast<int>(mapping.lines.size()); ++i)
        for (const QString& keyword : mapping.lines[static_cast<size_t>(i)].keywords)
            if (text.contains(keyword, sensitivity)) {
                match = i;
                break;
            }
    return match;
}

// The first field of a table whose heading contains text, ignoring case.
QString headingContaining(const TableDefinition& definition, const QString& text)
{
    for (int i = 0; i < definition.fieldCount; ++i)
        if (definition.headings[i].contains(text, Qt::CaseInsensitive))
            return definition.headings[i];
    return QString();
}

} // namespace

QString ImportMapping::choices() const
{
    // A target recognised by several lines of keywords is offered once.
    QString list = QStringLiteral("DROP/Not Used");
    QStringList offered;
    for (const ImportTarget& line : lines)
        if (!offered.contains(line.target)) {
            offered << line.target;
            list += QLatin1Char('/') + line.target;
        }
    return list;
}

int ImportMapping::lineOfRole(int role) const
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (RoleOfTarget(lines[i].target) == role)
            return static_cast<int>(i);
    return -1;
}

QString ImportMappingPath()
{
    return App().ProgramFolder + QStringLiteral("import.def");
}

ImportMapping ParseImportMapping(const QString& text)
{
    ImportMapping mapping;
    ImportFile file;
    file.setText(text, QLatin1Char(','));
    for (int i = 0; i < file.lineCount(); ++i) {
        if (file.blank(i))
            continue;
        const QStringList values = file.values(i);
        if (values.value(0).isEmpty())
            continue;
        ImportTarget target{values[0], {}};
        for (int k = 1; k <= kKeywordsPerTarget && k < values.size() && !values[k].isEmpty(); ++k)
            target.keywords << values[k];
        mapping.lines.push_back(target);
    }
    return mapping;
}

ImportMapping LoadImportMapping(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        ShowMessage(Translate(QStringLiteral("Dump Array File: Missing File")));
        return {};
    }
    return ParseImportMapping(DecodeImportBytes(file.readAll()));
}

int MatchImportTarget(const ImportMapping& mapping, const QString& header)
{
    const QString text = singleLine(header);
    const int match = matchKeywords(mapping, text);
    if (match >= 0)
        return match;
    // A heading in another language: its English phrase, then the keywords,
    // in any case (the phrase may be a sentence's "manufacturer part number").
    const auto english = phrasesOfOtherLanguages().constFind(comparable(text));
    return english == phrasesOfOtherLanguages().constEnd() ? -1
                                                           : matchKeywords(mapping, english.value(), Qt::CaseInsensitive);
}

ImportRole RoleOfTarget(const QString& target)
{
    const QString name = target.trimmed();
    if (name.isEmpty())
        return RoleNone;
    const auto is = [&name](const char* text) { return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0; };
    if (is("Value"))
        return RoleValue;
    if (is("Symbol"))
        return RoleSymbol;
    if (is("Footprint"))
        return RoleFootprint;
    if (is("DNP"))
        return RoleDoNotPopulate;

    // The field the target names, first in the bill table, then in the part
    // table, as the import fills them. Without loaded definitions (a reader
    // used on its own) the shipped headings stand in.
    static const TableDefinition shippedBill = [] {
        TableDefinition d;
        const std::array<const char*, 9> headings{"Err", "Assy", "Item", "Part #", "Quan", "Ref Des",
                                                  "Notes", "User", "Time Stamp"};
        for (const char* h : headings)
            d.headings[d.fieldCount++] = QLatin1String(h);
        return d;
    }();
    static const TableDefinition shippedParts = [] {
        TableDefinition d;
        const std::array<const char*, 9> headings{"Err", "Part #", "Internal #", "Description", "Category",
                                                  "Make", "Manufacturer", "Mfr Part #", "Distributor"};
        for (const char* h : headings)
            d.headings[d.fieldCount++] = QLatin1String(h);
        d.headings[d.fieldCount++] = QStringLiteral("Order Code");
        return d;
    }();
    const TableDefinition& bill = App().tables[AssyList].fieldCount > 0 ? App().tables[AssyList] : shippedBill;
    const TableDefinition& parts = App().tables[PartList].fieldCount > 0 ? App().tables[PartList] : shippedParts;

    const QString billField = headingContaining(bill, name);
    if (!billField.isEmpty()) {
        if (billField.compare(QLatin1String("Item"), Qt::CaseInsensitive) == 0)
            return RoleItem;
        if (billField.compare(QLatin1String("Quan"), Qt::CaseInsensitive) == 0)
            return RoleQuantity;
        if (billField.compare(QLatin1String("Ref Des"), Qt::CaseInsensitive) == 0)
            return RoleDesignators;
        if (billField.compare(QLatin1String("Notes"), Qt::CaseInsensitive) == 0)
            return RoleNotes;
        if (billField.compare(QLatin1String("Part #"), Qt::CaseInsensitive) == 0)
            return RolePartNumber;
    }
    const QString partField = headingContaining(parts, name);
    const auto field = [&partField](const char* text) {
        return partField.compare(QLatin1String(text), Qt::CaseInsensitive) == 0;
    };
    if (field("Part #"))
        return RolePartNumber;
    if (field("Mfr Part #"))
        return RoleMfrPart;
    if (field("Order Code"))
        return RoleOrderCode;
    if (field("Description"))
        return RoleDescription;
    if (field("Manufacturer"))
        return RoleManufacturer;
    if (field("Distributor"))
        return RoleDistributor;
    return RoleOther;
}
