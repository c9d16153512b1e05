#include "interchange/importfile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

QString DecodeImportBytes(const QByteArray& bytes)
{
    const auto starts = [&bytes](const char* mark) { return bytes.startsWith(QByteArray(mark)); };
    if (starts("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless)(bytes.mid(2));
    if (starts("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless)(bytes.mid(2));
    if (starts("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    // Without a mark a file is UTF-8 only when every byte sequence says so;
    // the 8-bit files of older tools keep their bytes as characters.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QStringList SplitImportLine(const QString& line)
{
    QStringList values;
    values.reserve(std::min<qsizetype>(line.count(QLatin1Char(',')) + 1, kMaxImportValues));
    const qsizetype n = line.size();
    const QChar* text = line.constData();
    qsizetype i = 0;
    for (;;) {
        if (i < n && text[i] == QLatin1Char('"')) {
            // Quoted: taken character by character up to the comma that
            // follows the closing quote.
            QString value;
            bool quoted = true;
            for (++i; i < n; ++i) {
                const QChar c = text[i];
                if (quoted) {
                    if (c != QLatin1Char('"'))
                        value += c;
                    else if (i + 1 < n && text[i + 1] == QLatin1Char('"'))
                        value += text[++i];
                    else
                        quoted = false;
                    continue;
                }
                if (c == QLatin1Char(','))
                    break;
                value += c;
            }
            values << value;
        } else {
            // Unquoted, the common case: everything up to the next comma.
            qsizetype end = line.indexOf(QLatin1Char(','), i);
            if (end < 0)
                end = n;
            values << line.mid(i, end - i);
            i = end;
        }
        if (i >= n || values.size() == kMaxImportValues)
            return values;
        ++i; // the comma
    }
}

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

QStringList ImportFile::values(int index) const
{
    return SplitImportLine(m_lines[static_cast<size_t>(index)]);
}

void ImportFile::setBytes(const QByteArray& bytes)
{
    const QString text = DecodeImportBytes(bytes);
    m_lines.clear();
    m_ends.clear();
    m_length = text.size();
    m_loaded = true;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        // Control characters end a line, as they always have, except the tab,
        // which spreadsheets leave inside values.
        if (c >= 14 || c == u'\t')
            continue;
        m_lines.push_back(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        m_ends.push_back(i + 1);
        start = i + 1;
    }
    // A last line without a line end is a line like any other.
    if (start < n) {
        m_lines.push_back(text.mid(start));
        m_ends.push_back(n);
    }
}
