#include "controls/printjob.h"

#include "core/savedfile.h"
#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString g_pdfFolder;

class PlatformChooser final : public PrintChooser
{
public:
    bool hasPrinter() override { return !QPrinterInfo::availablePrinters().isEmpty(); }

    bool choosePrinter(QWidget* parent, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        // The dialog's own "Print to File" is the PDF route beside a printer.
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        return dialog.exec() == QDialog::Accepted;
    }

    QString choosePdfFile(QWidget* parent, const QString& suggestedPath) override
    {
        return QFileDialog::getSaveFileName(parent, Translate(QStringLiteral("Save as PDF")), suggestedPath,
                                            Translate(QStringLiteral("PDF files")) + QStringLiteral(" (*.pdf)"));
    }
};

PrintChooser* g_chooser = nullptr;

PrintChooser& chooser()
{
    static PlatformChooser platform;
    return g_chooser ? *g_chooser : platform;
}

QPageSize localPageSize()
{
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                       : QPageSize::A4);
}

void tellSaved(const QString& path)
{
    ShowMessage(TranslateLabel(QStringLiteral("Saved as PDF:")) + QLatin1Char('\n') + QDir::toNativeSeparators(path),
                Translate(QStringLiteral("Print")));
}

void tellNotWritten(const QString& path, const QString& error)
{
    QString text = TranslateLabel(QStringLiteral("The PDF file could not be written:")) + QLatin1Char('\n')
                   + QDir::toNativeSeparators(path);
    if (!error.isEmpty())
        text += QLatin1Char('\n') + error;
    ShowMessage(text, Translate(QStringLiteral("Print")));
}

} // namespace

void SetPrintChooser(PrintChooser* chooser)
{
    g_chooser = chooser;
}

QString PdfFolder()
{
    if (!g_pdfFolder.isEmpty() && QFileInfo(g_pdfFolder).isDir())
        return g_pdfFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString PdfFileName(const QString& documentName)
{
    QString name = documentName.trimmed();
    for (QChar& c : name)
        if (c < QLatin1Char(' ') || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('-');
    if (name.isEmpty())
        name = QStringLiteral("KOLT");
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QStringLiteral(".pdf");
    return name;
}

bool WritePdf(const PrintJob& job, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setPageSize(localPageSize());
        writer.setPageOrientation(job.orientation);
        writer.setPageMargins(QMarginsF(job.pdfMarginMm, job.pdfMarginMm, job.pdfMarginMm, job.pdfMarginMm),
                              QPageLayout::Millimeter);
        writer.setTitle(job.documentName);
        writer.setCreator(QStringLiteral("KOLT"));
        painted = job.paint && job.paint(writer);
    }
    if (!painted) {
        file.cancelWriting();
        if (error)
            *error = Translate(QStringLiteral("Nothing was printed."));
        return false;
    }
    return CommitSavedFile(file, error);
}

PrintOutcome RunPrintJob(QWidget* parent, const PrintJob& job)
{
    PrintChooser& user = chooser();
    if (!user.hasPrinter()) {
        // No printer to offer: the printout goes to a PDF file the user names.
        const QString file = job.suggestedFile.isEmpty() ? PdfFileName(job.documentName) : PdfFileName(job.suggestedFile);
        QString path = user.choosePdfFile(parent, QDir(PdfFolder()).filePath(file));
        if (path.isEmpty())
            return PrintOutcome::Cancelled;
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".pdf");
        g_pdfFolder = QFileInfo(path).absolutePath();
        QString error;
        if (!WritePdf(job, path, &error)) {
            tellNotWritten(path, error);
            return PrintOutcome::Failed;
        }
        tellSaved(path);
        return PrintOutcome::SavedPdf;
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(job.documentName);
    printer.setPageOrientation(job.orientation);
    printer.setOutputFileName(QString());
    if (!user.choosePrinter(parent, printer))
        return PrintOutcome::Cancelled; // a cancel is the user's choice, not a failure
    const QString file = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    if (!job.paint || !job.paint(printer)) {
        if (!file.isEmpty())
            tellNotWritten(file, QString());
        else
            ShowMessage(TranslateLabel(QStringLiteral("The printout could not be sent to the printer:")) + QLatin1Char(' ')
                            + printer.printerName(),
                        Translate(QStringLiteral("Print")));
        return PrintOutcome::Failed;
    }
    if (!file.isEmpty()) {
        tellSaved(file);
        return PrintOutcome::SavedPdf;
    }
    return PrintOutcome::Printed;
}
