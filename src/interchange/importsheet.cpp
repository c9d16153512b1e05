#include "interchange/importsheet.h"
#include "interchange/biffworkbook.h"
#include "interchange/sheetformat.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <freexl.h>
#include <zip.h>

#include <cmath>
#include <memory>

namespace sheetformat {

namespace {

QDateTime fromSerial(double serial, bool from1904)
{
    // Day 0 of the 1900 system is 1899-12-30 once the phantom 29 February
    // 1900 is past, which every date a bill holds is.
    const QDate base = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = std::floor(serial);
    const qint64 seconds = std::llround((serial - days) * 86400.0);
    return QDateTime(base.addDays(static_cast<qint64>(days)), QTime(0, 0)).addSecs(seconds);
}

QString fixedText(double value, int decimals)
{
    // Thousands separators are left out on purpose: "1,000" would read as
    // a decimal comma in half the world, and the import reads its numbers.
    QString text = QString::number(value, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && text.mid(1).toDouble() == 0)
        text.remove(0, 1);
    return text;
}

} // namespace

NumberFormat formatOfCode(const QString& code)
{
    NumberFormat format;
    if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 || code == QLatin1String("@"))
        return format;
    // The positive section, without quoted text, escapes and [colour] tags.
    QString plain;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('['))
            ++bracket;
        else if (c == QLatin1Char(']'))
            bracket = std::max(0, bracket - 1);
        else if (bracket == 0) {
            if (c == QLatin1Char(';'))
                break;
            plain += c.toLower();
        }
    }
    const bool date = plain.contains(QLatin1Char('d')) || plain.contains(QLatin1Char('y'))
        || (plain.contains(QLatin1Char('m')) && !plain.contains(QLatin1Char('h')));
    const bool time = plain.contains(QLatin1Char('h')) || plain.contains(QLatin1Char('s'));
    if (date || time) {
        format.kind = date && time ? NumberFormat::DateTime : date ? NumberFormat::Date : NumberFormat::Time;
        return format;
    }
    if (!plain.contains(QLatin1Char('0')) && !plain.contains(QLatin1Char('#')))
        return format;
    format.kind = plain.contains(QLatin1Char('%')) ? NumberFormat::Percent : NumberFormat::Fixed;
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    if (point >= 0)
        for (qsizetype i = point + 1; i < plain.size() && (plain[i] == QLatin1Char('0') || plain[i] == QLatin1Char('#')); ++i)
            ++format.decimals;
    return format;
}

NumberFormat builtInFormat(int id)
{
    NumberFormat format;
    switch (id) {
    case 1: case 3: case 37: case 38:
        format.kind = NumberFormat::Fixed;
        break;
    case 2: case 4: case 7: case 8: case 39: case 40: case 43: case 44:
        format.kind = NumberFormat::Fixed;
        format.decimals = 2;
        break;
    case 9:
        format.kind = NumberFormat::Percent;
        break;
    case 10:
        format.kind = NumberFormat::Percent;
        format.decimals = 2;
        break;
    case 14: case 15: case 16: case 17:
        format.kind = NumberFormat::Date;
        break;
    case 18: case 19: case 20: case 21: case 45: case 46: case 47:
        format.kind = NumberFormat::Time;
        break;
    case 22:
        format.kind = NumberFormat::DateTime;
        break;
    default:
        break;
    }
    return format;
}

QString numberText(double value, const NumberFormat& format, bool from1904)
{
    switch (format.kind) {
    case NumberFormat::General:
        return GeneralNumberText(value);
    case NumberFormat::Fixed:
        return fixedText(value, format.decimals);
    case NumberFormat::Percent:
        return fixedText(value * 100.0, format.decimals) + QLatin1Char('%');
    case NumberFormat::Date:
        return fromSerial(value, from1904).date().toString(Qt::ISODate);
    case NumberFormat::Time:
        return fromSerial(value, from1904).time().toString(QStringLiteral("HH:mm:ss"));
    case NumberFormat::DateTime:
        return fromSerial(value, from1904).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return GeneralNumberText(value);
}

} // namespace sheetformat

namespace {

using sheetformat::NumberFormat;
using sheetformat::builtInFormat;
using sheetformat::formatOfCode;
using sheetformat::numberText;

// Hard limits against a crafted workbook: a sheet that claims a million
// columns or rows is read up to these and no further.
constexpr int kMaxColumns = 1024;
constexpr int kMaxRows = 200000;
// Largest part of a workbook unpacked (a zip bomb stops here).
constexpr zip_uint64_t kMaxEntryBytes = 256u * 1024u * 1024u;

struct ZipCloser
{
    void operator()(zip_t* zip) const { zip_discard(zip); }
};

class ZipArchive
{
public:
    explicit ZipArchive(const QByteArray& bytes) : m_bytes(bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(m_bytes.constData(), static_cast<zip_uint64_t>(m_bytes.size()), 0, &error);
        if (source) {
            m_zip.reset(zip_open_from_source(source, ZIP_RDONLY, &error));
            if (!m_zip)
                zip_source_free(source);
        }
        zip_error_fini(&error);
    }
    bool isOpen() const { return m_zip != nullptr; }
    bool has(const QString& name) const
    {
        return m_zip && zip_name_locate(m_zip.get(), name.toUtf8().constData(), 0) >= 0;
    }
    // The entry unpacked; empty when missing or too large.
    QByteArray read(const QString& name) const
    {
        if (!m_zip)
            return {};
        const QByteArray key = name.toUtf8();
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(m_zip.get(), key.constData(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)
            || stat.size > kMaxEntryBytes)
            return {};
        zip_file_t* entry = zip_fopen(m_zip.get(), key.constData(), 0);
        if (!entry)
            return {};
        QByteArray data(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
        const zip_int64_t got = zip_fread(entry, data.data(), stat.size);
        zip_fclose(entry);
        if (got < 0)
            return {};
        data.truncate(static_cast<qsizetype>(got));
        return data;
    }

private:
    QByteArray m_bytes; // the source reads from it for the archive's life
    std::unique_ptr<zip_t, ZipCloser> m_zip;
};

// "BC12" -> 54 (columns from 0); -1 for no letters.
int columnOfReference(QStringView reference)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : reference) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z') {
            column = column * 26 + (u - u'A' + 1);
            if (++letters > 3)
                return -1;
        } else {
            break;
        }
    }
    return letters == 0 ? -1 : column - 1;
}

void setCell(QStringList& row, int column, const QString& text)
{
    if (column < 0 || column >= kMaxColumns)
        return;
    while (row.size() <= column)
        row << QString();
    row[column] = text;
}

void trimRow(QStringList& row)
{
    while (!row.isEmpty() && row.back().isEmpty())
        row.removeLast();
}

void trimSheet(ImportSheet& sheet)
{
    for (QStringList& row : sheet.rows)
        trimRow(row);
    while (!sheet.rows.empty() && sheet.rows.back().isEmpty())
        sheet.rows.pop_back();
}

// Text of the element the reader stands on, up to its end tag, with the
// characters of every element inside it except phonetic runs.
QString elementText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    int skipped = 0;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (skipped > 0 || xml.name() == QLatin1String("rPh"))
                ++skipped;
        } else if (xml.isEndElement()) {
            --depth;
            if (skipped > 0)
                --skipped;
        } else if (xml.isCharacters() && skipped == 0) {
            text += xml.text();
        }
    }
    return text;
}

// ---- Office Open XML -------------------------------------------------------

QString resolvePath(const QString& base, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QStringList parts = base.split(QLatin1Char('/'));
    parts.removeLast();
    for (const QString& piece : target.split(QLatin1Char('/'))) {
        if (piece == QLatin1String(".."))
            parts.isEmpty() ? void() : parts.removeLast();
        else if (piece != QLatin1String("."))
            parts << piece;
    }
    return parts.join(QLatin1Char('/'));
}

QHash<QString, QString> readRelations(const ZipArchive& zip, const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    const QString relsPath = part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
    QHash<QString, QString> targets;
    QXmlStreamReader xml(zip.read(relsPath));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship"))
            targets.insert(xml.attributes().value(QLatin1String("Id")).toString(),
                           resolvePath(part, xml.attributes().value(QLatin1String("Target")).toString()));
    return targets;
}

QStringList readSharedStrings(const QByteArray& data)
{
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings << elementText(xml);
    return strings;
}

std::vector<NumberFormat> readCellFormats(const QByteArray& data)
{
    QHash<int, QString> codes;
    std::vector<NumberFormat> formats;
    QXmlStreamReader xml(data);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto attributes = xml.attributes();
            if (xml.name() == QLatin1String("numFmt"))
                codes.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                             attributes.value(QLatin1String("formatCode")).toString());
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellXfs = true;
            else if (inCellXfs && xml.name() == QLatin1String("xf")) {
                const int id = attributes.value(QLatin1String("numFmtId")).toInt();
                formats.push_back(codes.contains(id) ? formatOfCode(codes.value(id)) : builtInFormat(id));
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
    }
    return formats;
}

void readXlsxSheet(const QByteArray& data, const QStringList& strings, const std::vector<NumberFormat>& formats,
                   bool from1904, ImportSheet& sheet)
{
    QXmlStreamReader xml(data);
    int nextRow = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("row"))
            continue;
        const auto rowAttributes = xml.attributes();
        const int number = rowAttributes.value(QLatin1String("r")).toInt();
        const int index = number > 0 ? number - 1 : nextRow;
        nextRow = index + 1;
        if (index >= kMaxRows)
            break;
        const QStringView hidden = rowAttributes.value(QLatin1String("hidden"));
        const bool rowHidden = hidden == QLatin1String("1") || hidden == QLatin1String("true");
        QStringList row;
        int nextColumn = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("row"))
                break;
            if (!xml.isStartElement() || xml.name() != QLatin1String("c"))
                continue;
            const auto attributes = xml.attributes();
            int column = columnOfReference(attributes.value(QLatin1String("r")));
            if (column < 0)
                column = nextColumn;
            nextColumn = column + 1;
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int style = attributes.value(QLatin1String("s")).toInt();
            QString value;
            QString inlineText;
            bool hasInline = false;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
                if (!xml.isStartElement())
                    continue;
                if (xml.name() == QLatin1String("v"))
                    value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                else if (xml.name() == QLatin1String("is")) {
                    inlineText = elementText(xml);
                    hasInline = true;
                } else if (xml.name() == QLatin1String("f")) {
                    xml.skipCurrentElement(); // the cached value is what the sheet shows
                }
            }
            QString text;
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int at = value.toInt(&ok);
                text = ok ? strings.value(at) : QString();
            } else if (type == QLatin1String("inlineStr") || hasInline) {
                text = inlineText;
            } else if (type == QLatin1String("b")) {
                text = value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            } else if (type == QLatin1String("str") || type == QLatin1String("e") || type == QLatin1String("d")) {
                text = value;
            } else if (!value.isEmpty()) {
                bool ok = false;
                const double amount = value.toDouble(&ok);
                const NumberFormat format = style >= 0 && static_cast<size_t>(style) < formats.size()
                    ? formats[static_cast<size_t>(style)] : NumberFormat();
                text = ok ? numberText(amount, format, from1904) : value;
            }
            if (!text.isEmpty())
                setCell(row, column, text);
        }
        if (rowHidden) {
            trimRow(row);
            sheet.hiddenRows += row.isEmpty() ? 0 : 1;
            continue;
        }
        if (sheet.rows.size() <= static_cast<size_t>(index))
            sheet.rows.resize(static_cast<size_t>(index) + 1);
        sheet.rows[static_cast<size_t>(index)] = row;
    }
    trimSheet(sheet);
}

ImportWorkbook readXlsx(const ZipArchive& zip)
{
    ImportWorkbook book;
    book.kind = WorkbookKind::Xlsx;
    QString workbookPath = QStringLiteral("xl/workbook.xml");
    {
        QXmlStreamReader xml(zip.read(QStringLiteral("_rels/.rels")));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")
                && xml.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/officeDocument")))
                workbookPath = resolvePath(QString(), xml.attributes().value(QLatin1String("Target")).toString());
    }
    const QHash<QString, QString> relations = readRelations(zip, workbookPath);
    QString sharedPath, stylesPath;
    {
        QXmlStreamReader xml(zip.read(workbookPath.left(workbookPath.lastIndexOf(QLatin1Char('/')) + 1)
                                      + QStringLiteral("_rels/")
                                      + workbookPath.mid(workbookPath.lastIndexOf(QLatin1Char('/')) + 1)
                                      + QStringLiteral(".rels")));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")) {
                const QStringView type = xml.attributes().value(QLatin1String("Type"));
                const QString target = resolvePath(workbookPath, xml.attributes().value(QLatin1String("Target")).toString());
                if (type.endsWith(QLatin1String("/sharedStrings")))
                    sharedPath = target;
                else if (type.endsWith(QLatin1String("/styles")))
                    stylesPath = target;
            }
    }
    const QStringList strings = readSharedStrings(zip.read(sharedPath.isEmpty() ? QStringLiteral("xl/sharedStrings.xml") : sharedPath));
    const std::vector<NumberFormat> formats = readCellFormats(zip.read(stylesPath.isEmpty() ? QStringLiteral("xl/styles.xml") : stylesPath));

    bool from1904 = false;
    struct Entry
    {
        QString name;
        QString path;
        bool hidden;
    };
    std::vector<Entry> entries;
    QXmlStreamReader xml(zip.read(workbookPath));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("workbookPr")) {
            const QStringView date1904 = attributes.value(QLatin1String("date1904"));
            from1904 = date1904 == QLatin1String("1") || date1904 == QLatin1String("true");
        } else if (xml.name() == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute& a : attributes)
                if (a.name() == QLatin1String("id"))
                    id = a.value().toString();
            const QStringView state = attributes.value(QLatin1String("state"));
            entries.push_back({attributes.value(QLatin1String("name")).toString(), relations.value(id),
                               state == QLatin1String("hidden") || state == QLatin1String("veryHidden")});
        }
    }
    if (entries.empty())
        book.error = QStringLiteral("no sheets");
    for (const Entry& entry : entries) {
        ImportSheet sheet;
        sheet.name = entry.name;
        sheet.hidden = entry.hidden;
        readXlsxSheet(zip.read(entry.path), strings, formats, from1904, sheet);
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

// ---- OpenDocument ------------------------------------------------------------

// The text of a cell's paragraphs as the sheet shows them: <text:s/> for
// runs of spaces, tabs and line breaks, paragraphs on lines of their own.
QString odsCellText(QXmlStreamReader& xml)
{
    QStringList paragraphs;
    QString current;
    int depth = 1;
    bool inParagraph = false;
    bool inAnnotation = false;
    int annotationDepth = 0;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (inAnnotation)
                continue;
            if (xml.name() == QLatin1String("annotation")) {
                inAnnotation = true;
                annotationDepth = depth;
            } else if (xml.name() == QLatin1String("p")) {
                inParagraph = true;
                current.clear();
            } else if (xml.name() == QLatin1String("s")) {
                const int count = std::max(1, xml.attributes().value(QLatin1String("c")).toInt());
                current += QString(std::min(count, 1000), QLatin1Char(' '));
            } else if (xml.name() == QLatin1String("tab")) {
                current += QLatin1Char('\t');
            } else if (xml.name() == QLatin1String("line-break")) {
                current += QLatin1Char('\n');
            }
        } else if (xml.isEndElement()) {
            if (inAnnotation && depth == annotationDepth)
                inAnnotation = false;
            else if (!inAnnotation && xml.name() == QLatin1String("p") && inParagraph) {
                paragraphs << current;
                inParagraph = false;
            }
            --depth;
        } else if (xml.isCharacters() && inParagraph && !inAnnotation) {
            current += xml.text();
        }
    }
    return paragraphs.join(QLatin1Char('\n'));
}

ImportWorkbook readOds(const ZipArchive& zip)
{
    ImportWorkbook book;
    book.kind = WorkbookKind::Ods;
    QXmlStreamReader xml(zip.read(QStringLiteral("content.xml")));
    QHash<QString, bool> hiddenTableStyles;
    QString styleName;
    ImportSheet* sheet = nullptr;
    qint64 pendingEmptyRows = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("table")) {
            trimSheet(*sheet);
            sheet = nullptr;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("style")) {
            styleName = attributes.value(QLatin1String("style:name")).toString();
        } else if (xml.name() == QLatin1String("table-properties")) {
            if (attributes.value(QLatin1String("table:display")) == QLatin1String("false"))
                hiddenTableStyles.insert(styleName, true);
        } else if (xml.name() == QLatin1String("table") && xml.namespaceUri().endsWith(QLatin1String(":table:1.0"))) {
            book.sheets.emplace_back();
            sheet = &book.sheets.back();
            sheet->name = attributes.value(QLatin1String("table:name")).toString();
            sheet->hidden = hiddenTableStyles.value(attributes.value(QLatin1String("table:style-name")).toString());
            pendingEmptyRows = 0;
        } else if (sheet && xml.name() == QLatin1String("table-row")) {
            const qint64 repeat = std::max(1, attributes.value(QLatin1String("table:number-rows-repeated")).toInt());
            const QStringView visibility = attributes.value(QLatin1String("table:visibility"));
            const bool rowHidden = visibility == QLatin1String("collapse") || visibility == QLatin1String("filter");
            QStringList row;
            int column = 0;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == QLatin1String("table-row"))
                    break;
                if (!xml.isStartElement())
                    continue;
                const bool covered = xml.name() == QLatin1String("covered-table-cell");
                if (!covered && xml.name() != QLatin1String("table-cell")) {
                    xml.skipCurrentElement();
                    continue;
                }
                const auto cell = xml.attributes();
                const int repeated = std::max(1, cell.value(QLatin1String("table:number-columns-repeated")).toInt());
                const QString valueType = cell.value(QLatin1String("office:value-type")).toString();
                QString fallback;
                if (valueType == QLatin1String("float") || valueType == QLatin1String("currency")
                    || valueType == QLatin1String("percentage"))
                    fallback = GeneralNumberText(cell.value(QLatin1String("office:value")).toDouble());
                else if (valueType == QLatin1String("date"))
                    fallback = cell.value(QLatin1String("office:date-value")).toString();
                else if (valueType == QLatin1String("boolean"))
                    fallback = cell.value(QLatin1String("office:boolean-value")).toString().toUpper();
                QString text = odsCellText(xml);
                if (text.isEmpty())
                    text = fallback;
                // A merged area's covered cells show nothing: the value is the first cell's.
                if (covered)
                    text.clear();
                if (!text.isEmpty())
                    for (int k = 0; k < repeated && column + k < kMaxColumns; ++k)
                        setCell(row, column + k, text);
                column = std::min(column + repeated, kMaxColumns);
            }
            trimRow(row);
            if (rowHidden) {
                sheet->hiddenRows += row.isEmpty() ? 0 : static_cast<int>(std::min<qint64>(repeat, kMaxRows));
                continue;
            }
            if (row.isEmpty()) {
                pendingEmptyRows += repeat;
                continue;
            }
            const qint64 room = kMaxRows - static_cast<qint64>(sheet->rows.size());
            if (pendingEmptyRows >= room)
                continue;
            sheet->rows.resize(sheet->rows.size() + static_cast<size_t>(pendingEmptyRows));
            pendingEmptyRows = 0;
            for (qint64 k = 0; k < repeat && static_cast<qint64>(sheet->rows.size()) < kMaxRows; ++k)
                sheet->rows.push_back(row);
        }
    }
    if (xml.hasError() && book.sheets.empty())
        book.error = xml.errorString();
    return book;
}

// ---- BIFF (.xls) -------------------------------------------------------------

struct FreeXlCloser
{
    void operator()(const void* handle) const { freexl_close(handle); }
};

ImportWorkbook readXls(const QByteArray& bytes)
{
    ImportWorkbook book;
    book.kind = WorkbookKind::Xls;
    // FreeXL reads files only.
    QTemporaryFile temporary;
    if (!temporary.open() || temporary.write(bytes) != bytes.size() || !temporary.flush()) {
        book.error = temporary.errorString();
        return book;
    }
    const void* raw = nullptr;
    const int opened = freexl_open(temporary.fileName().toLocal8Bit().constData(), &raw);
    std::unique_ptr<const void, FreeXlCloser> handle(raw);
    unsigned int sheetCount = 0;
    // FreeXL 1.0 answers some sound workbooks with success and no handle
    // (a form with macros, defined names and drawings among them): those,
    // and any it refuses, go to the record reader of our own.
    if (opened != FREEXL_OK || !raw || freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK
        || sheetCount == 0) {
        ImportWorkbook own = ReadBiffWorkbook(bytes);
        if (own.error.isEmpty() || opened == FREEXL_OK)
            return own;
        book.error = QStringLiteral("FreeXL error %1; %2").arg(opened).arg(own.error);
        return book;
    }
    for (unsigned int s = 0; s < sheetCount && s < 1000; ++s) {
        ImportSheet sheet;
        const char* name = nullptr;
        if (freexl_get_worksheet_name(raw, static_cast<unsigned short>(s), &name) == FREEXL_OK && name)
            sheet.name = QString::fromUtf8(name);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(raw, static_cast<unsigned short>(s)) != FREEXL_OK
            || freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK) {
            book.sheets.push_back(std::move(sheet));
            continue;
        }
        rows = std::min<unsigned int>(rows, kMaxRows);
        columns = static_cast<unsigned short>(std::min<int>(columns, kMaxColumns));
        sheet.rows.resize(rows);
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(raw, r, c, &value) != FREEXL_OK)
                    continue;
                QString text;
                switch (value.type) {
                case FREEXL_CELL_INT:
                    text = QString::number(value.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    text = GeneralNumberText(value.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    text = value.value.text_value ? QString::fromUtf8(value.value.text_value) : QString();
                    break;
                default:
                    break;
                }
                if (!text.isEmpty())
                    setCell(sheet.rows[r], c, text);
            }
        trimSheet(sheet);
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

} // namespace

QString GeneralNumberText(double value)
{
    if (!std::isfinite(value))
        return QString();
    const double magnitude = std::fabs(value);
    if (magnitude == 0)
        return QStringLiteral("0");
    if (magnitude >= 1e11 || magnitude < 1e-9) {
        // Scientific as the sheet writes it: 1E+20, 1.5E-10.
        QString text = QString::number(value, 'E', 5);
        const qsizetype e = text.indexOf(QLatin1Char('E'));
        QString mantissa = text.left(e);
        if (mantissa.contains(QLatin1Char('.'))) {
            while (mantissa.endsWith(QLatin1Char('0')))
                mantissa.chop(1);
            if (mantissa.endsWith(QLatin1Char('.')))
                mantissa.chop(1);
        }
        QString exponent = text.mid(e + 2);
        while (exponent.size() > 2 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        return mantissa + QLatin1Char('E') + text[e + 1] + exponent;
    }
    // Fifteen significant digits, as the sheet keeps them, then the
    // trailing zeros off: 0.1+0.2 shows 0.3.
    const int integerDigits = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    QString text = QString::number(value, 'f', std::clamp(15 - integerDigits, 0, 20));
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

WorkbookKind WorkbookKindOf(const QByteArray& bytes)
{
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return WorkbookKind::Xls;
    if (!bytes.startsWith("PK\x03\x04"))
        return WorkbookKind::None;
    const ZipArchive zip(bytes);
    if (!zip.isOpen())
        return WorkbookKind::None;
    if (zip.has(QStringLiteral("content.xml")) && zip.read(QStringLiteral("mimetype")).startsWith("application/vnd.oasis.opendocument.spreadsheet"))
        return WorkbookKind::Ods;
    if (zip.has(QStringLiteral("[Content_Types].xml")) && zip.has(QStringLiteral("xl/workbook.xml")))
        return WorkbookKind::Xlsx;
    if (zip.has(QStringLiteral("[Content_Types].xml")))
        return WorkbookKind::Xlsx;
    return WorkbookKind::None;
}

ImportWorkbook ReadImportWorkbook(const QByteArray& bytes)
{
    const WorkbookKind kind = WorkbookKindOf(bytes);
    if (kind == WorkbookKind::Xls)
        return readXls(bytes);
    if (kind == WorkbookKind::None) {
        ImportWorkbook book;
        book.error = QStringLiteral("not a workbook");
        return book;
    }
    const ZipArchive zip(bytes);
    return kind == WorkbookKind::Ods ? readOds(zip) : readXlsx(zip);
}

QString ImportSheetText(const ImportSheet& sheet)
{
    QString text;
    for (const QStringList& row : sheet.rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += QLatin1Char('\t');
            const QString& cell = row[c];
            if (cell.contains(QLatin1Char('\t')) || cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))
                || cell.startsWith(QLatin1Char('"'))) {
                QString quoted = cell;
                quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
                text += QLatin1Char('"') + quoted + QLatin1Char('"');
            } else {
                text += cell;
            }
        }
        text += QLatin1Char('\n');
    }
    return text;
}
