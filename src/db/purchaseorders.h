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

// The lines of the purchase orders (PurcLine) are kept with the orders'
// Item_List, which stays the form the order is shown, printed and exported
// in: every write of an Item_List writes its order's lines in the same
// transaction, so on-order and receipts are read without parsing.
struct PurchaseLine
{
    QString number; // PO_nBr
    int line = 0;   // position on the order, from 1
    QString item;
    QString part;
    QString orderCode;
    QString quantity; // as written on the order, checked by the ledger
    double ordered = 0;
    double received = 0;
    double price = 0;
    QString status;
};
// The lines an Item_List text holds, in its order.
std::vector<PurchaseLine> PurchaseLinesOf(const QString& number, const QString& itemList);
// Replaces the lines of the orders named (number, Item_List) with the ones
// their texts hold: one statement for the old lines, one per few hundred new
// ones, however many orders.
bool WritePurchaseLines(const std::vector<std::pair<QString, QString>>& itemListOfOrder);
// Writes the lines of the orders named again from their stored records (the
// first by id of a number); an order no longer on file keeps none.
bool RefreshPurchaseLines(const QStringList& numbers);
// Every order's lines again from its record, as a shop written before the
// lines were kept is brought forward.
bool RebuildAllPurchaseLines();

// A line with the status of its order (the order's first record by id).
struct OpenPurchaseLine
{
    PurchaseLine line;
    QString orderStatus;
};
// Every line of every order on file, in order and line order, two
// statements; ok false when a read failed.
std::vector<OpenPurchaseLine> ReadAllPurchaseLines(bool* ok = nullptr);
// The lines that name the part, with their orders' statuses.
std::vector<OpenPurchaseLine> ReadPurchaseLinesOfPart(const QString& part, bool* ok = nullptr);
