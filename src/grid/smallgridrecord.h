#pragma once
// The rows a dialog shows in its small grid: held in memory by the owner,
// laid out like a query result, never written to the database by the grid.
#include "core/commandids.h"

#include <QString>
#include <QStringList>
#include <vector>

// Column roles of an order-line grid (editable flag set).
constexpr int kSmallLineColumn = 0;
constexpr int kSmallQuantityColumn = 1;
constexpr int kSmallPriceColumn = 4;
constexpr int kSmallAmountColumn = 5;

// Sent to the owner after the amounts were recomputed.
constexpr int kCmdSmallGridTotal = kCmdSmallGridTotals;

struct SmallGridRecord
{
    int columnCount = 0;
    int rowCount = 0;
    QStringList headings;
    std::vector<QString> cells; // row-major: row r, column c at r * columnCount + c
    QStringList attributes;     // "READ", "EDIT", "LIST/a/b", "DROP/a/b"
    std::vector<int> widths;
    std::vector<int> actionCodes;
    bool editable = false; // order lines: row popup, amounts, auto-sized columns

    // Sets the columns and clears the rows; missing attributes read "EDIT".
    void setColumns(const QStringList& columnHeadings, const QStringList& columnAttributes = {},
                    const std::vector<int>& columnWidths = {}, const std::vector<int>& codes = {});
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    void appendRow(const QStringList& values);
    QString attribute(int column) const;
    int actionCode(int column) const;

    // A new row at position (outside 0..rowCount: 0) with quantity 1; lines renumbered.
    void insertRow(int position);
    // Removes the rows (any order, duplicates ignored); lines renumbered when editable.
    void removeRows(std::vector<int> rows);
    // Line numbers "%i" from 1 in column 0.
    void renumber();
    // amount = quantity x unit price, shown "%0.2f"; returns the total of the
    // unrounded amounts (money in single precision lost cents on large orders).
    double recomputeAmounts();
};
