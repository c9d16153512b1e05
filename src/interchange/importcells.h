#pragma once
// Cells of one record as views, for the reading of many lines: only a cell
// that must be rewritten (a doubled quote, text after its closing quote, a
// NUL) gets a string of its own.
#include <QString>
#include <QStringView>
#include <vector>

struct ImportCells
{
    std::vector<QStringView> cells;
    // Storage of the rewritten cells. A moved QString keeps its characters
    // where they are, so the views stay valid while this vector grows.
    std::vector<QString> owned;

    size_t size() const { return cells.size(); }
    QStringView at(int column) const
    {
        return column >= 0 && static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)]
                                                                          : QStringView();
    }
};

// What SplitImportLine does, into views valid while line and cells live.
void SplitImportCells(QStringView line, QChar delimiter, ImportCells& out);
