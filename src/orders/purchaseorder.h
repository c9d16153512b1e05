#pragma once
// The purchase-order record behind the dialog: its fields as loaded, the item
// list encoding, the totals, saving only what changed, and receiving the
// material into stock.
#include "core/itemlist.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

// Total = Quan × Price for every row ("%0.2f"); returns the subtotal.
double RecomputeLineTotals(std::vector<ItemRow>& rows);
double OrderTotal(double subtotal, const QString& taxRate, const QString& shippingCost);

// The fields in the order the dialog reads them.
QStringList PurchaseOrderReadOrder();
// The fields in the order the dialog writes them.
QStringList PurchaseOrderSaveOrder();

struct PurchaseOrderRecord
{
    QString number;
    QMap<QString, QString> loaded; // field -> text as read
    double loadedValue = 0;

    QString value(const QString& field) const { return loaded.value(field); }
};

PurchaseOrderRecord LoadPurchaseOrder(const QString& number);
bool PurchaseOrderExists(const QString& number);

// Compares each field of `current` with what was loaded; with write on, updates
// the changed ones in one transaction. Returns whether anything changed
// (false as well when the write was refused, which is reported). On_Order
// follows the order: what the stored order had still to deliver comes off,
// what the saved one has to deliver goes on (nothing once it is closed).
bool SavePurchaseOrderFields(const PurchaseOrderRecord& record, const QMap<QString, QString>& current, bool write,
                             bool* written = nullptr, bool* stale = nullptr);

// The choices of a PurcList field whose heading contains key: its attribute
// text split at "/", the editor keyword skipped.
QStringList PurchaseChoiceList(const QString& key);
QStringList VendorNames();

struct VendorContact
{
    QString address; // lines joined with CR LF
    QString phone;
    QString fax;
};
VendorContact LookupVendor(const QString& vendor);
QString VendorWebsite(const QString& vendor);

// Stored "/" separators become line breaks for the edit, and back.
QString AddressForDisplay(const QString& stored);
QString AddressForStorage(const QString& shown);

// Closes the order as picking "Closed" and answering the question does, in
// one transaction: `current` holds the fields to save, its Status the closing
// one. With moveToStock every line's whole quantity goes into Stock and the
// line is marked "Received"; without, nothing moves into stock. Either way
// the order no longer counts in On_Order. A line too large to receive is
// refused before anything is written. Reports every refusal; true when done.
// *stale is set when the refusal was that another desk changed or deleted
// the order since it was loaded (the window shows it again).
bool ClosePurchaseOrder(const PurchaseOrderRecord& record, QMap<QString, QString> current, bool moveToStock,
                        bool* stale = nullptr);

// Receiving as picking "Closed" in the dialog and answering the question
// does, for a stored order: asks "Move Material to Stock?"; Yes receives and
// closes, No only closes, Cancel does nothing. Returns the answer given, or 0
// when the order cannot be received.
int ReceivePurchaseOrder(const QString& number);

// The lines priced 0.00 that would go out ("2 BOLT, 5 NUT"), as a warning to
// show before printing; empty when every line has a price. Dropped and empty
// lines are not counted.
QString ZeroPriceWarning(const std::vector<ItemRow>& rows);

// The Value the order shows: its line totals (Quan x Price), tax and
// shipping, "%0.2f".
QString PurchaseOrderValue(std::vector<ItemRow> rows, const QString& taxRate, const QString& shippingCost);
