#pragma once
// Receiving part of a purchase order, and adjusting stock by hand: each moves
// the Stock figure and records the movement, in one transaction.
#include <QString>

enum class ReceiptOutcome
{
    Received,
    Declined, // more than ordered, and the user said no
    Refused,  // no such order or line, closed, bad quantity, or the database refused (reported)
};

// Receives `quantity` pieces of `part` on purchase order `number`: Stock up
// by the quantity, On_Order down by what the lines still had to deliver, the
// lines "Partial" until whole and "Received" then. Lines of the part fill in
// their order. More than the lines still expect is received only when the
// user says yes to "Receive more than ordered?"; the excess lands on the
// last line.
ReceiptOutcome ReceivePurchaseOrderPart(const QString& number, const QString& part, double quantity);

// Adds delta to the part's Stock and records it as an adjustment with its
// reason. Refuses (reported) an unknown part, a zero delta, an empty reason,
// and a delta that would take Stock below 0.
bool AdjustStock(const QString& part, double delta, const QString& reason);
