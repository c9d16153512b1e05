#pragma once
// The two ends of a requirement: completing it consumes the whole need its
// allocation rows hold (out of Allocated and out of Stock); cancelling it
// releases them, deletes its pending purchase orders and takes what they
// would have delivered off On_Order.
#include <QString>

// Both ask first (completion names the purchase orders not yet received);
// they return true when the work was done (the Order dialog then closes),
// false when the user declined, the requirement is complete or cancelled
// already (said so, nothing changed) or the database refused.
// Completing builds the units: their components leave stock, the assembly
// goes in. A quantity of 0 completes all that is still open (and with it the
// requirement, its tasks "Done"); a smaller one completes that many, the rest
// staying open for another completion.
bool CompleteOrder(const QString& orderNumber, double quantity = 0);
bool CancelOrder(const QString& orderNumber);
