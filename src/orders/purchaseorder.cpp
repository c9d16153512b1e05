#include "orders/purchaseorder.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"

#include <cmath>

std::vector<ItemRow> ParseItemList(const QString& text)
{
    std::vector<ItemRow> rows;
    ItemRow row;
    qsizetype position = 0;
    for (;;) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), position);
        if (feed < 0)
            break;
        row << text.mid(position, feed - position);
        position = feed + 1;
        if (position < text.size() && text.at(position) == QLatin1Char('\r')) {
            rows.push_back(row);
            row.clear();
            ++position;
        }
    }
    if (!row.isEmpty())
        rows.push_back(row);
    for (ItemRow& r : rows)
        while (r.size() < kItemColumns)
            r << QString();
    return rows;
}

QString BuildItemList(const std::vector<ItemRow>& rows)
{
    QString text;
    for (const ItemRow& row : rows) {
        for (const QString& cell : row)
            text += cell + QLatin1Char('\n');
        text += QLatin1Char('\r');
    }
    return text;
}

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

PurchaseOrderRecord LoadPurchaseOrder(const QString& number)
{
    PurchaseOrderRecord record;
    record.number = number;
    for (const QString& field : PurchaseOrderReadOrder()) {
        // The field name is an identifier of the fixed list above, never user text.
        record.loaded[field] =
            QueryText(SqlFormat("Select %s from PurcList where PO_nBr = '%s'", {field, number}), false);
    }
    record.loadedValue = TextToDouble(record.loaded.value(QStringLiteral("Value")));
    return record;
}

bool PurchaseOrderExists(const QString& number)
{
    return !number.isEmpty()
           && QueryText(SqlFormat("Select PO_nBr from PurcList where PO_nBr = '%s'", {number}), false) == number;
}

bool SavePurchaseOrderFields(const PurchaseOrderRecord& record, const QMap<QString, QString>& current, bool write,
                             bool* written)
{
    bool changed = false;
    QStringList changedFields;
    for (const QString& field : PurchaseOrderSaveOrder()) {
        if (!record.loaded.contains(field) || !current.contains(field))
            continue;
        const QString text = current.value(field);
        bool differs = text != record.loaded.value(field);
        if (field == QLatin1String("Value") && std::fabs(TextToDouble(text) - record.loadedValue) > 1e-6)
            differs = true;
        if (differs) {
            changed = true;
            changedFields << field;
        }
    }
    if (written)
        *written = false;
    if (!write || changedFields.isEmpty())
        return changed;
    Transaction transaction;
    for (const QString& field : changedFields)
        Execute(SqlFormat("Update PurcList Set %s = '%s' where PO_nBr = '%s'",
                          {field, current.value(field), record.number}));
    const QString error = LastErrorText();
    if (!transaction.commit()) {
        ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
                        + error,
                    QStringLiteral("Database Status"));
        return false;
    }
    if (written)
        *written = true;
    return changed;
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
    const QString text = QueryText(QStringLiteral("Select Vendor from VendList"), true);
    for (const QString& name : text.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        names << Translate(name);
    return names;
}

VendorContact LookupVendor(const QString& vendor)
{
    auto read = [&vendor](const char* format) { return QueryText(SqlFormat(format, {vendor}), false); };
    const QString address = read("Select Address from VendList where Vendor = '%s'");
    const QString city = read("Select City from VendList where Vendor = '%s'");
    const QString state = read("Select State from VendList where Vendor = '%s'");
    const QString zip = read("Select Zip from VendList where Vendor = '%s'");
    const QString country = read("Select Country from VendList where Vendor = '%s'");
    VendorContact contact;
    contact.phone = read("Select Phone from VendList where Vendor = '%s'");
    contact.fax = read("Select Fax from VendList where Vendor = '%s'");
    contact.address = address + QStringLiteral("\r\n") + city + QLatin1Char(',') + state + QStringLiteral("  ") + zip
                      + QLatin1Char(' ') + country;
    return contact;
}

QString VendorWebsite(const QString& vendor)
{
    return QueryText(SqlFormat("Select Website from VendList where Vendor = '%s'", {vendor}), false);
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

bool ReceiveItems(const QString& number, const std::vector<ItemRow>& rows)
{
    Transaction transaction;
    WaitScope progress(Translate(QStringLiteral("Moving to Stock...")), 0, static_cast<int>(rows.size()));
    int position = 0;
    for (const ItemRow& row : rows) {
        const QString part = row.value(2);
        const int quantity = TextToInt(row.value(1));
        const int onOrder =
            TextToInt(QueryText(SqlFormat("Select On_Order from PartList where Part_nBr='%s'", {part}), false));
        Execute(SqlFormat("Update PartList SET On_Order=%i where Part_nBr='%s'", {onOrder - quantity, part}));
        const int stock =
            TextToInt(QueryText(SqlFormat("Select Stock from PartList where Part_nBr='%s'", {part}), false));
        Execute(SqlFormat("Update PartList SET Stock=%i where Part_nBr='%s'", {stock + quantity, part}));
        progress.setPosition(++position);
    }
    Execute(SqlFormat("Update PURCLIST Set Need_Date ='%s' where PO_nBr='%s'", {TimestampText(), number}));
    return transaction.commit();
}

int ReceivePurchaseOrder(const QString& number)
{
    if (!PurchaseOrderExists(number)) {
        ShowMessage(TranslateLabel(QStringLiteral("No such purchase order:")) + QLatin1Char(' ') + number);
        return 0;
    }
    const PurchaseOrderRecord record = LoadPurchaseOrder(number);
    if (record.value(QStringLiteral("Status")).contains(QLatin1String("Closed"))) {
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
    current[QStringLiteral("Status")] = statuses.isEmpty() ? QStringLiteral("Closed") : statuses.last();

    Transaction transaction;
    if (answer == kAnswerYes)
        ReceiveItems(number, ParseItemList(record.value(QStringLiteral("Item_List"))));
    // The receiving date replaced the need date; what the dialog saves keeps it.
    PurchaseOrderRecord unchangedNeed = record;
    unchangedNeed.loaded.remove(QStringLiteral("Need_Date"));
    SavePurchaseOrderFields(unchangedNeed, current, true);
    const QString error = LastErrorText();
    if (!transaction.commit()) {
        ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
                        + error,
                    QStringLiteral("Database Status"));
        return 0;
    }
    return answer;
}
