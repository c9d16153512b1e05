#pragma once
// The rows of the table the grid shows, read when they are looked at.
//
// A part table of a few hundred thousand rows must open at once and must not
// be held twice in memory, so the grid keeps only the record ids of its rows,
// in the order shown (one narrow query that also counts them), and the cells
// of a window of rows around the ones on screen. Sorting and filtering are
// part of that query and run in the database.
#include "db/database.h"
#include "db/tablerecords.h"

#include <QString>
#include <QStringList>
#include <vector>

class CGridRows
{
public:
    // What to read: the table's SQL name, the condition every row meets
    // (empty for all), the order ("Item desc"; empty for the table's own)
    // and the headings of the columns the cells are kept in, column 0 being
    // the record id; the condition's values are bound, as whereArgs holds
    // them. Drops what was read before; Refresh() reads the ids.
    void setSource(const QString& tableName, const QString& where, const SqlArgs& whereArgs, const QString& orderBy,
                   const QStringList& headings);
    // Reads the ids again; false when the statement failed (it is reported).
    bool Refresh();
    void clear();

    int count() const { return static_cast<int>(m_ids.size()); }
    long long id(int row) const;
    // The row showing a record, -1 when none does.
    int rowOfId(long long id) const;
    // The cell of a row; column 0 is the id. Empty outside the rows.
    QString cell(int row, int column) const;
    // Changes the cell as kept in memory (after the database took the value).
    void setCell(int row, int column, const QString& text);
    // Forgets the window: the next cell is read from the database again.
    void invalidate() { m_windowRows = 0; }

    // How many rows one read brings in; a screen of rows is far fewer.
    static constexpr int kWindowRows = 256;

private:
    void readWindow(int row) const;

    QString m_tableName;
    QString m_where;
    SqlArgs m_whereArgs;
    QString m_orderBy;
    QStringList m_headings;
    std::vector<long long> m_ids;
    // The window: rows m_windowStart .. m_windowStart + m_windowRows - 1,
    // row-major in the columns of m_headings.
    mutable std::vector<QString> m_cells;
    mutable int m_windowStart = 0;
    mutable int m_windowRows = 0;
};

// The columns a table of the database really has, in its order.
QStringList TableColumnNames(const QString& tableName);
// A name as SQL text takes it for a column or table: in double quotes.
QString QuotedName(const QString& name);

