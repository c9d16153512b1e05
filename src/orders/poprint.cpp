#include "orders/poprint.h"

#include "controls/printsupport.h"
#include "core/savedfile.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/parameters.h"
#include "sourcing/pricing.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {

QString labelLine(const char* label, const QString& value)
{
    return Translate(QString::fromLatin1(label)) + QLatin1Char(':') + value;
}

// One framed block with a titled header band.
void drawBlock(QPainter& painter, const QRectF& rect, const QString& title, const QString& text, double mm)
{
    const QRectF header(rect.left(), rect.top(), rect.width(), 6 * mm);
    painter.fillRect(header, QColor(0, 64, 255));
    painter.setPen(Qt::white);
    painter.setFont(PrintFont(10, true));
    painter.drawText(header, Qt::AlignCenter, title);
    painter.setPen(Qt::black);
    painter.drawRect(rect);
    painter.setFont(PrintFont(9));
    painter.drawText(rect.adjusted(2 * mm, 7 * mm, -2 * mm, -mm), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     text);
}

} // namespace

PurchaseOrderPrintData PrintDataFromRecord(const PurchaseOrderRecord& record)
{
    PurchaseOrderPrintData data;
    data.number = record.number;
    data.vendor = record.value(QStringLiteral("Vendor"));
    data.vendorAddress = AddressForDisplay(record.value(QStringLiteral("Vendor_Address")));
    data.contact = record.value(QStringLiteral("Contact_Name"));
    data.phone = record.value(QStringLiteral("Contact_Phone"));
    data.fax = record.value(QStringLiteral("Contact_FAX"));
    data.email = record.value(QStringLiteral("Contact_EMAIL"));
    data.shippingAddress = AddressForDisplay(record.value(QStringLiteral("Shipping_Address")));
    data.shipper = record.value(QStringLiteral("Shipper"));
    data.date = record.value(QStringLiteral("Date"));
    data.needDate = record.value(QStringLiteral("Need_Date")).left(10);
    data.buyer = record.value(QStringLiteral("Buyer"));
    data.method = record.value(QStringLiteral("Buy_Method"));
    data.currency = record.value(QStringLiteral("Currency"));
    data.notes = record.value(QStringLiteral("Notes"));
    data.taxRate = record.value(QStringLiteral("Tax_Rate"));
    data.shippingCost = record.value(QStringLiteral("Shipping_Cost"));
    data.rows = ParseItemList(record.value(QStringLiteral("Item_List")));
    return data;
}

QString PurchaseOrderDocumentName(const QString& number)
{
    return Translate(QStringLiteral("Purchase Order-")) + number;
}

int PaintPurchaseOrder(QPagedPaintDevice* device, const PurchaseOrderPrintData& data)
{
    QPainter painter(device);
    const double mm = PixelsPerMm(device);
    const double width = device->width();
    const double height = device->height();
    const double bottom = height - 15 * mm;
    int page = 1;
    const QString title = Translate(QStringLiteral("Purchase Order"));

    auto footer = [&]() {
        painter.setPen(Qt::black);
        painter.setFont(PrintFont(8));
        painter.drawText(QRectF(0, height - 10 * mm, width, 8 * mm), Qt::AlignCenter,
                         Format("%s:%s           Page %i", {title, data.number, page}));
    };

    // Letterhead.
    painter.setFont(PrintFont(20, true));
    painter.drawText(QRectF(0, 0, width, 12 * mm), Qt::AlignRight | Qt::AlignTop, title);
    painter.setFont(PrintFont(12, true));
    painter.drawText(QRectF(0, 0, width * 0.6, 8 * mm), Qt::AlignLeft | Qt::AlignTop, GetParam(ParamCompanyName));
    painter.setFont(PrintFont(9));
    const QString letter = GetParam(ParamBillingAddress) + QLatin1Char('\n') + labelLine("Phone", GetParam(ParamPhone))
                           + QLatin1Char('\n') + QStringLiteral("    ") + labelLine("Fax", GetParam(ParamFax));
    painter.drawText(QRectF(0, 8 * mm, width * 0.6, 22 * mm), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QString(letter).replace(QLatin1Char('/'), QLatin1Char('\n')));

    // The number and its barcode.
    const QRectF numberBox(width * 0.62, 14 * mm, width * 0.38, 18 * mm);
    painter.drawRect(numberBox);
    painter.setFont(PrintFont(12, true));
    painter.drawText(QRectF(numberBox.left(), numberBox.top() + mm, numberBox.width(), 7 * mm), Qt::AlignCenter,
                     data.number);
    DrawCode39(painter, QRectF(numberBox.left(), numberBox.top() + 8 * mm, numberBox.width(), 9 * mm), data.number);

    // Vendor, shipping and information.
    const double blockTop = 36 * mm;
    const double blockWidth = (width - 4 * mm) / 3;
    const QRectF vendorBox(0, blockTop, blockWidth, 45 * mm);
    const QRectF shippingBox(blockWidth + 2 * mm, blockTop, blockWidth, 45 * mm);
    const QRectF infoBox(2 * blockWidth + 4 * mm, blockTop, blockWidth, 45 * mm);
    drawBlock(painter, vendorBox, Translate(QStringLiteral("Vendor")),
              data.vendor + QLatin1Char('\n') + data.vendorAddress + QLatin1Char('\n') + labelLine("Contact", data.contact)
                  + QLatin1Char('\n') + labelLine("Phone", data.phone) + QLatin1Char('\n') + labelLine("Fax", data.fax)
                  + QLatin1Char('\n') + labelLine("EMail", data.email),
              mm);
    drawBlock(painter, shippingBox, Translate(QStringLiteral("Shipping")),
              data.shippingAddress + QLatin1Char('\n') + labelLine("Shipper", data.shipper), mm);
    drawBlock(painter, infoBox, Translate(QStringLiteral("Information")),
              labelLine("Date", data.date) + QLatin1Char('\n') + labelLine("Need Date", data.needDate) + QLatin1Char('\n')
                  + labelLine("Buyer", data.buyer) + QLatin1Char('\n')
                  + labelLine("Method", data.method) + QLatin1Char('\n') + labelLine("Currency", data.currency)
                  + QLatin1Char('\n') + labelLine("Notes", data.notes),
              mm);

    // Item table.
    // The vendor's order code stands beside our part number: it is what the
    // vendor picks by.
    constexpr int kPrintColumns = 7;
    const double widths[kPrintColumns] = {0.06, 0.08, 0.17, 0.17, 0.28, 0.12, 0.12};
    const char* captions[kPrintColumns] = {"Item", "Quan", "Part", "Order Code", "Description", "Price", "Total"};
    const int cellOf[kPrintColumns] = {kItemNumber, kItemQuantity, kItemPart, kItemOrderCode,
                                       kItemDescription, kItemPrice, kItemTotal};
    const double rowHeight = 7 * mm;
    auto drawHeader = [&](double top) {
        double x = 0;
        painter.setFont(PrintFont(9, true));
        for (int c = 0; c < kPrintColumns; ++c) {
            const QRectF cell(x, top, widths[c] * width, rowHeight);
            painter.fillRect(cell, QColor(0, 64, 255));
            painter.setPen(Qt::white);
            painter.drawText(cell, Qt::AlignCenter, Translate(QString::fromLatin1(captions[c])));
            x += cell.width();
        }
        painter.setPen(Qt::black);
        painter.setFont(PrintFont(9));
    };
    double y = blockTop + 50 * mm;
    drawHeader(y);
    y += rowHeight;
    double subtotal = 0;
    for (const ItemRow& row : data.rows) {
        // A long part number or description wraps inside its cell, never
        // past it: the row grows to hold it.
        double lineHeight = rowHeight;
        for (int c = 2; c <= 4; ++c) {
            const QRectF bounds = painter.boundingRect(QRectF(0, 0, widths[c] * width - 2 * mm, 1e6),
                                                       Qt::TextWordWrap | Qt::TextWrapAnywhere, row.value(cellOf[c]));
            lineHeight = std::max(lineHeight, bounds.height() + 2 * mm);
        }
        lineHeight = std::min(lineHeight, bottom - 15 * mm - 2 * rowHeight);
        if (y + lineHeight > bottom) {
            footer();
            device->newPage();
            ++page;
            y = 15 * mm;
            drawHeader(y);
            y += rowHeight;
        }
        double x = 0;
        for (int c = 0; c < kPrintColumns; ++c) {
            const QRectF cell(x, y, widths[c] * width, lineHeight);
            painter.drawRect(cell);
            // The stored price is exact; the sheet shows the decimals it needs.
            const QString text = cellOf[c] == kItemPrice && !row.value(kItemPrice).trimmed().isEmpty()
                                     ? ShownPrice(TextToDouble(row.value(kItemPrice)))
                                     : row.value(cellOf[c]);
            const bool wraps = cellOf[c] == kItemPart || cellOf[c] == kItemOrderCode || cellOf[c] == kItemDescription;
            const int flags = wraps ? int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextWrapAnywhere)
                                    : int(Qt::AlignCenter);
            painter.drawText(cell.adjusted(mm, 0, -mm, 0), flags, text);
            x += cell.width();
        }
        subtotal += TextToDouble(row.value(5));
        y += lineHeight;
    }

    // Totals.
    const double taxRate = TextToDouble(data.taxRate);
    const double shipping = TextToDouble(data.shippingCost);
    const double tax = subtotal * taxRate / 100;
    const QStringList totals = {
        Translate(QStringLiteral("Subtotal")) + QStringLiteral("  ") + Format("%0.2f", {subtotal}),
        Format("%s @ %0.1f%%  ", {Translate(QStringLiteral("Tax")), taxRate}) + Format("%0.2f", {tax}),
        Format("%s  ", {Translate(QStringLiteral("Shipping"))}) + Format("%0.2f", {shipping}),
    };
    if (y + 5 * rowHeight > bottom) {
        footer();
        device->newPage();
        ++page;
        y = 15 * mm;
    }
    y += 2 * mm;
    for (const QString& line : totals) {
        painter.drawText(QRectF(0, y, width - 2 * mm, rowHeight), Qt::AlignRight | Qt::AlignVCenter, line);
        y += rowHeight;
    }
    const QRectF totalBox(width * 0.7, y, width * 0.3, rowHeight * 1.2);
    QPen bold(Qt::black);
    bold.setWidthF(0.8 * mm);
    painter.setPen(bold);
    painter.drawRect(totalBox);
    painter.setPen(Qt::black);
    painter.setFont(PrintFont(11, true));
    painter.drawText(totalBox.adjusted(0, 0, -2 * mm, 0), Qt::AlignRight | Qt::AlignVCenter,
                     Format("%0.2f", {subtotal + tax + shipping}));
    footer();
    painter.end();
    return page;
}

bool PrintPurchaseOrderPdf(const QString& number, const QString& file)
{
    const PurchaseOrderPrintData data = PrintDataFromRecord(LoadPurchaseOrder(number));
    return WriteSavedPdfOrReport(file, [&](QPdfWriter& writer) {
        writer.setTitle(PurchaseOrderDocumentName(number));
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        PaintPurchaseOrder(&writer, data);
        return true;
    });
}
