#include "core/dates.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Two-digit years read as this century: nobody plans a build for 1927.
QDate withCentury(QDate date, const QString& format)
{
    if (date.isValid() && !format.contains(QLatin1String("yyyy")) && date.year() < 2000)
        date = date.addYears(100);
    return date;
}

// Whether the locale writes the month before the day (as in "1/15/27").
bool monthFirst(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype month = format.indexOf(QLatin1Char('M'));
    const qsizetype day = format.indexOf(QLatin1Char('d'));
    return month >= 0 && day >= 0 && month < day;
}

} // namespace

QDate ParseUserDate(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2})?)?$"));
    const QRegularExpressionMatch isoMatch = iso.match(trimmed);
    if (isoMatch.hasMatch())
        return QDate(isoMatch.captured(1).toInt(), isoMatch.captured(2).toInt(), isoMatch.captured(3).toInt());

    for (const QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat, QLocale::NarrowFormat}) {
        const QString format = locale.dateFormat(type);
        const QDate date = withCentury(locale.toDate(trimmed, format), format);
        if (date.isValid())
            return date;
    }
    // Numbers with dots, slashes or dashes, in the locale's order of day and month.
    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,2})[./-](\\d{1,2})[./-](\\d{2}|\\d{4})\\.?$"));
    const QRegularExpressionMatch match = numeric.match(trimmed);
    if (!match.hasMatch())
        return {};
    int first = match.captured(1).toInt();
    int second = match.captured(2).toInt();
    int year = match.captured(3).toInt();
    if (match.captured(3).size() == 2)
        year += 2000;
    // A dot is the European day-first form whatever the locale.
    const bool dotted = trimmed.contains(QLatin1Char('.'));
    if (!dotted && monthFirst(locale))
        std::swap(first, second);
    return QDate(year, second, first);
}

QString IsoDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QDate StoredDate(const QString& text)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})"));
    const QRegularExpressionMatch match = iso.match(text.trimmed());
    if (!match.hasMatch())
        return {};
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}
