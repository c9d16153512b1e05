#pragma once
// Sorting a text column by the numbers it holds, in the words of either
// database: stock figures, prices and quantities are kept as text, and
// "4000" must come after "5", not before it.
#include <QString>

#include "db/statement.h"

// True when the column holds at least one number and every value that is
// not empty reads as one (for the rows of condition, or all of them).
// The condition's values stand as "?" and go bound, in args.
bool ColumnHoldsNumbers(const QString& table, const QString& column, const QString& condition,
                        const SqlArgs& args = {});

// The terms of an "order by" that sort column by value: values that are
// no number (the empty ones) come before the numbers, as they would in an
// ascending text sort, and after them descending.
QString NumericOrderTerms(const QString& column, bool descending);
