#include "interchange/importlines.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/uppercase.h"
#include "core/utilities.h"
#include "interchange/importvalues.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kSampleRecords = 200;

// "Component Count:,47", "Collated Components:", "BoM Date:,..." : a label
// ending in a colon and at most one value, above, between or below tables.
bool isLabelLine(const ImportCells& cells)
{
    int filled = 0;
    QStringView first;
    for (const QStringView cell : cells.cells) {
        const QStringView t = cell.trimmed();
        if (t.isEmpty())
            continue;
        if (filled++ == 0)
            first = t;
    }
    return filled > 0 && filled <= 2 && first.endsWith(QLatin1Char(':'));
}

// Part numbers are codes: one word of letters and digits.
bool looksLikePartNumber(QStringView text)
{
    if (text.size() < 4)
        return false;
    bool letter = false, digit = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            return false;
        letter = letter || c.isLetter();
        digit = digit || c.isDigit();
    }
    return letter && digit;
}

QString lineRange(const ImportFile& file, const std::vector<int>& block)
{
    return Format("%i-%i", {file.fileLine(block.front()), file.fileLine(block.back())});
}

QString singleLineName(QStringView name)
{
    return name.toString().simplified();
}

} // namespace

QString SupplierOfHeader(const QString& header)
{
    QString key;
    for (const QChar c : header)
        if (c.isLetterOrNumber())
            key += c.toUpper();
    struct Supplier
    {
        const char* prefix;
        const char* name;
    };
    static const Supplier suppliers[] = {
        {"LCSC", "LCSC"},     {"JLCPCB", "JLCPCB"}, {"JLC", "JLCPCB"},       {"DIGIKEY", "DIGI-KEY"},
        {"MOUSER", "MOUSER"}, {"FARNELL", "FARNELL"}, {"NEWARK", "NEWARK"}, {"ARROW", "ARROW"},
        {"TME", "TME"},       {"REICHELT", "REICHELT"}, {"RSCOMPONENTS", "RS"},
    };
    for (const Supplier& s : suppliers)
        if (key.startsWith(QLatin1String(s.prefix)))
            return QLatin1String(s.name);
    // "OC_FARNELL", "Order code Mouser": a longer name anywhere in the header.
    for (const Supplier& s : suppliers)
        if (qstrlen(s.prefix) >= 5 && key.contains(QLatin1String(s.prefix)))
            return QLatin1String(s.name);
    return QString();
}

QString SupplierOfCode(QStringView code)
{
    static const QRegularExpression lcsc(QStringLiteral("^C\\d{3,9}$"));
    static const QRegularExpression digikey(QStringLiteral("^[0-9A-Z][0-9A-Z./+#-]*-ND$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression mouser(QStringLiteral("^\\d{2,3}-[0-9A-Z./+#-]*[A-Z][0-9A-Z./+#-]*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QString text = code.trimmed().toString();
    if (lcsc.match(text).hasMatch())
        return QStringLiteral("LCSC");
    if (digikey.match(text).hasMatch())
        return QStringLiteral("DIGI-KEY");
    if (mouser.match(text).hasMatch())
        return QStringLiteral("MOUSER");
    return QString();
}

std::vector<int> LocateImportData(const ImportFile& file, int headerLine, int designatorColumn, QStringList* notes,
                                  size_t limit)
{
    size_t found = 0;
    const QStringView header = headerLine >= 0 ? file.lineView(headerLine).trimmed() : QStringView();
    std::vector<std::vector<int>> blocks(1);
    ImportCells cells;
    for (int r = std::max(headerLine + 1, 0); r < file.lineCount() && (limit == 0 || found < limit); ++r) {
        if (file.blank(r))
            continue;
        const QStringView text = file.lineView(r);
        // A header again: a page break, or the same bill a second time.
        if (!header.isEmpty() && text.size() >= header.size() && text.trimmed() == header) {
            if (!blocks.back().empty())
                blocks.emplace_back();
            continue;
        }
        if (text.contains(QLatin1Char(':'))) {
            SplitImportCells(text, file.delimiter(), cells);
            if (isLabelLine(cells))
                continue;
        }
        blocks.back().push_back(r);
        ++found;
    }
    if (blocks.back().empty())
        blocks.pop_back();
    if (blocks.size() > 1 && designatorColumn >= 0) {
        // The designators of each table, as a set.
        std::vector<QSet<QString>> named(blocks.size());
        for (size_t b = 0; b < blocks.size(); ++b)
            for (int r : blocks[b]) {
                SplitImportCells(file.lineView(r), file.delimiter(), cells);
                const DesignatorList list = ParseDesignators(CleanCell(cells.at(designatorColumn)));
                if (list.understood)
                    for (const QString& d : list.text.split(QLatin1Char(',')))
                        named[b].insert(d);
            }
        std::vector<size_t> kept;
        for (size_t b = 0; b < blocks.size(); ++b) {
            auto same = std::find_if(kept.begin(), kept.end(), [&](size_t k) {
                return !named[b].isEmpty() && named[k] == named[b];
            });
            if (same == kept.end()) {
                kept.push_back(b);
                continue;
            }
            // The same bill twice: the grouped table has fewer rows.
            const size_t left = blocks[b].size() < blocks[*same].size() ? *same : b;
            if (notes)
                *notes << Format(qPrintable(Translate(QStringLiteral(
                                     "Lines %s repeat the designators of another table: left out"))),
                                 {lineRange(file, blocks[left])});
            if (left == *same)
                *same = b;
        }
        std::sort(kept.begin(), kept.end());
        std::vector<std::vector<int>> chosen;
        for (size_t k : kept)
            chosen.push_back(std::move(blocks[k]));
        blocks = std::move(chosen);
    }
    std::vector<int> records;
    for (const std::vector<int>& block : blocks)
        records.insert(records.end(), block.begin(), block.end());
    return records;
}

ImportLineReader::ImportLineReader(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                                   const QStringList& columnNames)
    : m_file(file), m_columns(RoleOther + 1)
{
    QStringList names = columnNames;
    if (names.isEmpty() && firstLine > 0)
        names = file.values(firstLine - 1);
    collectColumns(columnTargets, names);
    const int designators = m_columns[RoleDesignators].empty() ? -1 : m_columns[RoleDesignators].front();
    m_records = LocateImportData(file, firstLine - 1, designators, &m_notes);
    sampleColumns();
    shareGroupNumbers();
}

QString ImportLineReader::groupKey() const
{
    const QStringView value = first(RoleValue);
    const QStringView symbol = first(RoleSymbol);
    if (value.isEmpty() && symbol.isEmpty())
        return QString();
    return value.toString() + QChar(0x1F) + symbol.toString() + QChar(0x1F) + WithoutLibrary(first(RoleFootprint)).toString();
}

void ImportLineReader::shareGroupNumbers()
{
    // One row per reference, with the part number only on the last row of
    // each group (as hand-sorted lists carry it): the rows of the same
    // value, symbol and footprint are the same part, and take the number
    // the group gives, when it gives exactly one.
    if (m_columns[RoleMfrPart].empty() && m_columns[RolePartNumber].empty())
        return;
    if (m_columns[RoleValue].empty() && m_columns[RoleSymbol].empty())
        return;
    bool missing = false;
    QHash<QString, QString> numbers;
    for (int r : m_records) {
        SplitImportCells(m_file.lineView(r), m_file.delimiter(), m_cells);
        const QString key = groupKey();
        if (key.isEmpty())
            continue;
        QStringView number = first(RoleMfrPart);
        if (number.isEmpty())
            number = first(RolePartNumber);
        if (number.isEmpty()) {
            missing = true;
            continue;
        }
        const auto found = numbers.constFind(key);
        if (found == numbers.constEnd())
            numbers.insert(key, number.toString());
        else if (*found != number)
            numbers[key] = QString(); // two parts share it: no guess
    }
    if (missing)
        m_groupNumbers = std::move(numbers);
}

void ImportLineReader::collectColumns(const QStringList& columnTargets, const QStringList& names)
{
    // Within a role the shortest header speaks most plainly ("MPN" before
    // "MPN2", "Price Each" before "Extended Price"); a nameless column last.
    const auto weight = [&names](int column) {
        const QString name = singleLineName(names.value(column));
        return name.isEmpty() ? 10000 : static_cast<int>(name.size());
    };
    std::vector<int> order(static_cast<size_t>(columnTargets.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return weight(a) < weight(b); });

    // Order numbers: LCSC and JLCPCB first, the numbers the assembly house
    // places by, then the other suppliers.
    std::vector<int> houses;
    std::vector<int> otherCodes;
    for (int c : order) {
        const QString& target = columnTargets[c];
        const ImportRole role = RoleOfTarget(target);
        if (role == RoleNone)
            continue;
        if (role == RoleOther) {
            qsizetype index = m_otherTargets.indexOf(target);
            if (index < 0) {
                index = m_otherTargets.size();
                m_otherTargets << target;
            }
            m_otherColumns.emplace_back(c, static_cast<int>(index));
            continue;
        }
        if (role == RoleOrderCode) {
            const QString supplier = SupplierOfHeader(singleLineName(names.value(c)));
            (supplier == QLatin1String("LCSC") || supplier == QLatin1String("JLCPCB") ? houses : otherCodes)
                .push_back(c);
            continue;
        }
        m_columns[role].push_back(c);
    }
    m_columns[RoleOrderCode] = houses;
    m_columns[RoleOrderCode].insert(m_columns[RoleOrderCode].end(), otherCodes.begin(), otherCodes.end());
    for (int c : m_columns[RoleOrderCode])
        m_orderCodeSuppliers.push_back(SupplierOfHeader(singleLineName(names.value(c))));
    std::stable_sort(m_otherColumns.begin(), m_otherColumns.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
}

void ImportLineReader::sampleColumns()
{
    // Which unmapped columns hold part numbers: a "Leave empty" there means
    // "no alternative part", not "do not fit".
    std::vector<int> mapped;
    for (const std::vector<int>& columns : m_columns)
        mapped.insert(mapped.end(), columns.begin(), columns.end());
    for (const auto& other : m_otherColumns)
        mapped.push_back(other.first);
    std::vector<int> filled, codes;
    const size_t sample = std::min<size_t>(m_records.size(), kSampleRecords);
    for (size_t i = 0; i < sample; ++i) {
        SplitImportCells(m_file.lineView(m_records[i]), m_file.delimiter(), m_cells);
        if (!m_columns[RoleDesignators].empty()) {
            const DesignatorList list =
                ParseDesignators(CleanCell(m_cells.at(m_columns[RoleDesignators].front())), false);
            m_designatorsPerPiece = m_designatorsPerPiece || (list.understood && list.count > 1);
        }
        if (filled.size() < m_cells.size()) {
            filled.resize(m_cells.size(), 0);
            codes.resize(m_cells.size(), 0);
        }
        for (size_t c = 0; c < m_cells.size(); ++c) {
            const QStringView v = CleanCell(m_cells.cells[c]);
            if (v.isEmpty() || IsDoNotPopulate(v))
                continue;
            ++filled[c];
            codes[c] += looksLikePartNumber(v) ? 1 : 0;
        }
    }
    for (size_t c = 0; c < filled.size(); ++c)
        if (codes[c] * 2 > filled[c] && std::find(mapped.begin(), mapped.end(), static_cast<int>(c)) == mapped.end())
            m_alternativeColumns.push_back(static_cast<int>(c));
}

void ImportLine::detach()
{
    for (QString* text : {&item, &partNumber, &quantity, &designators, &notes, &description, &manufacturer,
                          &distributor, &mfrPart, &orderCode})
        *text = QString(text->constData(), text->size());
    for (auto& other : others)
        other.second = QString(other.second.constData(), other.second.size());
}

QString ImportLineReader::keep(QStringView text) const
{
    const QString& whole = m_file.text();
    if (!text.isEmpty() && text.data() >= whole.constData() && text.data() + text.size() <= whole.constData() + whole.size())
        return QString::fromRawData(text.data(), text.size());
    return text.toString();
}

QStringView ImportLineReader::first(int role) const
{
    // A placeholder ("ANY", "TBD", "-- mixed values --") names nothing: the
    // next column of the role, or the next role, speaks for the line. A
    // count or a designator list is read as it stands, to be refused or
    // counted there.
    const bool skipPlaceholders = role != RoleQuantity && role != RoleDesignators && role != RoleItem;
    for (int c : m_columns[static_cast<size_t>(role)]) {
        const QStringView v = CleanCell(m_cells.at(c));
        if (!v.isEmpty() && !IsDoNotPopulate(v) && !(skipPlaceholders && IsPlaceholder(v)))
            return v;
    }
    return {};
}

bool ImportLineReader::read(int record, ImportLine& line, QStringList& warnings)
{
    SplitImportCells(m_file.lineView(record), m_file.delimiter(), m_cells);
    line = ImportLine();
    line.fileLine = m_file.fileLine(record);
    const auto warn = [&](const QString& text) {
        warnings << Format("%s %i: %s", {Translate(QStringLiteral("Line")), line.fileLine, text});
    };

    // Not fitted: a mark in a DNP column, or a "DNP" in any other cell but
    // those of unmapped part-number columns.
    for (int c : m_columns[RoleDoNotPopulate])
        line.dnp = line.dnp || IsDoNotPopulateMark(m_cells.at(c));
    for (size_t c = 0; c < m_cells.size() && !line.dnp; ++c)
        if (IsDoNotPopulate(m_cells.cells[c])
            && std::find(m_alternativeColumns.begin(), m_alternativeColumns.end(), static_cast<int>(c))
                   == m_alternativeColumns.end())
            line.dnp = true;

    // The part number: the most specific identifier the line has.
    QStringView mfrPart = first(RoleMfrPart);
    const QStringView ownNumber = first(RolePartNumber);
    QString groupNumber; // outlives the view taken of it
    if (mfrPart.isEmpty() && ownNumber.isEmpty() && !m_groupNumbers.isEmpty()) {
        groupNumber = m_groupNumbers.value(groupKey());
        mfrPart = groupNumber;
    }
    QStringView orderCode;
    QString supplier;
    for (size_t k = 0; k < m_columns[RoleOrderCode].size() && orderCode.isEmpty(); ++k) {
        const QStringView v = CleanCell(m_cells.at(m_columns[RoleOrderCode][k]));
        if (!v.isEmpty() && !IsDoNotPopulate(v) && !IsPlaceholder(v)) {
            orderCode = v;
            supplier = m_orderCodeSuppliers[k];
        }
    }
    const QStringView value = first(RoleValue);
    const QStringView footprint = WithoutLibrary(first(RoleFootprint));
    const QStringView symbol = WithoutLibrary(first(RoleSymbol));
    const QStringView description = first(RoleDescription);
    QString partNumber;
    bool fromValue = false;
    if (!mfrPart.isEmpty()) {
        partNumber = keep(mfrPart);
    } else if (!ownNumber.isEmpty()) {
        partNumber = keep(ownNumber);
    } else if (!orderCode.isEmpty()) {
        partNumber = keep(orderCode);
    } else if (!value.isEmpty() || !symbol.isEmpty()) {
        // A value is a part only with its footprint: a 10k in 0402 and a 10k
        // in 0603 are two parts to buy.
        const QStringView name = value.isEmpty() ? symbol : value;
        partNumber = name.toString();
        if (!footprint.isEmpty() && !name.contains(footprint, Qt::CaseInsensitive))
        {
            partNumber += QLatin1Char(' ');
            partNumber += footprint;
        }
        fromValue = true;
    } else if (!description.isEmpty() && !line.dnp) {
        // A line not fitted that names no part is kept without a number;
        // a fitted one is bought by its description.
        partNumber = keep(description);
        warn(Translate(QStringLiteral("no part number; the description stands for it")));
    }
    line.partNumber = UpperCaseName(partNumber);

    // Quantity and designators.
    const QStringView designatorText = CleanCell(first(RoleDesignators));
    const DesignatorList designators = ParseDesignators(designatorText, false);
    line.designators = designators.rewritten ? designators.text : keep(designatorText);
    const QStringView quantity = first(RoleQuantity);
    double pieces = 0;
    if (!quantity.isEmpty()) {
        QString plain;
        const bool number = ReadLocaleQuantity(quantity, &pieces, &plain);
        line.quantity = number && plain != quantity ? plain : keep(quantity);
        if (!number && !line.dnp) {
            // A quantity nobody can be sure of is never guessed at: the
            // line is left out and the preview counts it as refused.
            warn(Format(qPrintable(Translate(QStringLiteral("quantity \"%s\" is not a plain number: line left out"))),
                        {line.quantity}));
            ++m_refused;
            return false;
        }
        if (number) {
            if (designators.understood && designators.count != pieces && !line.dnp && m_designatorsPerPiece)
                warn(designators.count == 1
                         ? Format(qPrintable(Translate(QStringLiteral("quantity %s, but 1 designator (%s)"))),
                                  {line.quantity, line.designators})
                         : Format(qPrintable(Translate(QStringLiteral("quantity %s, but %i designators (%s)"))),
                                  {line.quantity, designators.count, line.designators}));
        }
    } else if (designators.understood) {
        pieces = designators.count;
        line.quantity = QString::number(designators.count);
    } else if (!line.dnp && !line.partNumber.isEmpty()) {
        warn(Translate(QStringLiteral("no quantity and no designators to count")));
    }
    line.pieces = line.dnp ? 0 : pieces;

    // Notes of every notes column, and the mark of a line not fitted.
    QStringList notes;
    for (int c : m_columns[RoleNotes]) {
        const QStringView v = CleanCell(m_cells.at(c));
        if (!v.isEmpty() && !IsDoNotPopulate(v) && !notes.contains(v.toString()))
            notes << v.toString();
    }
    if (line.dnp) {
        notes.prepend(QStringLiteral("DNP"));
        line.quantity = QStringLiteral("0");
    }
    line.notes = notes.join(QStringLiteral("; "));

    if (line.partNumber.isEmpty() && !line.dnp) {
        if (!designatorText.isEmpty() || !quantity.isEmpty())
            warn(Translate(QStringLiteral("names no part and is left out")));
        return false;
    }

    const QStringView item = first(RoleItem);
    double itemNumber = 0;
    if (ReadQuantity(item, &itemNumber) && itemNumber >= 1 && itemNumber == static_cast<int>(itemNumber))
        line.item = keep(item);

    line.description = keep(description);
    if (fromValue) {
        // Parts named by their value are told apart by it: the description
        // says the value (and the package) where the file's does not.
        const QStringView name = value.isEmpty() ? symbol : value;
        if (line.description.isEmpty()) {
            const QString package = footprint.isEmpty() ? QString() : PackageOfFootprint(footprint);
            line.description = package.isEmpty() || name.contains(package, Qt::CaseInsensitive)
                ? name.toString() : name.toString() + QLatin1Char(' ') + package;
        } else if (LooksLikeComponentValue(name) && !line.description.contains(name, Qt::CaseInsensitive)) {
            line.description = name.toString() + QLatin1Char(' ') + line.description;
        }
    } else if (line.description.isEmpty()) {
        // What the file says about the part besides its number: its value
        // and footprint, when those are not the number itself.
        QStringList about;
        for (const QStringView v : {value, footprint})
            if (!v.isEmpty() && !line.partNumber.contains(UpperCaseName(v.toString())))
                about << v.toString();
        line.description = about.join(QLatin1Char(' '));
    }
    line.manufacturer = keep(first(RoleManufacturer));
    line.distributor = supplier.isEmpty() ? keep(first(RoleDistributor)) : supplier;
    line.mfrPart = keep(mfrPart);
    line.orderCode = keep(orderCode);
    // Each order number with its vendor: the one its heading names, else the
    // line's distributor, else the one its shape gives away.
    line.supplierCodes.clear();
    for (size_t k = 0; k < m_columns[RoleOrderCode].size(); ++k) {
        const QStringView v = CleanCell(m_cells.at(m_columns[RoleOrderCode][k]));
        if (v.isEmpty() || IsDoNotPopulate(v) || IsPlaceholder(v))
            continue;
        QString vendor = m_orderCodeSuppliers[k];
        if (vendor.isEmpty())
            vendor = first(RoleDistributor).toString();
        if (vendor.isEmpty())
            vendor = SupplierOfCode(v);
        if (const QString known = SupplierOfHeader(vendor); !known.isEmpty())
            vendor = known; // "Digikey" in a Supplier column is DIGI-KEY
        if (!vendor.isEmpty())
            line.supplierCodes.emplace_back(UpperCaseName(vendor), v.toString());
    }
    int lastTarget = -1;
    for (const auto& [column, target] : m_otherColumns) {
        if (target == lastTarget)
            continue;
        const QStringView v = CleanCell(m_cells.at(column));
        if (v.isEmpty())
            continue;
        line.others.emplace_back(target, keep(v));
        lastTarget = target;
    }
    return true;
}
