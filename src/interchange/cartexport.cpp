#include "interchange/cartexport.h"

#include "core/dictionary.h"
#include "core/quantity.h"
#include "core/savedfile.h"
#include "db/database.h"
#include "db/purchaseorders.h"
#include "db/vendors.h"
#include "interchange/csvexport.h"
#include "interchange/importlines.h"

#include <QDir>
#include <QSaveFile>
#include <QUrl>

namespace {

CartFormat formatOfSupplier(const QString& supplier)
{
    if (supplier == QLatin1String("DIGI-KEY"))
        return CartFormat::DigiKey;
    if (supplier == QLatin1String("MOUSER"))
        return CartFormat::Mouser;
    if (supplier == QLatin1String("LCSC"))
        return CartFormat::Lcsc;
    return CartFormat::Csv;
}

// The shop's host name without its country or "www." ("www.digikey.de" and
// "eu.mouser.com" both tell); the bare name when no scheme was typed.
CartFormat formatOfWebsite(const QString& website)
{
    const QString text = website.trimmed();
    if (text.isEmpty())
        return CartFormat::Csv;
    const QUrl url = QUrl::fromUserInput(text);
    const QString host = (url.host().isEmpty() ? text : url.host()).toLower();
    const QStringList labels = host.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (const QString& label : labels) {
        if (label == QLatin1String("digikey"))
            return CartFormat::DigiKey;
        if (label == QLatin1String("mouser"))
            return CartFormat::Mouser;
        if (label == QLatin1String("lcsc"))
            return CartFormat::Lcsc;
    }
    return CartFormat::Csv;
}

struct CartColumns
{
    QStringList headings;
    int orderCode = -1;
    int quantity = -1;
    int part = -1; // the customer's own number for the line
    int description = -1;
    int unitPrice = -1;
    int total = -1;
    int currency = -1;
    int item = -1;
};

// The headings each shop's upload maps without asking: Digi-Key's bulk
// add takes quantity, Digi-Key part number and customer reference in that
// order; Mouser's cart upload its part number, quantity and the customer's
// part number; LCSC's BOM upload its part number and quantity, with the
// customer's part number beside them.
CartColumns columnsOf(CartFormat format)
{
    CartColumns c;
    switch (format) {
    case CartFormat::DigiKey:
        c.headings = {QStringLiteral("Quantity"), QStringLiteral("Digi-Key Part Number"),
                      QStringLiteral("Customer Reference")};
        c.quantity = 0;
        c.orderCode = 1;
        c.part = 2;
        break;
    case CartFormat::Mouser:
        c.headings = {QStringLiteral("Mouser Part Number"), QStringLiteral("Quantity"),
                      QStringLiteral("Customer Part Number")};
        c.orderCode = 0;
        c.quantity = 1;
        c.part = 2;
        break;
    case CartFormat::Lcsc:
        c.headings = {QStringLiteral("LCSC Part Number"), QStringLiteral("Quantity"),
                      QStringLiteral("Customer Part Number")};
        c.orderCode = 0;
        c.quantity = 1;
        c.part = 2;
        break;
    case CartFormat::Csv:
        c.headings = {QStringLiteral("Item"),       QStringLiteral("Part"),     QStringLiteral("Order Code"),
                      QStringLiteral("Description"), QStringLiteral("Quantity"), QStringLiteral("Unit Price"),
                      QStringLiteral("Total"),      QStringLiteral("Currency")};
        c.item = 0;
        c.part = 1;
        c.orderCode = 2;
        c.description = 3;
        c.quantity = 4;
        c.unitPrice = 5;
        c.total = 6;
        c.currency = 7;
        break;
    }
    return c;
}

void appendRow(QByteArray& out, const QStringList& cells)
{
    for (int i = 0; i < cells.size(); ++i) {
        if (i)
            out += ',';
        AppendCsvCell(out, cells[i]);
    }
    out += "\r\n";
}

} // namespace

QString CartFormatName(CartFormat format)
{
    switch (format) {
    case CartFormat::DigiKey:
        return QStringLiteral("Digi-Key");
    case CartFormat::Mouser:
        return QStringLiteral("Mouser");
    case CartFormat::Lcsc:
        return QStringLiteral("LCSC");
    case CartFormat::Csv:
        break;
    }
    return QStringLiteral("CSV");
}

CartFormat CartFormatOf(const QString& vendor, const QString& website, const std::vector<ItemRow>& lines)
{
    // The vendor's record names the shop the buyer meant; the codes only
    // say whose numbers they look like.
    const QString supplier = SupplierOfHeader(vendor);
    if (!supplier.isEmpty())
        return formatOfSupplier(supplier);
    if (const CartFormat byWebsite = formatOfWebsite(website); byWebsite != CartFormat::Csv)
        return byWebsite;
    QString shop;
    int recognised = 0;
    int coded = 0;
    for (const ItemRow& row : lines) {
        const QString code = row.value(kItemOrderCode).trimmed();
        if (code.isEmpty())
            continue;
        ++coded;
        const QString whose = SupplierOfCode(code);
        if (whose.isEmpty())
            continue;
        if (!shop.isEmpty() && whose != shop)
            return CartFormat::Csv; // codes of two shops: no one cart takes them
        shop = whose;
        ++recognised;
    }
    // A single look-alike among codes of no known shape proves nothing.
    return recognised * 2 > coded ? formatOfSupplier(shop) : CartFormat::Csv;
}

QByteArray CartFileBytes(CartFormat format, const CartOrder& order, QStringList* notes, int* lines)
{
    if (lines)
        *lines = 0;
    const CartColumns columns = columnsOf(format);
    QByteArray out;
    appendRow(out, columns.headings);
    for (const ItemRow& row : order.lines) {
        double quantity = 0;
        if (!ParseStoredQuantity(row.value(kItemQuantity), &quantity)) {
            // Never a line silently missing from the cart.
            if (notes)
                *notes << Translate(QStringLiteral("Line %1 (%2): the quantity \"%3\" is no number; it is left out."))
                              .arg(row.value(kItemNumber), row.value(kItemPart), row.value(kItemQuantity));
            continue;
        }
        if (quantity <= 0)
            continue;
        QString code = row.value(kItemOrderCode).trimmed();
        const QString part = row.value(kItemPart).trimmed();
        if (code.isEmpty() && format != CartFormat::Csv) {
            // The shops search a maker's number too; the buyer checks the line.
            code = part;
            if (notes)
                *notes << Translate(QStringLiteral("Line %1 (%2) has no order code; its part number is written."))
                              .arg(row.value(kItemNumber), part);
        }
        QStringList cells;
        for (int c = 0; c < columns.headings.size(); ++c)
            cells << QString();
        auto put = [&cells](int column, const QString& text) {
            if (column >= 0)
                cells[column] = text;
        };
        put(columns.item, row.value(kItemNumber));
        put(columns.part, part);
        put(columns.orderCode, code);
        put(columns.description, row.value(kItemDescription));
        put(columns.quantity, PlainNumber(quantity));
        put(columns.unitPrice, row.value(kItemPrice));
        put(columns.total, row.value(kItemTotal));
        put(columns.currency, order.currency);
        appendRow(out, cells);
        if (lines)
            ++*lines;
    }
    return out;
}

QString CartFileName(const QString& number, CartFormat format)
{
    QString safe;
    for (const QChar c : number)
        safe += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ? c : QLatin1Char('_');
    return safe + QLatin1Char('-') + CartFormatName(format) + QStringLiteral(".csv");
}

namespace {

// The order read and its file made; false with result.error when the order
// cannot be read.
bool makeCart(const QString& number, CartExportResult& result, QByteArray& bytes)
{
    bool found = false;
    bool ok = false;
    const QMap<QString, QString> fields = ReadPurchaseOrderFields(
        number, {QStringLiteral("Vendor"), QStringLiteral("Currency"), QStringLiteral("Item_List")}, &found, &ok);
    if (!ok) {
        result.error = LastErrorText();
        return false;
    }
    if (!found) {
        result.error = TranslateLabel(QStringLiteral("No such purchase order:")) + QLatin1Char(' ') + number;
        return false;
    }
    CartOrder order;
    order.number = number;
    order.vendor = fields.value(QStringLiteral("Vendor")).trimmed();
    order.currency = fields.value(QStringLiteral("Currency")).trimmed();
    order.lines = ParseItemList(fields.value(QStringLiteral("Item_List")));
    const VendorAddress address = ReadVendorAddress(order.vendor, &ok);
    if (!ok) {
        result.error = LastErrorText();
        return false;
    }
    result.format = CartFormatOf(order.vendor, address.website, order.lines);
    bytes = CartFileBytes(result.format, order, &result.notes, &result.lines);
    return true;
}

void writeCart(const QString& path, const QByteArray& bytes, CartExportResult& result)
{
    result.path = path;
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0) {
        reason = file.errorString();
        file.cancelWriting();
    } else if (CommitSavedFile(file, &reason)) {
        result.written = true;
        return;
    }
    result.error = path + QStringLiteral(": ") + reason;
}

} // namespace

CartExportResult ExportPurchaseOrderCart(const QString& number, const QString& path)
{
    CartExportResult result;
    QByteArray bytes;
    if (makeCart(number, result, bytes))
        writeCart(path, bytes, result);
    return result;
}

CartExportResult ExportPurchaseOrderCartInto(const QString& number, const QString& folder)
{
    CartExportResult result;
    QByteArray bytes;
    if (makeCart(number, result, bytes))
        writeCart(QDir(folder).filePath(CartFileName(number, result.format)), bytes, result);
    return result;
}

CartFormat PurchaseOrderCartFormat(const QString& number)
{
    CartExportResult result;
    QByteArray bytes;
    makeCart(number, result, bytes);
    return result.format;
}
