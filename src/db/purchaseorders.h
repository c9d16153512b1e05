#pragma once
// Purchase orders (PurcList) as the orders engine and the timeline read and
// write them: a record in one statement, its fields written in one, the
// orders of a requirement as a set. Writes run inside the caller's
// transaction.
#include <QMap>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The named fields of the order's first record (by id), read in one
// statement; the names are the fixed column names of the callers, never user
// text. found tells whether the order is on file; ok false when the read failed.
QMap<QString, QString> ReadPurchaseOrderFields(const QString& number, const QStringList& fields, bool* found = nullptr,
                                               bool* ok = nullptr);

// The numbers of every pending order in number order, one statement; ok
// false when the read failed.
QStringList ReadPendingPurchaseOrderNumbers(bool* ok = nullptr);

// Whether a record of that number is on file; ok false when the read failed.
bool PurchaseOrderOnFile(const QString& number, bool* ok = nullptr);

// Status and Item_List of an order, which stock and On_Order follow.
struct PurchaseOrderState
{
    bool found = false;
    QString status;
    QString items;
};
PurchaseOrderState ReadPurchaseOrderState(const QString& number, bool* ok = nullptr);

// Writes the fields (column name, text) of every record of the order in one
// statement; true when there were none.
bool WritePurchaseOrderFields(const QString& number, const std::vector<std::pair<QString, QString>>& fields);

// One order of a requirement as its engines see it.
struct RequirementPurchaseOrder
{
    QString id;
    QString number;
    QString vendor;
    QString date;
    QString needDate;
    QString status;
    QString items;
};
// The requirement's purchase orders in record order (only the pending ones
// when asked), one statement; ok false when the read failed.
std::vector<RequirementPurchaseOrder> ReadRequirementPurchaseOrders(const QString& orderNumber, bool pendingOnly = false,
                                                                    bool* ok = nullptr);
// Deletes the requirement's pending orders (placed ones stay with the vendor).
bool DeletePendingPurchaseOrders(const QString& orderNumber);
