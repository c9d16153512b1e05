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
bool CompleteOrder(const QString& orderNumber);
bool CancelOrder(const QString& orderNumber);
