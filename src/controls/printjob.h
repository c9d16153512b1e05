#pragma once
// The one way every printout reaches paper or a PDF file: the print dialog
// when a printer is installed, "Save as PDF" when none is, a cancel that is
// no failure, and a message that says where a PDF went.
#include <QPageLayout>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

struct PrintJob
{
    QString documentName;     // "KOLT BOM", shown in the printer queue and the PDF title
    QString suggestedFile;    // file name offered for a PDF, without folder; from documentName when empty
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    // Unprintable edge of a PDF page, in millimetres, like a printer's; printouts
    // that keep their own margins from the page edge ask for none.
    double pdfMarginMm = 6.35;
    // Paints every page; false when nothing could be painted.
    std::function<bool(QPagedPaintDevice& device)> paint;
};

enum class PrintOutcome { Printed, SavedPdf, Cancelled, Failed };

// The user's part of printing, apart so that tests can answer for the user.
class PrintChooser
{
public:
    virtual ~PrintChooser() = default;
    virtual bool hasPrinter() = 0;
    // Runs the print dialog on printer; true when the user accepted it.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
    // The PDF file to write; empty when the user cancelled.
    virtual QString choosePdfFile(QWidget* parent, const QString& suggestedPath) = 0;
};

// Runs the job. Only a failure or a PDF written is reported to the user.
PrintOutcome RunPrintJob(QWidget* parent, const PrintJob& job);

// Writes the job to a PDF file (atomically: a failed printout leaves no file);
// false when the file could not be written or nothing was painted.
bool WritePdf(const PrintJob& job, const QString& path, QString* error = nullptr);

// The chooser in force; nullptr restores the platform's dialogs.
void SetPrintChooser(PrintChooser* chooser);
// Where the next "Save as PDF" starts: the last folder used, else Documents.
QString PdfFolder();
// A file name made of the document name: characters a file system refuses become "-".
QString PdfFileName(const QString& documentName);
