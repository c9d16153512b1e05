#pragma once
// The purchase-order record behind the dialog: its fields as loaded, the item
// list encoding, the totals, saving only what changed, and receiving the
// material into stock.
#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

// One line of a purchase order: Item, Quan, Part, Description, Price, Total, Status.
constexpr int kItemColumns = 7;
using ItemRow = QStringList;

// Records of fields each ended by a line feed, each record closed by a
// carriage return; a last record without its carriage return still counts.
std::vector<ItemRow> ParseItemList(const QString& text);
QString BuildItemList(const std::vector<ItemRow>& rows);

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
// (false as well when the write was refused, which is reported).
bool SavePurchaseOrderFields(const PurchaseOrderRecord& record, const QMap<QString, QString>& current, bool write,
                             bool* written = nullptr);

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

// Moves every line's quantity (its whole-number part) from On_Order into
// Stock and stamps the need date; inside the caller's transaction when one is
// open. Returns false when a statement failed.
bool ReceiveItems(const QString& number, const std::vector<ItemRow>& rows);

// Receiving as picking "Closed" in the dialog and answering the question
// does, for a stored order: asks "Move Material to Stock?"; Yes receives and
// closes, No only closes, Cancel does nothing. Returns the answer given, or 0
// when the order cannot be received.
int ReceivePurchaseOrder(const QString& number);
