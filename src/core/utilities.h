#pragma once
// Small helpers shared by every subsystem.
#include <QDateTime>
#include <QString>

// Local time as "%Y-%m-%d %H:%M:%S".
QString TimestampText();
QDateTime ParseTimestamp(const QString& text);

QString CurrentUserName();
QString CurrencySymbol(const QString& currencyCode);

// The lenient conversions the stored texts are read with: the leading numeric
// part of the text, 0 when there is none (" 12abc" -> 12, "abc" -> 0).
double TextToDouble(const QString& text);
int TextToInt(const QString& text);
