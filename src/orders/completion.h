#pragma once
// The two ends of a requirement: completing it takes its allocated material
// out of stock; cancelling it deletes its pending purchase orders and
// releases its allocations.
#include <QString>

// Both ask first; they return true when the work was done (the Order dialog
// then closes), false when the user declined or the database refused.
bool CompleteOrder(const QString& orderNumber);
bool CancelOrder(const QString& orderNumber);
