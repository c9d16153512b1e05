#pragma once
// A purchase order as the file its vendor's web shop takes into a cart:
// Digi-Key's and Mouser's cart and BOM uploads, LCSC's BOM upload, and a
// plain CSV of the order's lines for any other vendor.
#include "core/itemlist.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

enum class CartFormat
{
    Csv,
    DigiKey,
    Mouser,
    Lcsc,
};

// "Digi-Key", "Mouser", "LCSC", "CSV".
QString CartFormatName(CartFormat format);

// The vendor's shop by what the shop knows of it: the vendor's name as
// bill headings name suppliers ("Digi-Key", "MOUSER ELECTRONICS"), else its
// website, else the shape of the order codes on its lines, where every code
// that has a recognisable shape points at the same shop. CSV when none
// tells.
CartFormat CartFormatOf(const QString& vendor, const QString& website, const std::vector<ItemRow>& lines);

struct CartOrder
{
    QString number;
    QString vendor;
    QString currency;
    std::vector<ItemRow> lines;
};

// The whole file in UTF-8 with a heading row. A line's order code is its
// source's; the quantity is the one ordered (after minimum and multiple).
// Lines with nothing to order are left out; a line without an order code
// goes out under its part number and is named in *notes.
QByteArray CartFileBytes(CartFormat format, const CartOrder& order, QStringList* notes = nullptr, int* lines = nullptr);

struct CartExportResult
{
    bool written = false;
    CartFormat format = CartFormat::Csv;
    int lines = 0;
    QStringList notes; // lines written under their part number
    QString error;     // why nothing was written
    QString path;      // the file written, or meant to be
};

// Reads the order and writes its cart file in one go (a crash leaves the
// old file or the new one; a full disk is reported with the old file kept).
CartExportResult ExportPurchaseOrderCart(const QString& number, const QString& path);
// The same into a folder, under CartFileName.
CartExportResult ExportPurchaseOrderCartInto(const QString& number, const QString& folder);

// The file name an order's cart goes to in a folder: "P0003-Digi-Key.csv".
QString CartFileName(const QString& number, CartFormat format);
// The format the order's cart file takes (CSV when it cannot be read).
CartFormat PurchaseOrderCartFormat(const QString& number);
