#pragma once
// The printed purchase order: letterhead, number with barcode, vendor,
// shipping and information blocks, item table and totals.
#include "orders/purchaseorder.h"

#include <QString>
#include <vector>

class QPagedPaintDevice;

// What the printout shows: the dialog's current values, saved or not.
struct PurchaseOrderPrintData
{
    QString number;
    QString vendor;
    QString vendorAddress; // lines separated by line breaks
    QString contact;
    QString phone;
    QString fax;
    QString email;
    QString shippingAddress;
    QString shipper;
    QString date;
    QString needDate; // when the goods are needed; empty when none is set
    QString buyer;
    QString method;
    QString currency;
    QString notes;
    QString taxRate;
    QString shippingCost;
    std::vector<ItemRow> rows;
};

PurchaseOrderPrintData PrintDataFromRecord(const PurchaseOrderRecord& record);
// "Purchase Order-" (translated) and the number.
QString PurchaseOrderDocumentName(const QString& number);
// Paints every page; returns the number of pages.
int PaintPurchaseOrder(QPagedPaintDevice* device, const PurchaseOrderPrintData& data);
bool PrintPurchaseOrderPdf(const QString& number, const QString& file);
