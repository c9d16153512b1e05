#pragma once
// The lines of a purchase order as its Item_List text holds them: records of
// seven fields, each field ended by a line feed, each record closed by a
// carriage return. Purchasing writes and edits them; the stock ledger reads
// the open quantities from them.
#include <QString>
#include <QStringList>
#include <vector>

// One line: Item, Quan, Part, Description, Price, Total, Status.
constexpr int kItemColumns = 7;
constexpr int kItemNumber = 0;
constexpr int kItemQuantity = 1;
constexpr int kItemPart = 2;
constexpr int kItemDescription = 3;
constexpr int kItemPrice = 4;
constexpr int kItemTotal = 5;
constexpr int kItemStatus = 6;
using ItemRow = QStringList;

// A last record without its carriage return still counts; every row comes
// back with all seven cells.
std::vector<ItemRow> ParseItemList(const QString& text);
QString BuildItemList(const std::vector<ItemRow>& rows);

// The quantity a line moves into stock when received: the whole number its
// text begins with ("7.7" gives 7, "abc" 0, "-3" -3). Kept as a double so a
// huge number cannot overflow; callers bound it.
double ItemQuantity(const QString& text);
