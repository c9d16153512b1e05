#include "core/utilities.h"

#include "core/appstate.h"

#include <cmath>
#include <cstdlib>
#include <limits>

QString TimestampText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime ParseTimestamp(const QString& text)
{
    auto part = [&text](int from, int length) { return TextToInt(text.mid(from, length)); };
    const QDate date(part(0, 4), part(5, 2), part(8, 2));
    const QTime time(part(11, 2), part(14, 2), part(17, 2));
    return QDateTime(date, time);
}

QString UpperCaseAscii(const QString& text)
{
    const qsizetype n = text.size();
    const QChar* chars = text.constData();
    qsizetype first = 0;
    while (first < n && !(chars[first].unicode() >= u'a' && chars[first].unicode() <= u'z'))
        ++first;
    if (first == n)
        return text; // shares the text: most values are upper case already
    QString upper = text;
    QChar* out = upper.data();
    for (qsizetype i = first; i < n; ++i) {
        const char16_t u = out[i].unicode();
        if (u >= u'a' && u <= u'z')
            out[i] = QChar(static_cast<char16_t>(u - (u'a' - u'A')));
    }
    return upper;
}

QString CurrentUserName()
{
    return App().CurrentUser;
}

QString CurrencySymbol(const QString& currencyCode)
{
    const QString code = currencyCode.toUpper();
    QString symbol;
    if (code.size() >= 3) {
        if (code[2] == QLatin1Char('D'))
            symbol = QStringLiteral("$");
        if (code[2] == QLatin1Char('P'))
            symbol = QStringLiteral("£");
        if (code[2] == QLatin1Char('Y'))
            symbol = QStringLiteral("¥");
    }
    if (code == QLatin1String("EUR"))
        symbol = QStringLiteral("€");
    return symbol;
}

double TextToDouble(const QString& text)
{
    // strtod on the ASCII prefix: the "C" reading of numbers, whatever the locale.
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x80)
            break;
        bytes += static_cast<char>(u);
    }
    const char* begin = bytes.constData();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value))
        return 0.0;
    return value;
}

int TextToInt(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    long long value = 0;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            value = std::numeric_limits<int>::max();
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

QString EscapedLineCell(const QString& cell)
{
    QString out;
    out.reserve(cell.size());
    for (const QChar c : cell) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default:
            if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0))
                out += QStringLiteral("\\x%1").arg(static_cast<int>(u), 2, 16, QLatin1Char('0'));
            else
                out += c;
            break;
        }
    }
    return out;
}
