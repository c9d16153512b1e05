#pragma once
// The lines of a purchase order as its Item_List text holds them: records of
// seven fields, each field ended by a line feed, each record closed by a
// carriage return. Purchasing writes and edits them; the stock ledger reads
// the open quantities from them.
#include <QString>
#include <QStringList>
#include <vector>

// One line: Item, Quan, Part, Description, Price, Total, Status, and two
// fields a line carries only when they hold something: the vendor's order
// code and the quantity received so far. Lines of older orders have seven.
constexpr int kItemColumns = 7;
constexpr int kItemNumber = 0;
constexpr int kItemQuantity = 1;
constexpr int kItemPart = 2;
constexpr int kItemDescription = 3;
constexpr int kItemPrice = 4;
constexpr int kItemTotal = 5;
constexpr int kItemStatus = 6;
constexpr int kItemOrderCode = 7;
constexpr int kItemReceived = 8;
constexpr int kItemAllColumns = 9;
using ItemRow = QStringList;

// A last record without its carriage return still counts; every row comes
// back with all seven cells, and the optional ones it holds. Building leaves
// empty optional cells out, so an order without them reads back as written.
std::vector<ItemRow> ParseItemList(const QString& text);
QString BuildItemList(const std::vector<ItemRow>& rows);

// The quantity a line moves into stock when received: the whole number its
// text begins with ("7.7" gives 7, "abc" 0, "-3" -3). Kept as a double so a
// huge number cannot overflow; callers bound it.
double ItemQuantity(const QString& text);

// What a line has still to deliver: its quantity less what was received of
// it, never below 0.
double ItemOpenQuantity(const ItemRow& row);
// The same from the two quantities as ItemQuantity reads them.
double OpenLineQuantity(double ordered, double received);
