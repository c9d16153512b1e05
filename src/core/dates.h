#pragma once
// Dates as people type them and as the shop stores them: a date cell takes the
// user's own way of writing a date or ISO, and keeps ISO ("2027-01-15") so
// that every reader, sort and comparison sees one form.
#include <QDate>
#include <QLocale>
#include <QString>

// The date written in text: ISO (a time after it is allowed and dropped), the
// locale's short or long form, or the numeric forms d.M.yyyy, d/M/yyyy and
// M/d/yyyy as the locale orders day and month. An invalid QDate when the text
// is no date at all (or names a day that does not exist).
QDate ParseUserDate(const QString& text, const QLocale& locale = QLocale());

// "yyyy-MM-dd"; empty for an invalid date.
QString IsoDate(const QDate& date);

// A stored date or timestamp ("2027-01-15", "2027-01-15 08:00:00"); invalid
// when the text does not start with an ISO date.
QDate StoredDate(const QString& text);
