#pragma once
// Small helpers shared by every subsystem.
#include <QDateTime>
#include <QString>

// Local time as "%Y-%m-%d %H:%M:%S".
QString TimestampText();
QDateTime ParseTimestamp(const QString& text);

// The upper case of stored names (part numbers, assemblies, vendors and the
// other fields the definitions mark): the ASCII letters a-z only. Every other
// character stays as typed, so "10µF" is still found as typed; a full Unicode
// upper case would turn the micro sign into a capital Greek Mu.
QString UpperCaseAscii(const QString& text);

QString CurrentUserName();
QString CurrencySymbol(const QString& currencyCode);

// The lenient conversions the stored texts are read with: the leading numeric
// part of the text, 0 when there is none (" 12abc" -> 12, "abc" -> 0).
double TextToDouble(const QString& text);
int TextToInt(const QString& text);

// A cell on one tab-separated line of koltctl's output: its own tabs and line
// breaks would split it, so they are written as \t, \n and \r, a backslash
// as \\, and any other control character (an escape sequence a terminal
// would obey) as \xHH.
QString EscapedLineCell(const QString& cell);
