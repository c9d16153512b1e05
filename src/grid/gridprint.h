#pragma once
// The printout of the table grid: a header with the title and "Page n of m",
// every shown column boxed cell by cell with the heading row repeated on
// every page, pictures in place of ".jpg" names, a footer with date and
// page number, 20 pages at most. Columns wider than the page turn the sheet
// to landscape, then shrink the type to 6 points, then wrap the widest.
#include <QString>
#include <QStringList>
#include <vector>

class CGridModel;
class QPagedPaintDevice;

constexpr int kMaxPrintPages = 20;
// More rows than any paper holds at the printout's smallest row height.
constexpr int kMaxRowsPerPage = 250;

struct GridPrintout
{
    QString documentName; // "KOLT-" + title
    QString titleLine;    // title ":" last folder name of the data folder
    QStringList headings;
    std::vector<QStringList> rows;
    QString pictureFolder;
};

// The shown columns of the grid but "Err", in display order.
GridPrintout MakeGridPrintout(const CGridModel& model, const std::vector<int>& displayOrder);

// Paints the printout on a printer or PDF writer; returns the pages painted.
int PaintGrid(QPagedPaintDevice& device, const GridPrintout& printout);

// koltctl and tests: straight to a PDF file; false when it cannot be written.
bool PrintGridToPdf(const GridPrintout& printout, const QString& fileName, int* pages = nullptr);
