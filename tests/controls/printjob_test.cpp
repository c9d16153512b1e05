// The one print path: Save as PDF without a printer, a cancel that is no
// failure, and messages that say where a PDF went or why it did not.
#include "controls/guitest.h"
#include "support/testsupport.h"

#include "controls/printjob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

// Answers for the user: whether a printer exists, whether the print dialog is
// accepted (and to which file it prints), which PDF file is chosen.
class ScriptedChooser final : public PrintChooser
{
public:
    bool printer = false;
    bool acceptPrinter = false;
    QString printToFile;
    QString pdfPath;
    QString offeredPath;
    int printDialogs = 0;
    int fileDialogs = 0;

    bool hasPrinter() override { return printer; }
    bool choosePrinter(QWidget*, QPrinter& target) override
    {
        ++printDialogs;
        if (!printToFile.isEmpty()) {
            target.setOutputFormat(QPrinter::PdfFormat);
            target.setOutputFileName(printToFile);
        }
        return acceptPrinter;
    }
    QString choosePdfFile(QWidget*, const QString& suggestedPath) override
    {
        ++fileDialogs;
        offeredPath = suggestedPath;
        return pdfPath;
    }
};

class PrintJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetUserInterface(&ui);
        SetPrintChooser(&chooser);
    }
    void TearDown() override
    {
        SetPrintChooser(nullptr);
        SetUserInterface(nullptr);
    }

    // A one-page job that writes a line of text; counts its runs.
    PrintJob job(bool succeeds = true)
    {
        PrintJob j;
        j.documentName = QStringLiteral("KOLT BOM");
        j.paint = [this, succeeds](QPagedPaintDevice& device) {
            ++paints;
            if (!succeeds)
                return false;
            QPainter painter(&device);
            painter.drawText(QPointF(100, 100), QStringLiteral("Flat BOM"));
            return painter.end();
        };
        return j;
    }

    static bool isPdf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
    }

    QTemporaryDir dir;
    RecordingInterface ui;
    ScriptedChooser chooser;
    int paints = 0;
};

} // namespace

TEST_F(PrintJobTest, WithoutAPrinterThePrintoutIsSavedAsPdfAndTheMessageNamesTheFile)
{
    chooser.pdfPath = dir.filePath("bom.pdf");
    EXPECT_EQ(RunPrintJob(nullptr, job()), PrintOutcome::SavedPdf);
    EXPECT_EQ(chooser.printDialogs, 0) << "no print dialog that lists nothing";
    EXPECT_EQ(paints, 1);
    EXPECT_TRUE(isPdf(chooser.pdfPath));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith("Saved as PDF:"));
    EXPECT_TRUE(ui.messages[0].text.contains(QDir::toNativeSeparators(chooser.pdfPath)));

    // The file offered is named after the document, in the folder used last;
    // a name typed without an extension gets one.
    chooser.pdfPath = dir.filePath("second");
    PrintJob named = job();
    named.suggestedFile = QStringLiteral("KOLT Flat BOM A/B:1");
    EXPECT_EQ(RunPrintJob(nullptr, named), PrintOutcome::SavedPdf);
    EXPECT_EQ(chooser.offeredPath, QDir(dir.path()).filePath("KOLT Flat BOM A-B-1.pdf"));
    EXPECT_TRUE(isPdf(dir.filePath("second.pdf")));
    EXPECT_EQ(PdfFolder(), QFileInfo(dir.path()).absoluteFilePath());
}

TEST_F(PrintJobTest, CancelIsNoFailureWithOrWithoutAPrinter)
{
    // No printer: the file dialog is cancelled.
    chooser.pdfPath.clear();
    EXPECT_EQ(RunPrintJob(nullptr, job()), PrintOutcome::Cancelled);
    EXPECT_EQ(chooser.fileDialogs, 1);
    // A printer: its dialog is cancelled.
    chooser.printer = true;
    chooser.acceptPrinter = false;
    EXPECT_EQ(RunPrintJob(nullptr, job()), PrintOutcome::Cancelled);
    EXPECT_EQ(chooser.printDialogs, 1);
    EXPECT_EQ(paints, 0);
    EXPECT_TRUE(ui.messages.empty()) << "no \"Print Dialog Failure\" for a cancel";
}

TEST_F(PrintJobTest, FailuresAreSaidAndLeaveNoFile)
{
    // Nothing painted: no half-written file, and the user is told.
    chooser.pdfPath = dir.filePath("empty.pdf");
    EXPECT_EQ(RunPrintJob(nullptr, job(false)), PrintOutcome::Failed);
    EXPECT_FALSE(QFileInfo::exists(chooser.pdfPath));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith("The PDF file could not be written:"));
    EXPECT_TRUE(ui.messages[0].text.contains(QDir::toNativeSeparators(chooser.pdfPath)));

    // A folder that does not exist: nothing is painted, the path is named.
    ui.clear();
    chooser.pdfPath = dir.filePath("missing/folder/bom.pdf");
    EXPECT_EQ(RunPrintJob(nullptr, job()), PrintOutcome::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QDir::toNativeSeparators(chooser.pdfPath)));

    // An existing file is kept when the new printout fails.
    QFile old(dir.filePath("kept.pdf"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    chooser.pdfPath = old.fileName();
    EXPECT_EQ(RunPrintJob(nullptr, job(false)), PrintOutcome::Failed);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
}

TEST_F(PrintJobTest, PrintToFileFromThePrintDialogSaysWhereTheFileWent)
{
    chooser.printer = true;
    chooser.acceptPrinter = true;
    chooser.printToFile = dir.filePath("dialog.pdf");
    EXPECT_EQ(RunPrintJob(nullptr, job()), PrintOutcome::SavedPdf);
    EXPECT_EQ(chooser.fileDialogs, 0);
    EXPECT_TRUE(isPdf(chooser.printToFile));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QDir::toNativeSeparators(chooser.printToFile)));
}
