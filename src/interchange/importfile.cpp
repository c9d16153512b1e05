#include "interchange/importfile.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "interchange/importcells.h"
#include "interchange/importsheet.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

namespace {

// Windows-1252 where it differs from Latin-1: the bytes 0x80 to 0x9F, which
// Windows tools write for the euro sign, curly quotes and dashes. The five
// bytes the code page leaves unassigned stand for themselves.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QChar windows1252(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? QChar(kWindows1252High[c - 0x80]) : QChar(c);
}

// UTF-8 where the bytes make valid sequences, one Windows-1252 character per
// byte where they do not: a file saved by two tools in turn keeps both parts
// readable, and a file from a Windows spreadsheet (no UTF-8 at all) reads as
// its author wrote it.
QString decodeUtf8Leniently(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out += QChar(c);
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2, code = c & 0x1F, smallest = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, code = c & 0x0F, smallest = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, code = c & 0x07, smallest = 0x10000;
        }
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char b = p[i + k];
            valid = (b & 0xC0) == 0x80;
            code = (code << 6) | (b & 0x3F);
        }
        valid = valid && code >= smallest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            out += windows1252(c);
            ++i;
            continue;
        }
        if (code > 0xFFFF) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

// Without a mark, UTF-16 shows itself by the zero byte of every ASCII
// character, always on the same side of the pair.
int utf16WithoutMark(const QByteArray& bytes)
{
    const qsizetype n = std::min<qsizetype>(bytes.size() & ~qsizetype(1), 1024);
    if (n < 4)
        return 0;
    int evenZeros = 0;
    int oddZeros = 0;
    for (qsizetype i = 0; i < n; i += 2) {
        evenZeros += bytes[i] == '\0' ? 1 : 0;
        oddZeros += bytes[i + 1] == '\0' ? 1 : 0;
    }
    const int pairs = static_cast<int>(n / 2);
    if (oddZeros * 2 >= pairs && evenZeros * 16 <= pairs)
        return 1; // little-endian
    if (evenZeros * 2 >= pairs && oddZeros * 16 <= pairs)
        return 2; // big-endian
    return 0;
}

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Length of the line end at text[i] (a CR or LF): CR CR LF, CR LF, LF and a
// lone CR each end one line. CR CR LF is what Python's csv writer leaves on
// Windows; read as two line ends it would put a blank record after each.
int lineEndLength(QStringView text, qsizetype i)
{
    const qsizetype n = text.size();
    if (text[i] == QLatin1Char('\n'))
        return 1;
    if (i + 1 < n && text[i + 1] == QLatin1Char('\n'))
        return 2;
    if (i + 2 < n && text[i + 1] == QLatin1Char('\r') && text[i + 2] == QLatin1Char('\n'))
        return 3;
    return 1;
}

struct ScannedRecord
{
    qsizetype start;
    qsizetype end;
    qsizetype next;
    int delimiters; // outside quotes
    int lineEnds;   // inside quoted cells
};

// Walks the records of text: a quote at the start of a cell opens a quoted
// cell, in which delimiters and line ends are text. A quote still open at
// the end of the text was no quote after all: the record is read again from
// it with the quote as an ordinary character. Stops after maxRecords.
template <typename OnRecord>
void scanRecords(QStringView text, QChar delimiter, qsizetype maxRecords, OnRecord onRecord,
                 bool countDelimiters = true)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    qsizetype records = 0;
    qsizetype i = 0;
    int delimiters = 0;
    int lineEnds = 0;
    bool cellStart = true;
    qsizetype literalQuote = -1; // the unclosed quote, read as text on the second pass
    while (i < n && records < maxRecords) {
        // Most lines hold no quote: their end is found without looking at
        // each character.
        if (i == start && literalQuote < start) {
            const QStringView rest = text.mid(i);
            qsizetype end = rest.indexOf(QLatin1Char('\n'));
            end = end < 0 ? rest.size() : end;
            QStringView line = rest.left(end);
            // CR LF and CR CR LF end a line like LF; a CR anywhere else is
            // a line end of its own, left to the careful reading below.
            qsizetype crs = 0;
            while (crs < 2 && crs < line.size() && line[line.size() - 1 - crs] == QLatin1Char('\r'))
                ++crs;
            line.chop(crs);
            if (end < rest.size() && !line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('"'))) {
                const int found = countDelimiters ? static_cast<int>(line.count(delimiter)) : 0;
                onRecord(ScannedRecord{start, i + line.size(), i + end + 1, found, 0});
                ++records;
                i += end + 1;
                start = i;
                continue;
            }
        }
        const QChar c = text[i];
        if (c == QLatin1Char('"') && cellStart && i != literalQuote) {
            // Find the closing quote; a doubled quote is text.
            qsizetype j = i + 1;
            int breaks = 0;
            bool closed = false;
            while (j < n) {
                const QChar q = text[j];
                if (q == QLatin1Char('"')) {
                    if (j + 1 < n && text[j + 1] == QLatin1Char('"')) {
                        j += 2;
                        continue;
                    }
                    // A quote that closes a cell is followed by a delimiter
                    // or a line end. One that is not, after a line break,
                    // was opened by an inch mark: "1/16 on one line and
                    // the next cell quoted on the line after.
                    closed = breaks == 0 || j + 1 >= n || text[j + 1] == delimiter || isLineEnd(text[j + 1]);
                    break;
                }
                if (isLineEnd(q)) {
                    j += lineEndLength(text, j);
                    ++breaks;
                    continue;
                }
                ++j;
            }
            if (!closed) {
                literalQuote = i;
                cellStart = false;
                ++i;
                continue;
            }
            lineEnds += breaks;
            cellStart = false;
            i = j + 1;
            continue;
        }
        if (c == delimiter) {
            ++delimiters;
            cellStart = true;
            ++i;
            continue;
        }
        if (isLineEnd(c)) {
            const int length = lineEndLength(text, i);
            onRecord(ScannedRecord{start, i, i + length, delimiters, lineEnds});
            ++records;
            i += length;
            start = i;
            delimiters = 0;
            lineEnds = 0;
            cellStart = true;
            continue;
        }
        cellStart = false;
        ++i;
    }
    // A last record without a line end is a record like any other.
    if (start < n && records < maxRecords)
        onRecord(ScannedRecord{start, n, n, delimiters, lineEnds});
}

} // namespace

QString DecodeImportBytes(const QByteArray& bytes, QString* encoding)
{
    const auto named = [encoding](const char* name) {
        if (encoding)
            *encoding = QLatin1String(name);
    };
    const auto starts = [&bytes](const char* mark) { return bytes.startsWith(QByteArray(mark)); };
    if (starts("\xFF\xFE")) {
        named("UTF-16LE");
        return QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless)(bytes.mid(2));
    }
    if (starts("\xFE\xFF")) {
        named("UTF-16BE");
        return QStringDecoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless)(bytes.mid(2));
    }
    if (const int order = utf16WithoutMark(bytes)) {
        named(order == 1 ? "UTF-16LE" : "UTF-16BE");
        return QStringDecoder(order == 1 ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                              QStringDecoder::Flag::Stateless)(bytes);
    }
    const QByteArray body = starts("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (!utf8.hasError()) {
        named("UTF-8");
        return text;
    }
    // No valid multi-byte sequence at all: the whole file is Windows-1252.
    named("Windows-1252");
    QString out;
    out.reserve(body.size());
    bool multiByte = false;
    for (qsizetype i = 0; i + 1 < body.size() && !multiByte; ++i)
        multiByte = (static_cast<unsigned char>(body[i]) & 0xE0) == 0xC0 && (static_cast<unsigned char>(body[i + 1]) & 0xC0) == 0x80;
    if (multiByte) {
        named("UTF-8 with single bytes");
        return decodeUtf8Leniently(body);
    }
    for (const char c : body)
        out += windows1252(static_cast<unsigned char>(c));
    return out;
}

ImportFileProblem CheckImportBytes(const QByteArray& bytes)
{
    // Workbooks: a zip container (xlsx, ods) or the older compound file (xls).
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return ImportFileProblem::Spreadsheet;
    const QString text = DecodeImportBytes(bytes.left(4096));
    if (text.trimmed().isEmpty())
        return bytes.size() > 4096 && !DecodeImportBytes(bytes).trimmed().isEmpty() ? ImportFileProblem::None
                                                                                    : ImportFileProblem::Empty;
    // Text has a control character now and then (a NUL a tool left in a
    // cell); an image or an archive is full of them.
    int controls = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f') || u == 0x7F)
            ++controls;
    }
    return controls > 4 && controls * 16 > text.size() ? ImportFileProblem::Binary : ImportFileProblem::None;
}

QChar SniffImportDelimiter(QStringView text)
{
    constexpr qsizetype kSampleRecords = 200;
    QChar best = QLatin1Char(',');
    int bestScore = 0;
    int bestCount = 0;
    for (const QChar candidate : {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')}) {
        // How many records split into the most common number of cells.
        std::vector<int> counts;
        scanRecords(text, candidate, kSampleRecords, [&counts](const ScannedRecord& record) {
            if (record.delimiters > 0)
                counts.push_back(record.delimiters);
        });
        std::sort(counts.begin(), counts.end());
        int score = 0;
        int modal = 0;
        for (size_t i = 0; i < counts.size();) {
            size_t j = i;
            while (j < counts.size() && counts[j] == counts[i])
                ++j;
            if (static_cast<int>(j - i) >= score) {
                score = static_cast<int>(j - i);
                modal = counts[i];
            }
            i = j;
        }
        if (score > bestScore || (score == bestScore && score > 0 && modal > bestCount)) {
            best = candidate;
            bestScore = score;
            bestCount = modal;
        }
    }
    return best;
}

void SplitImportCells(QStringView line, QChar delimiter, ImportCells& out)
{
    out.cells.clear();
    out.owned.clear();
    const qsizetype n = line.size();
    // A rewritten cell: quotes undoubled and NULs left out.
    const auto rewrite = [&out](QStringView quoted, QStringView tail) {
        QString text;
        text.reserve(quoted.size() + tail.size());
        for (qsizetype k = 0; k < quoted.size(); ++k) {
            const QChar c = quoted[k];
            if (c.unicode() == 0)
                continue;
            text += c;
            if (c == QLatin1Char('"') && k + 1 < quoted.size() && quoted[k + 1] == QLatin1Char('"'))
                ++k;
        }
        for (const QChar c : tail)
            if (c.unicode() != 0)
                text += c;
        out.owned.push_back(std::move(text));
        out.cells.push_back(out.owned.back());
    };
    qsizetype i = 0;
    for (;;) {
        if (i < n && line[i] == QLatin1Char('"')) {
            qsizetype j = i + 1;
            bool plain = true;
            bool closed = false;
            for (; j < n; ++j) {
                const QChar c = line[j];
                if (c == QLatin1Char('"')) {
                    if (j + 1 < n && line[j + 1] == QLatin1Char('"')) {
                        plain = false;
                        ++j;
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (c.unicode() == 0)
                    plain = false;
            }
            const QStringView quoted = line.mid(i + 1, j - i - 1);
            if (!closed) {
                // Unclosed: the rest of the record is the cell.
                if (plain)
                    out.cells.push_back(quoted);
                else
                    rewrite(quoted, {});
                return;
            }
            // After the closing quote the cell goes on to the next delimiter.
            qsizetype end = j + 1;
            while (end < n && line[end] != delimiter)
                ++end;
            const QStringView tail = line.mid(j + 1, end - j - 1);
            if (plain && tail.isEmpty())
                out.cells.push_back(quoted);
            else
                rewrite(quoted, tail);
            i = end;
        } else {
            qsizetype end = i;
            bool plain = true;
            for (; end < n && line[end] != delimiter; ++end)
                if (line[end].unicode() == 0)
                    plain = false;
            const QStringView cell = line.mid(i, end - i);
            if (plain)
                out.cells.push_back(cell);
            else
                rewrite({}, cell);
            i = end;
        }
        if (i >= n || out.cells.size() == static_cast<size_t>(kMaxImportValues))
            return;
        ++i; // the delimiter
    }
}

QStringList SplitImportLine(QStringView line, QChar delimiter)
{
    ImportCells cells;
    SplitImportCells(line, delimiter, cells);
    QStringList values;
    values.reserve(static_cast<qsizetype>(cells.cells.size()));
    for (const QStringView cell : cells.cells)
        values << cell.toString();
    return values;
}

struct ImportFile::Workbook
{
    ImportWorkbook book;
};

ImportFile::ImportFile() = default;
ImportFile::~ImportFile() = default;
ImportFile::ImportFile(ImportFile&&) noexcept = default;
ImportFile& ImportFile::operator=(ImportFile&&) noexcept = default;

bool ImportFile::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_loaded = false;
        return false;
    }
    setBytes(file.readAll());
    m_path = path;
    return true;
}

QString ImportFile::sheetName() const
{
    return m_sheet >= 0 ? m_sheets[static_cast<size_t>(m_sheet)].name : QString();
}

bool ImportFile::selectSheet(int index)
{
    if (!m_workbook || index < 0 || static_cast<size_t>(index) >= m_workbook->book.sheets.size())
        return false;
    m_sheet = index;
    const QString encoding = m_encoding;
    setText(ImportSheetText(m_workbook->book.sheets[static_cast<size_t>(index)]), QLatin1Char('\t'));
    m_encoding = encoding;
    m_problem = m_text.trimmed().isEmpty() ? ImportFileProblem::Empty : ImportFileProblem::None;
    return true;
}

bool ImportFile::selectSheet(const QString& name)
{
    for (size_t i = 0; i < m_sheets.size(); ++i)
        if (m_sheets[i].name == name)
            return selectSheet(static_cast<int>(i));
    for (size_t i = 0; i < m_sheets.size(); ++i)
        if (m_sheets[i].name.trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return selectSheet(static_cast<int>(i));
    return false;
}

QStringList ImportFile::readingNotes() const
{
    QStringList notes;
    if (!m_workbook)
        return notes;
    for (const ImportSheet& sheet : m_workbook->book.sheets)
        if (sheet.hidden)
            notes << Format(qPrintable(Translate(QStringLiteral("Sheet \"%s\" is hidden: skipped"))), {sheet.name});
    if (m_sheet >= 0) {
        const int hidden = m_workbook->book.sheets[static_cast<size_t>(m_sheet)].hiddenRows;
        if (hidden > 0)
            notes << Format(qPrintable(Translate(QStringLiteral("%i hidden rows of sheet \"%s\" skipped"))), {hidden, sheetName()});
    }
    return notes;
}

void ImportFile::setBytes(const QByteArray& bytes, QChar delimiter)
{
    m_workbook.reset();
    m_sheets.clear();
    m_sheet = -1;
    const WorkbookKind kind = WorkbookKindOf(bytes);
    if (kind != WorkbookKind::None) {
        m_workbook = std::make_unique<Workbook>();
        m_workbook->book = ReadImportWorkbook(bytes);
        int first = -1;
        for (size_t i = 0; i < m_workbook->book.sheets.size(); ++i) {
            const ImportSheet& sheet = m_workbook->book.sheets[i];
            int rows = 0;
            for (const QStringList& row : sheet.rows)
                rows += row.isEmpty() ? 0 : 1;
            m_sheets.push_back({sheet.name, rows, sheet.hidden});
            if (first < 0 && !sheet.hidden && rows > 0)
                first = static_cast<int>(i);
        }
        m_encoding = kind == WorkbookKind::Xlsx ? QStringLiteral("xlsx") : kind == WorkbookKind::Ods ? QStringLiteral("ods") : QStringLiteral("xls");
        if (first < 0 || !selectSheet(first)) {
            setText(QString(), QLatin1Char('\t'));
            m_encoding = kind == WorkbookKind::Xlsx ? QStringLiteral("xlsx") : kind == WorkbookKind::Ods ? QStringLiteral("ods") : QStringLiteral("xls");
            m_problem = m_workbook->book.error.isEmpty() ? ImportFileProblem::Empty : ImportFileProblem::Spreadsheet;
        }
        return;
    }
    m_problem = CheckImportBytes(bytes);
    QString encoding;
    QString text = DecodeImportBytes(bytes, &encoding);
    setText(text, delimiter);
    m_encoding = encoding;
}

void ImportFile::setText(const QString& text, QChar delimiter)
{
    m_text = text;
    m_encoding = QStringLiteral("UTF-16");
    m_delimiter = delimiter.isNull() ? SniffImportDelimiter(m_text) : delimiter;
    m_loaded = true;
    cut();
}

void ImportFile::cut()
{
    m_records.clear();
    int fileLine = 1;
    scanRecords(
        m_text, m_delimiter, std::numeric_limits<qsizetype>::max(),
        [&](const ScannedRecord& record) {
            m_records.push_back(Record{record.start, record.end, record.next, fileLine});
            // A sheet's line is its row, however many line breaks its cells hold.
            fileLine += 1 + (m_sheet >= 0 ? 0 : record.lineEnds);
        },
        false);
}

QStringView ImportFile::lineView(int index) const
{
    const Record& record = m_records[static_cast<size_t>(index)];
    return QStringView(m_text).mid(record.start, record.end - record.start);
}

bool ImportFile::blank(int index) const
{
    for (const QChar c : lineView(index))
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('"') && c != m_delimiter)
            return false;
    return true;
}
