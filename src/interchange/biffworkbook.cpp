#include "interchange/biffworkbook.h"
#include "interchange/sheetformat.h"

#include <QHash>
#include <QSet>

#include <cstring>
#include <map>

namespace {

using sheetformat::NumberFormat;

// The same limits as the other workbook readers, against a crafted file.
constexpr int kMaxColumns = 1024;
constexpr int kMaxRows = 200000;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFreeSector = 0xFFFFFFFF;

int u8(const QByteArray& data, qsizetype at)
{
    return at >= 0 && at < data.size() ? static_cast<unsigned char>(data[at]) : 0;
}

quint16 u16(const QByteArray& data, qsizetype at)
{
    if (at < 0 || at + 2 > data.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return static_cast<quint16>(p[0] | (p[1] << 8));
}

quint32 u32(const QByteArray& data, qsizetype at)
{
    if (at < 0 || at + 4 > data.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return static_cast<quint32>(p[0]) | (static_cast<quint32>(p[1]) << 8) | (static_cast<quint32>(p[2]) << 16)
           | (static_cast<quint32>(p[3]) << 24);
}

double f64(const QByteArray& data, qsizetype at)
{
    const quint64 bits = u32(data, at) | (static_cast<quint64>(u32(data, at + 4)) << 32);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// ---- the compound file ------------------------------------------------------

class CompoundFile
{
public:
    explicit CompoundFile(const QByteArray& bytes) : m_bytes(bytes) {}

    // The named stream of the root storage, or an empty array with error set.
    QByteArray stream(const QStringList& names, QString& error)
    {
        if (!readHeader(error))
            return {};
        const QByteArray directory = chain(m_directoryStart, -1);
        quint32 rootStart = kEndOfChain;
        quint64 rootSize = 0;
        for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
            const int nameBytes = u16(directory, at + 64);
            const int type = static_cast<unsigned char>(directory[at + 66]);
            const quint32 start = u32(directory, at + 116);
            const quint64 size = u32(directory, at + 120);
            if (type == 5) {
                rootStart = start;
                rootSize = size;
                continue;
            }
            if (type != 2 || nameBytes < 2 || nameBytes > 64)
                continue;
            QString name;
            for (int i = 0; i + 1 < nameBytes / 2; ++i)
                name += QChar(u16(directory, at + 2 * i));
            if (!names.contains(name, Qt::CaseInsensitive))
                continue;
            if (size >= m_miniCutoff)
                return chain(start, static_cast<qint64>(size));
            // A small stream lives in the root's mini stream.
            const QByteArray mini = chain(rootStart, static_cast<qint64>(rootSize));
            const QByteArray miniFat = chain(m_miniFatStart, -1);
            QByteArray data;
            quint32 sector = start;
            for (int guard = 0; sector < 0xFFFFFFFA && data.size() < static_cast<qsizetype>(size); ++guard) {
                if (guard > mini.size() / m_miniSectorSize + 1)
                    break;
                const qsizetype offset = static_cast<qsizetype>(sector) * m_miniSectorSize;
                if (offset + m_miniSectorSize > mini.size())
                    break;
                data += mini.mid(offset, m_miniSectorSize);
                sector = u32(miniFat, static_cast<qsizetype>(sector) * 4);
                if (static_cast<qsizetype>(sector) * 4 >= miniFat.size() && sector < 0xFFFFFFFA)
                    break;
            }
            if (data.size() < static_cast<qsizetype>(size)) {
                error = QStringLiteral("the workbook stream is cut short");
                return {};
            }
            return data.left(static_cast<qsizetype>(size));
        }
        error = QStringLiteral("no workbook stream in the compound file");
        return {};
    }

private:
    bool readHeader(QString& error)
    {
        if (m_bytes.size() < 512 || !m_bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
            error = QStringLiteral("not a compound file");
            return false;
        }
        const int shift = u16(m_bytes, 30);
        const int miniShift = u16(m_bytes, 32);
        if ((shift != 9 && shift != 12) || miniShift != 6) {
            error = QStringLiteral("unknown sector size");
            return false;
        }
        m_sectorSize = 1 << shift;
        m_miniSectorSize = 1 << miniShift;
        const quint32 fatSectors = u32(m_bytes, 44);
        m_directoryStart = u32(m_bytes, 48);
        m_miniCutoff = u32(m_bytes, 56);
        m_miniFatStart = u32(m_bytes, 60);
        quint32 difatSector = u32(m_bytes, 68);
        // The sectors of the allocation table: 109 in the header, the rest
        // in a chain of their own.
        QList<quint32> fatList;
        for (int i = 0; i < 109 && static_cast<quint32>(fatList.size()) < fatSectors; ++i)
            fatList << u32(m_bytes, 76 + 4 * i);
        const qsizetype perSector = m_sectorSize / 4;
        for (int guard = 0; static_cast<quint32>(fatList.size()) < fatSectors && difatSector < 0xFFFFFFFA; ++guard) {
            const qsizetype offset = sectorOffset(difatSector);
            if (offset < 0 || guard > 100000)
                break;
            for (qsizetype i = 0; i + 1 < perSector && static_cast<quint32>(fatList.size()) < fatSectors; ++i)
                fatList << u32(m_bytes, offset + 4 * i);
            difatSector = u32(m_bytes, offset + 4 * (perSector - 1));
        }
        for (const quint32 sector : fatList) {
            const qsizetype offset = sectorOffset(sector);
            if (offset < 0)
                break;
            m_fat += m_bytes.mid(offset, m_sectorSize);
        }
        if (m_fat.isEmpty()) {
            error = QStringLiteral("the compound file has no allocation table");
            return false;
        }
        return true;
    }

    qsizetype sectorOffset(quint32 sector) const
    {
        const qint64 offset = (static_cast<qint64>(sector) + 1) * m_sectorSize;
        return offset + m_sectorSize <= m_bytes.size() ? static_cast<qsizetype>(offset) : -1;
    }

    // The bytes of a chain of sectors, cut to size when size is known. A
    // chain that loops or leaves the file ends there.
    QByteArray chain(quint32 sector, qint64 size) const
    {
        QByteArray data;
        const qsizetype most = m_bytes.size() / m_sectorSize + 1;
        for (qsizetype count = 0; sector < 0xFFFFFFFA && count < most; ++count) {
            if (size >= 0 && data.size() >= size)
                break;
            const qsizetype offset = sectorOffset(sector);
            if (offset < 0)
                break;
            data += m_bytes.mid(offset, m_sectorSize);
            const qsizetype at = static_cast<qsizetype>(sector) * 4;
            if (at + 4 > m_fat.size())
                break;
            sector = u32(m_fat, at);
            if (sector == kFreeSector)
                break;
        }
        return size >= 0 ? data.left(static_cast<qsizetype>(size)) : data;
    }

    const QByteArray& m_bytes;
    QByteArray m_fat;
    int m_sectorSize = 512;
    int m_miniSectorSize = 64;
    quint32 m_directoryStart = kEndOfChain;
    quint32 m_miniFatStart = kEndOfChain;
    quint32 m_miniCutoff = 4096;
};

// ---- records ----------------------------------------------------------------

struct Record
{
    quint16 type = 0;
    qsizetype offset = 0; // of the record's data in the stream
    QByteArray data;
    std::vector<QByteArray> continues; // CONTINUE records that follow it
};

class RecordReader
{
public:
    explicit RecordReader(const QByteArray& stream) : m_stream(stream) {}
    void seek(qsizetype at) { m_at = at; }
    bool next(Record& record)
    {
        if (m_at + 4 > m_stream.size())
            return false;
        record.type = u16(m_stream, m_at);
        const quint16 length = u16(m_stream, m_at + 2);
        record.offset = m_at + 4;
        record.data = m_stream.mid(m_at + 4, length);
        record.continues.clear();
        m_at += 4 + length;
        while (m_at + 4 <= m_stream.size() && u16(m_stream, m_at) == 0x003C) {
            const quint16 more = u16(m_stream, m_at + 2);
            record.continues.push_back(m_stream.mid(m_at + 4, more));
            m_at += 4 + more;
        }
        return true;
    }

private:
    const QByteArray& m_stream;
    qsizetype m_at = 0;
};

// Reads strings that may run on into CONTINUE records: where the characters
// of a string are split, the next record starts with a fresh flags byte.
class StringStream
{
public:
    explicit StringStream(const Record& record)
    {
        m_parts.push_back(record.data);
        for (const QByteArray& more : record.continues)
            m_parts.push_back(more);
    }
    void skip(qsizetype count) { bytes(count); }
    bool atEnd()
    {
        settle();
        return m_part >= m_parts.size();
    }
    QByteArray bytes(qsizetype count)
    {
        QByteArray out;
        while (count > 0 && !atEnd()) {
            const QByteArray& part = m_parts[m_part];
            const qsizetype take = std::min(count, part.size() - m_at);
            out += part.mid(m_at, take);
            m_at += take;
            count -= take;
        }
        return out;
    }
    quint16 word()
    {
        const QByteArray b = bytes(2);
        return u16(b, 0);
    }
    quint32 dword()
    {
        const QByteArray b = bytes(4);
        return u32(b, 0);
    }
    // An XLUnicodeString (with a 16-bit or an 8-bit count) with its rich
    // text runs and phonetic block, as in the shared strings.
    QString string(bool shortCount)
    {
        const int count = shortCount ? u8(bytes(1), 0) : word();
        const int flags = u8(bytes(1), 0);
        const int runs = (flags & 0x08) ? word() : 0;
        const quint32 phonetic = (flags & 0x04) ? dword() : 0;
        bool wide = flags & 0x01;
        QString text;
        text.reserve(count);
        int left = count;
        while (left > 0 && m_part < m_parts.size()) {
            if (m_at >= m_parts[m_part].size()) {
                if (m_part + 1 >= m_parts.size()) {
                    m_part = m_parts.size();
                    break;
                }
                ++m_part;
                wide = u8(m_parts[m_part], 0) & 0x01;
                m_at = 1;
                continue;
            }
            const QByteArray& part = m_parts[m_part];
            const qsizetype available = (part.size() - m_at) / (wide ? 2 : 1);
            const int take = static_cast<int>(std::min<qsizetype>(left, available));
            if (take == 0) { // half a character at the end of a record: a broken file
                m_at = part.size();
                continue;
            }
            if (wide)
                for (int i = 0; i < take; ++i)
                    text += QChar(u16(part, m_at + 2 * i));
            else
                text += QString::fromLatin1(part.constData() + m_at, take);
            m_at += static_cast<qsizetype>(take) * (wide ? 2 : 1);
            left -= take;
        }
        skip(static_cast<qsizetype>(runs) * 4 + phonetic);
        return text;
    }

private:
    void settle()
    {
        while (m_part < m_parts.size() && m_at >= m_parts[m_part].size()) {
            ++m_part;
            m_at = 0;
        }
    }
    std::vector<QByteArray> m_parts;
    size_t m_part = 0;
    qsizetype m_at = 0;
};

double rkNumber(quint32 rk)
{
    double value = 0;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<qint32>(rk) >> 2);
    } else {
        const quint64 bits = static_cast<quint64>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100.0 : value;
}

struct SheetEntry
{
    QString name;
    quint32 offset = 0;
    int state = 0; // 0 visible, 1 hidden, 2 very hidden
    int kind = 0;  // 0 worksheet; charts and macro sheets are other kinds
};

struct Globals
{
    bool from1904 = false;
    QStringList strings;
    QHash<int, QString> formatCodes;
    std::vector<int> cellFormats; // the format number of each cell style
    std::vector<SheetEntry> sheets;
};

class BiffReader
{
public:
    explicit BiffReader(const QByteArray& stream) : m_stream(stream) {}

    ImportWorkbook read()
    {
        ImportWorkbook book;
        book.kind = WorkbookKind::Xls;
        Record record;
        RecordReader reader(m_stream);
        if (!reader.next(record) || (record.type != 0x0809) || u16(record.data, 0) != 0x0600) {
            book.error = QStringLiteral("only Excel 97 and later workbooks (BIFF8) are read");
            return book;
        }
        while (reader.next(record) && record.type != 0x000A)
            global(record);
        for (const SheetEntry& entry : m_globals.sheets) {
            if (entry.kind != 0)
                continue;
            ImportSheet sheet;
            sheet.name = entry.name;
            sheet.hidden = entry.state != 0;
            readSheet(entry.offset, sheet);
            book.sheets.push_back(std::move(sheet));
        }
        if (book.sheets.empty())
            book.error = QStringLiteral("the workbook holds no worksheet");
        return book;
    }

private:
    void global(const Record& record)
    {
        switch (record.type) {
        case 0x0022: // DATEMODE
            m_globals.from1904 = u16(record.data, 0) == 1;
            break;
        case 0x041E: { // FORMAT
            StringStream in(record);
            const int id = in.word();
            m_globals.formatCodes.insert(id, in.string(false));
            break;
        }
        case 0x00E0: // XF
            m_globals.cellFormats.push_back(u16(record.data, 2));
            break;
        case 0x0085: { // BOUNDSHEET
            SheetEntry entry;
            entry.offset = u32(record.data, 0);
            entry.state = u8(record.data, 4) & 0x03;
            entry.kind = u8(record.data, 5);
            Record name = record;
            name.data = record.data.mid(6);
            StringStream in(name);
            entry.name = in.string(true);
            m_globals.sheets.push_back(entry);
            break;
        }
        case 0x00FC: { // SST
            StringStream in(record);
            in.skip(4);
            const quint32 unique = in.dword();
            for (quint32 i = 0; i < unique && !in.atEnd(); ++i)
                m_globals.strings << in.string(false);
            break;
        }
        default:
            break;
        }
    }

    QString numberText(double value, int style) const
    {
        NumberFormat format;
        if (style >= 0 && static_cast<size_t>(style) < m_globals.cellFormats.size()) {
            const int id = m_globals.cellFormats[static_cast<size_t>(style)];
            format = m_globals.formatCodes.contains(id) ? sheetformat::formatOfCode(m_globals.formatCodes.value(id))
                                                        : sheetformat::builtInFormat(id);
        }
        return sheetformat::numberText(value, format, m_globals.from1904);
    }

    void readSheet(quint32 offset, ImportSheet& sheet)
    {
        RecordReader reader(m_stream);
        reader.seek(offset);
        Record record;
        if (!reader.next(record) || record.type != 0x0809)
            return;
        std::map<int, QStringList> rows;
        QSet<int> hiddenRows;
        int depth = 1;          // an embedded chart brings a BOF..EOF of its own
        int pendingRow = -1;    // a formula whose text follows in a STRING record
        int pendingColumn = -1;
        auto put = [&rows](int row, int column, const QString& text) {
            if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns || text.isEmpty())
                return;
            QStringList& cells = rows[row];
            while (cells.size() <= column)
                cells << QString();
            cells[column] = text;
        };
        while (depth > 0 && reader.next(record)) {
            const QByteArray& d = record.data;
            switch (record.type) {
            case 0x0809:
                ++depth;
                break;
            case 0x000A:
                --depth;
                break;
            default:
                break;
            }
            if (depth != 1)
                continue;
            const int row = u16(d, 0);
            const int column = u16(d, 2);
            const int style = u16(d, 4);
            switch (record.type) {
            case 0x0208: // ROW: hidden when fDyZero is set
                if (u32(d, 12) & 0x20)
                    hiddenRows.insert(row);
                break;
            case 0x00FD: // LABELSST
                put(row, column, m_globals.strings.value(static_cast<qsizetype>(u32(d, 6))));
                break;
            case 0x0204:   // LABEL
            case 0x00D6: { // RSTRING
                Record text = record;
                text.data = d.mid(6);
                StringStream in(text);
                put(row, column, in.string(false));
                break;
            }
            case 0x0203: // NUMBER
                put(row, column, numberText(f64(d, 6), style));
                break;
            case 0x027E: // RK
                put(row, column, numberText(rkNumber(u32(d, 6)), style));
                break;
            case 0x00BD: { // MULRK: a run of RK cells in one row
                const int last = u16(d, d.size() - 2);
                for (int c = column, at = 4; c <= last && at + 6 <= d.size() - 2; ++c, at += 6)
                    put(row, c, numberText(rkNumber(u32(d, at + 2)), u16(d, at)));
                break;
            }
            case 0x0205: { // BOOLERR
                const int value = u8(d, 6);
                if (u8(d, 7) == 0)
                    put(row, column, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
                else
                    put(row, column, errorText(value));
                break;
            }
            case 0x0006: { // FORMULA: its cached value is what the sheet shows
                if (u16(d, 12) != 0xFFFF) {
                    put(row, column, numberText(f64(d, 6), style));
                    break;
                }
                const int kind = u8(d, 6);
                const int value = u8(d, 8);
                if (kind == 0) {
                    pendingRow = row;
                    pendingColumn = column;
                } else if (kind == 1) {
                    put(row, column, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
                } else if (kind == 2) {
                    put(row, column, errorText(value));
                }
                break;
            }
            case 0x0207: { // STRING: the text result of the formula before it
                if (pendingRow >= 0) {
                    StringStream in(record);
                    put(pendingRow, pendingColumn, in.string(false));
                }
                pendingRow = -1;
                break;
            }
            default:
                break;
            }
        }
        for (auto& [index, cells] : rows) {
            while (!cells.isEmpty() && cells.back().isEmpty())
                cells.removeLast();
            if (cells.isEmpty())
                continue;
            if (hiddenRows.contains(index)) {
                ++sheet.hiddenRows;
                continue;
            }
            if (sheet.rows.size() <= static_cast<size_t>(index))
                sheet.rows.resize(static_cast<size_t>(index) + 1);
            sheet.rows[static_cast<size_t>(index)] = cells;
        }
    }

    static QString errorText(int code)
    {
        switch (code) {
        case 0x00: return QStringLiteral("#NULL!");
        case 0x07: return QStringLiteral("#DIV/0!");
        case 0x0F: return QStringLiteral("#VALUE!");
        case 0x17: return QStringLiteral("#REF!");
        case 0x1D: return QStringLiteral("#NAME?");
        case 0x24: return QStringLiteral("#NUM!");
        default: return QStringLiteral("#N/A");
        }
    }

    const QByteArray& m_stream;
    Globals m_globals;
};

} // namespace

ImportWorkbook ReadBiffWorkbook(const QByteArray& bytes)
{
    QString error;
    CompoundFile file(bytes);
    const QByteArray stream = file.stream({QStringLiteral("Workbook"), QStringLiteral("Book")}, error);
    if (stream.isEmpty()) {
        ImportWorkbook book;
        book.kind = WorkbookKind::Xls;
        book.error = error.isEmpty() ? QStringLiteral("the workbook stream is empty") : error;
        return book;
    }
    return BiffReader(stream).read();
}
