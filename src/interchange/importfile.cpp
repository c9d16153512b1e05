#include "interchange/importfile.h"

#include <QFile>
#include <QStringDecoder>

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
    QString value;
    bool quoted = false;
    bool atStart = true;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                    value += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                value += c;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            values << value;
            value.clear();
            atStart = true;
            if (values.size() == kMaxImportValues)
                return values;
            continue;
        }
        if (c == QLatin1Char('"') && atStart) {
            quoted = true;
            atStart = false;
            continue;
        }
        atStart = false;
        value += c;
    }
    values << value;
    return values;
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
