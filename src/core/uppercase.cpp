#include "core/uppercase.h"

QString UpperCaseName(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype first = 0;
    for (; first < n; ++first) {
        const char16_t u = text[first].unicode();
        if (u < 0x80 ? (u >= u'a' && u <= u'z') : (u != 0xB5 && text[first].isLower()))
            break;
    }
    if (first == n)
        return text; // shares the text: most names are upper case already
    QString upper = text;
    for (qsizetype i = first; i < n; ++i) {
        const char16_t u = upper[i].unicode();
        if (u < 0x80) {
            if (u >= u'a' && u <= u'z')
                upper[i] = QChar(static_cast<char16_t>(u - (u'a' - u'A')));
            continue;
        }
        if (u == 0xB5 || QChar::isSurrogate(u))
            continue;
        // The simple mapping keeps one character for one.
        const char32_t mapped = QChar::toUpper(static_cast<char32_t>(u));
        if (mapped <= 0xFFFF)
            upper[i] = QChar(static_cast<char16_t>(mapped));
    }
    return upper;
}
