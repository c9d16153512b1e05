#include "orders/purchaseorder.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "core/quantity.h"
#include "core/statuses.h"
#include "db/database.h"
#include "db/stamps.h"
#include "db/purchaseorders.h"
#include "db/recordcheck.h"
#include "db/stockledger.h"
#include "db/vendors.h"

#include <cmath>

double RecomputeLineTotals(std::vector<ItemRow>& rows)
{
    double subtotal = 0;
    for (ItemRow& row : rows) {
        while (row.size() < kItemColumns)
            row << QString();
        const double total = TextToDouble(row[1]) * TextToDouble(row[4]);
        row[5] = Format("%0.2f", {total});
        subtotal += total;
    }
    return subtotal;
}

double OrderTotal(double subtotal, const QString& taxRate, const QString& shippingCost)
{
    const double tax = TextToDouble(taxRate) / 100 * subtotal;
    return subtotal + tax + TextToDouble(shippingCost);
}

QStringList PurchaseOrderReadOrder()
{
    return {QStringLiteral("Vendor"),         QStringLiteral("Vendor_Address"), QStringLiteral("Contact_Name"),
            QStringLiteral("Contact_Phone"),  QStringLiteral("Contact_FAX"),    QStringLiteral("Contact_EMAIL"),
            QStringLiteral("Shipping_Cost"),  QStringLiteral("Tax_Rate"),       QStringLiteral("Shipper"),
            QStringLiteral("Shipping_Cost"),  QStringLiteral("Shipping_Address"), QStringLiteral("Tracking"),
            QStringLiteral("Buyer"),          QStringLiteral("Date"),           QStringLiteral("Need_Date"),
            QStringLiteral("Status"),         QStringLiteral("Currency"),       QStringLiteral("Notes"),
            QStringLiteral("Value"),          QStringLiteral("Buy_Method"),     QStringLiteral("Order_nBr"),
            QStringLiteral("Item_List")};
}

QStringList PurchaseOrderSaveOrder()
{
    return {QStringLiteral("Vendor"),        QStringLiteral("Vendor_Address"), QStringLiteral("Contact_Name"),
            QStringLiteral("Contact_Phone"), QStringLiteral("Contact_FAX"),    QStringLiteral("Contact_EMAIL"),
            QStringLiteral("Shipper"),       QStringLiteral("Shipping_Cost"),  QStringLiteral("Tax_Rate"),
            QStringLiteral("Shipping_Address"), QStringLiteral("Tracking"),    QStringLiteral("Buyer"),
            QStringLiteral("Date"),          QStringLiteral("Buy_Method"),     QStringLiteral("Status"),
            QStringLiteral("Currency"),      QStringLiteral("Need_Date"),      QStringLiteral("Notes"),
            QStringLiteral("Value"),         QStringLiteral("Item_List")};
}

namespace {

// What the dialog shows, and who stamped the order last: a save compares
// them all with the stored order.
QStringList storedFields()
{
    return PurchaseOrderReadOrder() << QStringLiteral("User") << QStringLiteral("Time_Stamp");
}

} // namespace

PurchaseOrderRecord LoadPurchaseOrder(const QString& number)
{
    PurchaseOrderRecord record;
    record.number = number;
    // One statement for the whole record: the field names are the fixed list above.
    const QMap<QString, QString> values = ReadPurchaseOrderFields(number, storedFields());
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        record.loaded[it.key()] = it.value();
    record.loadedValue = TextToDouble(record.loaded.value(QStringLiteral("Value")));
    return record;
}

bool PurchaseOrderExists(const QString& number)
{
    return PurchaseOrderOnFile(number);
}

namespace {

void reportRefusal(const QString& error)
{
    ShowMessage(WriteRefusedText(error), QStringLiteral("Database Status"));
}

QStringList changedFields(const PurchaseOrderRecord& record, const QMap<QString, QString>& current)
{
    QStringList fields;
    for (const QString& field : PurchaseOrderSaveOrder()) {
        if (!record.loaded.contains(field) || !current.contains(field))
            continue;
        const QString text = current.value(field);
        bool differs = text != record.loaded.value(field);
        if (field == QLatin1String("Value") && std::fabs(TextToDouble(text) - record.loadedValue) > 1e-6)
            differs = true;
        if (differs)
            fields << field;
    }
    return fields;
}

// Writes the changed fields and moves On_Order with the order, inside the
// caller's transaction. The stored order is read in that transaction, so a
// change made elsewhere since the dialog opened is what comes off.
bool writeFields(const PurchaseOrderRecord& record, const QMap<QString, QString>& current, const QStringList& fields)
{
    bool done = true;
    const PurchaseOrderState state = ReadPurchaseOrderState(record.number, &done);
    QHash<QString, double> deltas;
    if (state.found) {
        const QString& status = state.status;
        const QString& items = state.items;
        const QString newStatus = fields.contains(QStringLiteral("Status")) ? current.value(QStringLiteral("Status")) : status;
        const QString newItems =
            fields.contains(QStringLiteral("Item_List")) ? current.value(QStringLiteral("Item_List")) : items;
        deltas = OpenQuantities(newStatus, newItems);
        const QHash<QString, double> before = OpenQuantities(status, items);
        for (auto it = before.constBegin(); it != before.constEnd(); ++it)
            deltas[it.key()] -= it.value();
    }
    std::vector<std::pair<QString, QString>> values;
    for (const QString& field : fields)
        values.emplace_back(field, current.value(field));
    done = WritePurchaseOrderFields(record.number, values) && done;
    // Whoever saved the order is named on it, as the grid names an edit.
    if (!fields.isEmpty())
        done = StampRecord(QStringLiteral("PurcList"), QStringLiteral("PO_nBr"), record.number) && done;
    return AddToPartFigure(QStringLiteral("On_Order"), deltas) && done;
}

// Another desk may have cancelled (deleted) or received the order, or edited
// its lines, while this one showed it or waited for the lock: what stock and
// On_Order follow must still be what this desk read. Asked inside the
// caller's transaction; empty when the order is as loaded, else the refusal.
QString changedSinceLoaded(const PurchaseOrderRecord& record)
{
    bool read = true;
    bool found = false;
    const QMap<QString, QString> now = ReadPurchaseOrderFields(record.number, storedFields(), &found, &read);
    if (!read)
        return LastErrorText();
    if (!found)
        return Format("%s: %s", {record.number, Translate(QStringLiteral("no such purchase order"))});
    // Every field the window showed counts (notes and addresses too), but the
    // Value it works out again from the lines.
    bool changed = false;
    for (auto it = now.constBegin(); it != now.constEnd() && !changed; ++it)
        if (it.key() != QLatin1String("Value") && record.loaded.contains(it.key()))
            changed = !SameStoredText(it.value(), record.loaded.value(it.key()));
    if (!changed)
        return {};
    const QString user = now.value(QStringLiteral("User"));
    const QString time = now.value(QStringLiteral("Time_Stamp"));
    // A stamp that did not move names an earlier change, not this one.
    if (user == record.value(QStringLiteral("User")) && time == record.value(QStringLiteral("Time_Stamp")))
        return ChangedByText(record.number, QString(), QString());
    return ChangedByText(record.number, user, time);
}

void refuseChanged(Transaction& transaction, const QString& why)
{
    transaction.fail();
    transaction.commit();
    ShowMessage(why + QLatin1Char('\n') + Translate(QStringLiteral("Nothing was written.")),
                Translate(QStringLiteral("Purchase Order")));
}

} // namespace

bool SavePurchaseOrderFields(const PurchaseOrderRecord& record, const QMap<QString, QString>& current, bool write,
                             bool* written, bool* stale)
{
    const QStringList fields = changedFields(record, current);
    if (written)
        *written = false;
    if (stale)
        *stale = false;
    if (!write || fields.isEmpty())
        return !fields.isEmpty();
    Transaction transaction;
    if (const QString why = changedSinceLoaded(record); !why.isEmpty()) {
        if (stale)
            *stale = LastResultCode() == 0;
        refuseChanged(transaction, why);
        return false;
    }
    if (!writeFields(record, current, fields))
        transaction.fail();
    if (!transaction.commit()) {
        reportRefusal(LastErrorText());
        return false;
    }
    if (written)
        *written = true;
    return true;
}

QStringList PurchaseChoiceList(const QString& key)
{
    const TableDefinition& definition = App().tables[PurcList];
    for (int i = 0; i < definition.fieldCount; ++i) {
        if (!definition.headings[i].contains(key))
            continue;
        QStringList parts = definition.attributes[i].split(QLatin1Char('/'));
        parts.removeFirst();
        parts.removeAll(QString());
        return parts;
    }
    return {};
}

QStringList VendorNames()
{
    QStringList names;
    for (const QString& name : ReadVendorNames())
        names << Translate(name);
    return names;
}

VendorContact LookupVendor(const QString& vendor)
{
    const VendorAddress found = ReadVendorAddress(vendor);
    VendorContact contact;
    contact.phone = found.phone;
    contact.fax = found.fax;
    contact.address = found.address + QStringLiteral("\r\n") + found.city + QLatin1Char(',') + found.state
                      + QStringLiteral("  ") + found.zip + QLatin1Char(' ') + found.country;
    return contact;
}

QString VendorWebsite(const QString& vendor)
{
    return ReadVendorAddress(vendor).website;
}

QString AddressForDisplay(const QString& stored)
{
    QString text = stored;
    return text.replace(QLatin1Char('/'), QStringLiteral("\r\n"));
}

QString AddressForStorage(const QString& shown)
{
    QString text = shown;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("/"));
    return text.replace(QLatin1Char('\n'), QLatin1Char('/'));
}

bool ClosePurchaseOrder(const PurchaseOrderRecord& record, QMap<QString, QString> current, bool moveToStock,
                        bool* stale)
{
    if (stale)
        *stale = false;
    std::vector<ItemRow> rows = ParseItemList(current.value(QStringLiteral("Item_List")));
    QHash<QString, double> received;
    if (moveToStock) {
        for (ItemRow& row : rows) {
            const double quantity = ItemQuantity(row[kItemQuantity]);
            if (std::fabs(quantity) > kMaxLineQuantity) {
                const QString why = Translate(QStringLiteral("Nothing was received; the quantity is too large on line"));
                ShowMessage(Format("%s %s: %s", {why, row[kItemNumber], row[kItemQuantity]}),
                            Translate(QStringLiteral("Purchase Order")));
                return false;
            }
            // A line whose quantity is not a plain number must not move stock
            // by whatever a lenient reading makes of it.
            if (!ParseStoredQuantity(row[kItemQuantity], nullptr)) {
                const QString why = Translate(QStringLiteral("Nothing was received; the quantity is not a plain number on line"));
                ShowMessage(Format("%s %s: %s", {why, row[kItemNumber], row[kItemQuantity]}),
                            Translate(QStringLiteral("Purchase Order")));
                return false;
            }
            // What was received line by line is in stock already.
            if (!row[kItemPart].isEmpty())
                received[row[kItemPart]] += ItemOpenQuantity(row);
            row[kItemStatus] = QStringLiteral("Received");
        }
        current[QStringLiteral("Item_List")] = BuildItemList(rows);
    }

    Transaction transaction;
    // Another desk may have received it since it was shown: material is
    // received once only. Read under the lock the receipt then holds.
    if (moveToStock && PurchaseOrderClosed(ReadPurchaseOrderState(record.number).status)) {
        transaction.fail();
        transaction.commit();
        ShowMessage(TranslateLabel(QStringLiteral("This purchase order has been received already:")) + QLatin1Char(' ')
                        + record.number,
                    Translate(QStringLiteral("Purchase Order")));
        return false;
    }
    if (const QString why = changedSinceLoaded(record); !why.isEmpty()) {
        if (stale)
            *stale = LastResultCode() == 0;
        refuseChanged(transaction, why);
        return false;
    }
    WaitScope progress(Translate(QStringLiteral("Moving to Stock...")), 0, 2);
    std::vector<StockMovement> movements;
    for (auto it = received.constBegin(); it != received.constEnd(); ++it)
        movements.push_back({it.key(), it.value(), QStringLiteral("Receipt"), record.number, QString()});
    if (!AddToPartFigure(QStringLiteral("Stock"), received) || !RecordStockMovements(movements))
        transaction.fail();
    progress.setPosition(1);
    if (!writeFields(record, current, changedFields(record, current)))
        transaction.fail();
    progress.setPosition(2);
    if (!transaction.commit()) {
        reportRefusal(LastErrorText());
        return false;
    }
    return true;
}

int ReceivePurchaseOrder(const QString& number)
{
    if (!PurchaseOrderExists(number)) {
        ShowMessage(TranslateLabel(QStringLiteral("No such purchase order:")) + QLatin1Char(' ') + number);
        return 0;
    }
    const PurchaseOrderRecord record = LoadPurchaseOrder(number);
    if (PurchaseOrderClosed(record.value(QStringLiteral("Status")))) {
        // Material is received once only.
        ShowMessage(TranslateLabel(QStringLiteral("This purchase order has been received already:")) + QLatin1Char(' ')
                    + number);
        return 0;
    }
    const int answer =
        ShowMessage(QStringLiteral("Move Material to Stock?"), QStringLiteral("Purchase Order"), kButtonsYesNoCancel);
    if (answer != kAnswerYes && answer != kAnswerNo)
        return answer;
    const QStringList statuses = PurchaseChoiceList(QStringLiteral("Status"));
    QMap<QString, QString> current = record.loaded;
    current[QStringLiteral("Status")] = statuses.isEmpty() ? StoredWord(PurchaseOrderStatus::Closed) : statuses.last();
    return ClosePurchaseOrder(record, current, answer == kAnswerYes) ? answer : 0;
}

QString ZeroPriceWarning(const std::vector<ItemRow>& rows)
{
    QStringList lines;
    for (const ItemRow& row : rows) {
        if (row.value(kItemPart).isEmpty() || row.value(kItemStatus) == QLatin1String("Drop"))
            continue;
        if (std::round(TextToDouble(row.value(kItemPrice)) * 100) == 0)
            lines << row.value(kItemNumber) + QLatin1Char(' ') + row.value(kItemPart);
    }
    if (lines.isEmpty())
        return {};
    return TranslateLabel(QStringLiteral("Lines priced 0.00:")) + QLatin1Char(' ') + lines.join(QStringLiteral(", "));
}

QString PurchaseOrderValue(std::vector<ItemRow> rows, const QString& taxRate, const QString& shippingCost)
{
    return Format("%0.2f", {OrderTotal(RecomputeLineTotals(rows), taxRate, shippingCost)});
}
