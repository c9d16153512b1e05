#pragma once
// Quantities as users type them and as the stock figures store them.
#include <QString>

// The largest quantity of a requirement: far beyond any real production run,
// small enough that every product of it with a bill stays exact.
constexpr double kMaxRequirementQuantity = 1000000;
// The largest quantity one purchase-order line may move into stock.
constexpr double kMaxLineQuantity = 1000000000;

// The largest quantity a stored figure, a bill line or a ledger row may hold:
// with six decimals a double still carries every digit of it exactly.
constexpr double kMaxStoredQuantity = 1000000000;

// A number in its plain decimal form: "10", "7.5", "-2", never an exponent;
// at most six decimals, trailing zeros dropped. Figures written this way read
// back exactly as written.
QString PlainNumber(double value);

// Reads a quantity typed by a user: a positive number in plain decimal
// ("12", "2.5", " 7 "), not above maximum. Hex, exponents, signs, trailing
// text and zero are refused: the answer is false and error says why, in words
// fit for a message.
bool ParseQuantity(const QString& text, double maximum, double* value, QString* error);

// Reads a quantity as it is stored (a bill line, an allocation, a stock
// figure, a purchase-order line) or about to be: a plain non-negative decimal
// ("0", "12", "2.5") not above kMaxStoredQuantity; surrounding blanks are
// allowed and an empty text reads as 0. Hex, exponents, signs, thousands
// separators and trailing text are refused, never read as a number: the
// answer is false and error says why, in words fit for a message.
bool ParseStoredQuantity(const QString& text, double* value, QString* error = nullptr);
