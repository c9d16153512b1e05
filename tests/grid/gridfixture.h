#pragma once
// A data folder whose master tables carry the columns the grid works with
// (an "Err" column, editors of every kind), whatever the shipped definitions hold.
#include "support/testsupport.h"

#include "core/appstate.h"
#include "db/database.h"
#include "grid/gridmodel.h"

#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

class GridTest : public DataFolderTest
{
protected:
    void SetUp() override;

    // Replaces the definition of table by "Heading,code,attribute,type" lines
    // and makes the table anew.
    void define(int table, const QStringList& fields);
    // Runs SQL through the shell and fails the test on error output.
    void exec(const QString& sql) { sqlite(sql); }
    int listColumn(const CGridModel& grid, const QString& heading) const;
};
