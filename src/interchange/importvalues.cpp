#include "interchange/importvalues.h"

#include <QList>

#include <array>

namespace {

bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'_' || u == u'#';
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char(' ') || c == QLatin1Char('\t')
        || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.unicode() == 0xA0;
}

// A designator: letters, digits, at most one letter. Its letters and number.
bool readDesignator(QStringView piece, QStringView* letters, long long* number, qsizetype* suffix)
{
    qsizetype i = 0;
    while (i < piece.size() && isLetter(piece[i]))
        ++i;
    const qsizetype digitsAt = i;
    long long value = 0;
    while (i < piece.size() && isDigit(piece[i])) {
        value = value * 10 + (piece[i].unicode() - u'0');
        if (value > 100000000)
            return false;
        ++i;
    }
    if (i == digitsAt)
        return false;
    const qsizetype suffixAt = i;
    if (i < piece.size() && isLetter(piece[i]))
        ++i;
    if (i != piece.size())
        return false;
    *letters = piece.left(digitsAt);
    *number = value;
    *suffix = piece.size() - suffixAt;
    return true;
}

bool readNumber(QStringView piece, long long* number)
{
    if (piece.isEmpty() || piece.size() > 8)
        return false;
    long long value = 0;
    for (const QChar c : piece) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    *number = value;
    return true;
}

} // namespace

DesignatorList ParseDesignators(QStringView text, bool keepPlainText)
{
    DesignatorList list;
    const QStringView trimmed = text.trimmed();
    // Two passes at most: the first counts and finds whether the list must
    // be written anew (separators other than single commas, abbreviations);
    // only then the second writes it.
    QString normal;
    const auto parse = [&](bool write) {
        QStringView lastLetters;
        bool understood = true;
        bool anyPiece = false;
        bool plain = true;
        int count = 0;
        qsizetype i = 0;
        const qsizetype n = trimmed.size();
        while (i < n) {
            const qsizetype separators = i;
            while (i < n && isSeparator(trimmed[i]))
                ++i;
            if (anyPiece ? !(i - separators == 1 && trimmed[separators] == QLatin1Char(',')) : i > separators)
                plain = false;
            qsizetype end = i;
            while (end < n && !isSeparator(trimmed[end]))
                ++end;
            if (end == i) {
                plain = plain && i == separators;
                break;
            }
            const QStringView piece = trimmed.mid(i, end - i);
            i = end;
            anyPiece = true;
            if (write && !normal.isEmpty())
                normal += QLatin1Char(',');

            QStringView letters;
            long long number = 0;
            qsizetype suffix = 0;
            if (readDesignator(piece, &letters, &number, &suffix)) {
                // A designator without letters is a number: only after one with them.
                if (letters.isEmpty()) {
                    if (lastLetters.isEmpty()) {
                        understood = false;
                        if (write)
                            normal += piece;
                        continue;
                    }
                    plain = false;
                    if (write)
                        normal += lastLetters;
                } else {
                    lastLetters = letters;
                }
                if (write)
                    normal += piece;
                ++count;
                continue;
            }
            // A range: two designators around one dash.
            const qsizetype dash = piece.indexOf(QLatin1Char('-'));
            QStringView firstLetters, secondLetters;
            long long first = 0, second = 0;
            qsizetype firstSuffix = 0, secondSuffix = 0;
            if (dash > 0 && readDesignator(piece.left(dash), &firstLetters, &first, &firstSuffix)
                && !firstLetters.isEmpty() && firstSuffix == 0) {
                const QStringView rest = piece.mid(dash + 1);
                const bool full = readDesignator(rest, &secondLetters, &second, &secondSuffix) && secondSuffix == 0
                    && (secondLetters.isEmpty() || secondLetters == firstLetters);
                if ((full || readNumber(rest, &second)) && second >= first && second - first < kMaxDesignatorRange) {
                    lastLetters = firstLetters;
                    if (write)
                        normal += piece;
                    count += static_cast<int>(second - first + 1);
                    continue;
                }
            }
            understood = false;
            if (write)
                normal += piece;
        }
        list.understood = understood && anyPiece;
        list.count = list.understood ? count : 0;
        list.rewritten = list.understood && !plain;
    };
    parse(false);
    if (list.rewritten) {
        normal.reserve(trimmed.size() + 8);
        parse(true);
        list.text = normal;
    } else if (keepPlainText) {
        list.text = trimmed.toString();
    }
    return list;
}

bool IsDoNotPopulate(QStringView text)
{
    static const std::array<QLatin1StringView, 12> phrases{
        QLatin1StringView("DNP"),         QLatin1StringView("DNF"),
        QLatin1StringView("Do not populate"), QLatin1StringView("Do not place"),
        QLatin1StringView("Do not fit"),  QLatin1StringView("Do not mount"),
        QLatin1StringView("Not fitted"),  QLatin1StringView("Not populated"),
        QLatin1StringView("Not mounted"), QLatin1StringView("No pop"),
        QLatin1StringView("Leave empty"), QLatin1StringView("Do not stuff"),
    };
    // Every phrase begins with D, N or L: most cells are ruled out by their
    // first character.
    qsizetype first = 0;
    while (first < text.size() && text[first].isSpace())
        ++first;
    if (first == text.size())
        return false;
    const char16_t c = text[first].unicode() | 0x20;
    if (c != u'd' && c != u'n' && c != u'l')
        return false;
    const QStringView t = text.trimmed();
    if (t.size() < 3 || t.size() > 15)
        return false;
    for (const QLatin1StringView phrase : phrases)
        if (t.compare(phrase, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool IsDoNotPopulateMark(QStringView text)
{
    const QStringView t = CleanCell(text);
    if (t.isEmpty())
        return false;
    static const std::array<QLatin1StringView, 7> fitted{
        QLatin1StringView("0"),     QLatin1StringView("no"),     QLatin1StringView("n"),
        QLatin1StringView("false"), QLatin1StringView("fitted"), QLatin1StringView("fit"),
        QLatin1StringView("populate"),
    };
    for (const QLatin1StringView word : fitted)
        if (t.compare(word, Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

QStringView CleanCell(QStringView text)
{
    QStringView t = text.trimmed();
    if (t.size() >= 2 && t[0] == QLatin1Char('\'')) {
        const QChar next = t[1];
        if (next == QLatin1Char('=') || next == QLatin1Char('+') || next == QLatin1Char('-') || next == QLatin1Char('@')
            || next == QLatin1Char('\t') || next == QLatin1Char('\r'))
            t = t.mid(1);
    }
    if (t.size() == 1 && (t[0] == QLatin1Char('~') || t[0] == QLatin1Char('-')))
        return {};
    if (t.size() == 3 && t.compare(QLatin1StringView("n/a"), Qt::CaseInsensitive) == 0)
        return {};
    return t;
}

bool ReadQuantity(QStringView text, double* value)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 15)
        return false;
    // Read by hand: most quantities are a digit or two, and the library's
    // reading costs more than the rest of the line.
    long long whole = 0;
    long long fraction = 0;
    long long scale = 1;
    bool point = false;
    bool digit = false;
    for (const QChar c : t) {
        if (isDigit(c)) {
            digit = true;
            if (point) {
                fraction = fraction * 10 + (c.unicode() - u'0');
                scale *= 10;
            } else {
                whole = whole * 10 + (c.unicode() - u'0');
            }
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digit)
        return false;
    *value = static_cast<double>(whole) + static_cast<double>(fraction) / static_cast<double>(scale);
    return true;
}

QStringView WithoutLibrary(QStringView name)
{
    const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? name.mid(colon + 1) : name;
}

bool IsWebAddress(QStringView text)
{
    const QStringView t = text.trimmed();
    return t.startsWith(QLatin1StringView("http://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1StringView("https://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1StringView("www."), Qt::CaseInsensitive);
}

bool ReadLocaleQuantity(QStringView text, double* value, QString* plain)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 20)
        return false;
    // Which mark is the decimal one: the last of two kinds, a lone comma or
    // point; the other kind (and spaces) only groups thousands.
    const qsizetype lastPoint = t.lastIndexOf(QLatin1Char('.'));
    const qsizetype lastComma = t.lastIndexOf(QLatin1Char(','));
    QChar decimal;
    if (lastPoint >= 0 && lastComma >= 0)
        decimal = lastPoint > lastComma ? QLatin1Char('.') : QLatin1Char(',');
    else if (lastComma >= 0 && t.count(QLatin1Char(',')) == 1)
        decimal = QLatin1Char(',');
    else if (lastPoint >= 0 && t.count(QLatin1Char('.')) == 1)
        decimal = QLatin1Char('.');
    QString digits;
    bool seenDecimal = false;
    int sinceGroup = -1; // digits since the last thousands mark; -1: none seen
    int leading = 0;
    for (const QChar c : t) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            digits += c;
            if (!seenDecimal) {
                ++leading;
                if (sinceGroup >= 0)
                    ++sinceGroup;
            }
            continue;
        }
        if (!decimal.isNull() && c == decimal && !seenDecimal) {
            if (sinceGroup >= 0 && sinceGroup != 3)
                return false;
            seenDecimal = true;
            digits += QLatin1Char('.');
            continue;
        }
        const bool group = c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char(' ') || c.unicode() == 0xA0
            || c.unicode() == 0x202F || c == QLatin1Char('\'');
        // A group mark stands after one to three digits, then before three.
        if (!group || seenDecimal || leading == 0 || (sinceGroup >= 0 && sinceGroup != 3) || (sinceGroup < 0 && leading > 3))
            return false;
        sinceGroup = 0;
    }
    if (sinceGroup >= 0 && sinceGroup != 3 && !seenDecimal)
        return false;
    if (digits.isEmpty() || digits == QLatin1String(".") || digits.endsWith(QLatin1Char('.')) || digits.startsWith(QLatin1Char('.')))
        return false;
    double number = 0;
    if (!ReadQuantity(digits, &number))
        return false;
    if (number > kMaxImportQuantity)
        return false;
    *value = number;
    if (plain)
        *plain = digits;
    return true;
}

bool IsPlaceholder(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return true;
    if (t.size() > 20)
        return false;
    static const std::array<QLatin1StringView, 13> words{
        QLatin1StringView("ANY"), QLatin1StringView("DNP"), QLatin1StringView("NC"),  QLatin1StringView("N/A"),
        QLatin1StringView("NA"),  QLatin1StringView("TBD"), QLatin1StringView("-"),   QLatin1StringView("~"),
        QLatin1StringView("?"),   QLatin1StringView("--"),  QLatin1StringView("-- mixed values --"),
        QLatin1StringView("N.A."), QLatin1StringView("none"),
    };
    for (const QLatin1StringView word : words)
        if (t.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    // Runs of dashes, question marks or tildes alone.
    for (const QChar c : t)
        if (c != QLatin1Char('-') && c != QLatin1Char('?') && c != QLatin1Char('~') && c != QLatin1Char(' '))
            return false;
    return true;
}

QString PackageOfFootprint(QStringView footprint)
{
    const QStringView name = WithoutLibrary(footprint.trimmed());
    const QList<QStringView> pieces = name.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return name.toString();
    // "R_0402_1005Metric", "C_0805_...", "LED_0603_...": the first piece is
    // the kind of part, the second its package.
    const QStringView kind = pieces[0];
    bool letters = !kind.isEmpty() && kind.size() <= 3;
    for (const QChar c : kind)
        letters = letters && c.isLetter();
    return (letters ? pieces[1] : pieces[0]).toString();
}

bool LooksLikeComponentValue(QStringView text)
{
    QStringView t = text.trimmed();
    // The first word carries the value: "10uF 10V", "100n 50V X7R".
    const qsizetype space = t.indexOf(QLatin1Char(' '));
    if (space > 0)
        t = t.left(space);
    if (t.isEmpty() || t.size() > 12 || !isDigit(t[0]))
        return false;
    const auto isMultiplier = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'p' || u == u'n' || u == u'u' || u == u'm' || u == u'k' || u == u'K' || u == u'M' || u == u'G'
            || u == u'R' || u == u'r' || u == u'U' || u == u'N' || u == u'P' || u == 0xB5 || u == 0x3BC;
    };
    const auto isUnit = [](QStringView unit) {
        static const std::array<QLatin1StringView, 7> units{
            QLatin1StringView("F"), QLatin1StringView("H"), QLatin1StringView("ohm"), QLatin1StringView("V"),
            QLatin1StringView("A"), QLatin1StringView("Hz"), QLatin1StringView("W")};
        // The ohm sign and the Greek capital omega both stand for ohms.
        if (unit.size() == 1 && (unit[0].unicode() == 0x2126 || unit[0].unicode() == 0x3A9))
            return true;
        for (const QLatin1StringView u : units)
            if (unit.compare(u, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    qsizetype i = 0;
    while (i < t.size() && (isDigit(t[i]) || t[i] == QLatin1Char('.') || t[i] == QLatin1Char(',')))
        ++i;
    if (i == t.size())
        return false; // a bare number is a count or a price
    // RKM: "4R7", "1K8", "0u1", "2u2".
    if (isMultiplier(t[i]) && i + 1 < t.size() && isDigit(t[i + 1])) {
        qsizetype j = i + 1;
        while (j < t.size() && isDigit(t[j]))
            ++j;
        return j == t.size() || isUnit(t.mid(j));
    }
    QStringView rest = t.mid(i);
    if (isMultiplier(rest[0]) && (rest.size() == 1 || isUnit(rest.mid(1))))
        return true;
    if (rest.size() > 1 && rest[0] == QLatin1Char('/'))
        return false;
    return isUnit(rest) || (rest.endsWith(QLatin1Char('%')) && rest.size() == 1);
}
