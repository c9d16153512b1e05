#include "core/quantity.h"

#include "core/dictionary.h"

#include <QRegularExpression>
#include <cmath>

QString PlainNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'f', 6);
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

bool ParseQuantity(const QString& text, double maximum, double* value, QString* error)
{
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString trimmed = text.trimmed();
    auto refuse = [&](const QString& why) {
        if (error)
            *error = why + QStringLiteral(" \"") + text + QLatin1Char('"');
        return false;
    };
    if (!plain.match(trimmed).hasMatch())
        return refuse(
            TranslateLabel(QStringLiteral("The quantity must be a positive number in plain decimal, such as 12 or 2.5:")));
    const double number = trimmed.toDouble();
    if (!(number > 0))
        return refuse(TranslateLabel(QStringLiteral("The quantity must be greater than 0:")));
    if (number > maximum)
        return refuse(TranslateLabel(QStringLiteral("The quantity must not be above")) + QLatin1Char(' ')
                      + PlainNumber(maximum) + QLatin1Char(':'));
    if (value)
        *value = number;
    return true;
}

bool ParseStoredQuantity(const QString& text, double* value, QString* error)
{
    static const QRegularExpression plain(QStringLiteral("^([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    const QString trimmed = text.trimmed();
    auto refuse = [&](const QString& why) {
        if (error)
            *error = why + QStringLiteral(" \"") + text + QLatin1Char('"');
        if (value)
            *value = 0;
        return false;
    };
    if (trimmed.isEmpty()) {
        if (value)
            *value = 0;
        return true;
    }
    if (!plain.match(trimmed).hasMatch())
        return refuse(TranslateLabel(
            QStringLiteral("The quantity must be a number of 0 or more in plain decimal, such as 12 or 2.5:")));
    const double number = trimmed.toDouble();
    if (!(number <= kMaxStoredQuantity))
        return refuse(TranslateLabel(QStringLiteral("The quantity must not be above")) + QLatin1Char(' ')
                      + PlainNumber(kMaxStoredQuantity) + QLatin1Char(':'));
    if (value)
        *value = number;
    return true;
}
