#include "support/testsupport.h"

#include "core/appstate.h"
#include "core/commandids.h"
#include "db/database.h"
#include "grid/gridview.h"
#include "grid/smallgrid.h"
#include "interchange/importdialog.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSettings>
#include <QTableWidget>

namespace {

class ImportDialogTest : public DataFolderTest
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "importdialog_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }

    static void grab(QWidget& widget, const char* name)
    {
        QApplication::processEvents();
        if (qEnvironmentVariableIsSet("KOLT_GRAB_DIR"))
            widget.grab().save(qEnvironmentVariable("KOLT_GRAB_DIR") + "/" + name);
    }

    // Chooses a target in the grid's drop-down as the user would.
    static void choose(CSmallGrid* grid, int row, const QString& target)
    {
        grid->OpenEditor(row, 2);
        auto* targets = qobject_cast<QComboBox*>(grid->editor().widget());
        ASSERT_NE(targets, nullptr);
        targets->setCurrentIndex(targets->findText(target));
        grid->Commit();
    }
};

} // namespace

TEST_F(ImportDialogTest, ProposesTheMappingPreviewsAndImports)
{
    CImport dialog;
    dialog.process();
    EXPECT_TRUE(ui.saw("Valid Import File must be loaded before processing"));

    ASSERT_TRUE(dialog.loadFile(ProgramDir() + "samples/controller-box.csv"));
    CSmallGrid* grid = dialog.grid();
    ASSERT_EQ(grid->rowCount(), 8);
    EXPECT_EQ(grid->item(1, 0)->text(), "2");
    EXPECT_EQ(grid->item(1, 1)->text(), "Part Number");
    EXPECT_EQ(grid->item(1, 2)->text(), "Part");
    EXPECT_EQ(grid->item(6, 2)->text(), "Distri");
    EXPECT_EQ(dialog.findChildren<QLineEdit*>().at(1)->text(), "controller-box");

    // What will be stored, before anything is.
    EXPECT_TRUE(dialog.previewCounts().contains("Lines: 8    pieces: 14    DNP lines: 0"))
        << dialog.previewCounts().toStdString();
    EXPECT_TRUE(dialog.previewCounts().contains("New parts: 8    existing parts: 0"));
    ASSERT_EQ(dialog.previewLines()->rowCount(), 8);
    EXPECT_EQ(dialog.previewLines()->item(0, 1)->text(), "SENSOR-BOARD");
    EXPECT_EQ(dialog.previewLines()->item(4, 2)->text(), "4");
    EXPECT_TRUE(dialog.previewNotes().contains("Line 1 above the header is not part of the table"));
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");

    dialog.show();
    // The target column offers "Not Used" and the mapping's targets, the
    // proposed one chosen; the number and header columns are not edited.
    grid->OpenEditor(6, 0);
    EXPECT_FALSE(grid->editor().isOpen());
    grid->OpenEditor(6, 2);
    auto* targets = qobject_cast<QComboBox*>(grid->editor().widget());
    ASSERT_NE(targets, nullptr);
    EXPECT_FALSE(targets->isEditable());
    EXPECT_EQ(targets->itemText(0), "Not Used");
    EXPECT_EQ(targets->currentText(), "Distri");
    grid->Commit();
    EXPECT_EQ(dialog.grab().size(), QSize(880, 600));
    grab(dialog, "import-loaded.png");

    // Delete does not take a row out of the mapping (every column after it
    // would be read as the one before): the column is no longer used.
    grid->selectRow(2);
    QKeyEvent remove(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(grid, &remove);
    EXPECT_EQ(grid->rowCount(), 8);
    EXPECT_EQ(grid->item(2, 2)->text(), "Not Used");
    EXPECT_EQ(grid->item(3, 1)->text(), "Qty");
    choose(grid, 2, "Desc");

    // The user turns the quantity and the price columns off: the preview
    // follows (no quantity and no designators to count).
    choose(grid, 3, "Not Used");
    EXPECT_TRUE(dialog.previewCounts().contains("Lines: 8    pieces: 3")) << dialog.previewCounts().toStdString();
    choose(grid, 3, "Quan");
    choose(grid, 7, "Not Used");
    EXPECT_EQ(grid->item(7, 2)->text(), "Not Used");
    dialog.process();
    EXPECT_EQ(dialog.countersText(), "8/17");
    EXPECT_TRUE(dialog.changedData());
    EXPECT_EQ(dialog.importedAssembly(), "CONTROLLER-BOX");
    EXPECT_EQ(sqlite("select count(*) from PartList where Price <> ''"), "0");
    // The file was read to its end: a second press adds nothing.
    dialog.process();
    EXPECT_EQ(dialog.countersText(), "8/17");
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "8");
    grab(dialog, "import-processed.png");
}

TEST_F(ImportDialogTest, ThePreviewSpeaksTheUsersLanguage)
{
    const QString path = SourceDir() + "/../shared/corpus/bom/spreadsheet-supplier-ubertooth-zero.csv";
    const struct
    {
        int language;
        const char* counts;
        const char* warning;
        const char* grab;
    } languages[] = {{1, "Zeilen: 27", "Zeile 12: Menge 4, aber 5 Bauteilreferenzen", "import-de.png"},
                     {2, "Lignes: 27", "Ligne 12: quantité 4, mais 5 repères", "import-fr.png"}};
    for (const auto& l : languages) {
        App().language = l.language;
        ASSERT_TRUE(LoadDictionary(l.language));
        CImport dialog;
        ASSERT_TRUE(dialog.loadFile(path));
        EXPECT_TRUE(dialog.previewCounts().contains(QString::fromUtf8(l.counts))) << dialog.previewCounts().toStdString();
        EXPECT_TRUE(dialog.previewNotes().contains(QString::fromUtf8(l.warning))) << dialog.previewNotes().toStdString();
        dialog.show();
        grab(dialog, l.grab);
    }
    App().language = 0;
    LoadDictionary(0);
}

TEST_F(ImportDialogTest, ANewRevisionReplacesOrAddsAsTheUserSays)
{
    const QString path = SourceDir() + "/../shared/corpus/bom/kicad-legacy-grouped-fp-tillitis-tk1.csv";
    {
        CImport dialog;
        ASSERT_TRUE(dialog.loadFile(path));
        dialog.process();
        EXPECT_TRUE(ui.messages.empty());
    }
    const QString lines = "select count(*) from AssyList where Assy='KICAD-LEGACY-GROUPED-FP-TILLITIS-TK1'";
    ASSERT_EQ(sqlite(lines), "20");
    // A revision: the stored bill differs from the file by its last line.
    const QString dropLast = "delete from AssyList where id = (select max(id) from AssyList where "
                             "Assy='KICAD-LEGACY-GROUPED-FP-TILLITIS-TK1')";
    for (const auto& [answer, expected] : {std::pair{kAnswerCancel, "19"}, {kAnswerYes, "20"}, {kAnswerNo, "39"}}) {
        ASSERT_TRUE(Execute(dropLast));
        const QString stored = sqlite(lines);
        CImport dialog;
        ASSERT_TRUE(dialog.loadFile(path));
        EXPECT_TRUE(dialog.previewCounts().contains("has " + stored + " lines already")) << dialog.previewCounts().toStdString();
        ui.clear();
        ui.answers.push_back(answer);
        dialog.process();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].buttons, kButtonsYesNoCancel);
        EXPECT_TRUE(ui.saw("already has " + stored + " lines. Replace them"));
        EXPECT_EQ(sqlite(lines), expected) << answer;
        EXPECT_EQ(dialog.changedData(), answer != kAnswerCancel);
        if (answer == kAnswerYes)
            grab(dialog, "import-replaced.png");
    }
}

TEST_F(ImportDialogTest, TheSameFileAgainIsImportedOnlyWhenTheUserSaysSo)
{
    const QString path = SourceDir() + "/../shared/corpus/bom/kicad-legacy-grouped-fp-tillitis-tk1.csv";
    {
        CImport dialog;
        ASSERT_TRUE(dialog.loadFile(path));
        dialog.process();
    }
    const QString lines = "select count(*) from AssyList where Assy='KICAD-LEGACY-GROUPED-FP-TILLITIS-TK1'";
    ASSERT_EQ(sqlite(lines), "20");
    for (const auto& [answer, expected] : {std::pair{kAnswerNo, "20"}, {kAnswerYes, "40"}}) {
        CImport dialog;
        ASSERT_TRUE(dialog.loadFile(path));
        ui.clear();
        ui.answers.push_back(answer);
        dialog.process();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].buttons, kButtonsYesNo);
        EXPECT_TRUE(ui.saw("KICAD-LEGACY-GROUPED-FP-TILLITIS-TK1 already holds these lines: the same parts and quantities."));
        EXPECT_TRUE(ui.saw("Importing the file again would double every quantity."));
        EXPECT_EQ(sqlite(lines), expected) << answer;
        EXPECT_EQ(dialog.changedData(), answer == kAnswerYes);
    }
}

TEST_F(ImportDialogTest, WhereTheContentOverrulesTheHeaderThePreviewSaysSo)
{
    CImport dialog;
    ASSERT_TRUE(dialog.loadFile(SourceDir() + "/../shared/corpus/bom/kicad5-titleblock-hackrf-one.csv"));
    CSmallGrid* grid = dialog.grid();
    ASSERT_EQ(grid->rowCount(), 10);
    EXPECT_EQ(grid->item(9, 1)->text(), "Part Number");
    EXPECT_EQ(grid->item(9, 2)->text(), "Part");
    EXPECT_EQ(grid->item(9, 2)->toolTip(), "the header name stands one column left of its data");
    EXPECT_EQ(grid->item(4, 1)->text(), "");
    EXPECT_TRUE(dialog.previewNotes().contains(
        "Column 10 \"Part Number\": the header name stands one column left of its data"));
    EXPECT_TRUE(dialog.previewNotes().contains("Names of columns 5 to 9 stand one column left of their data: the data wins"));
    EXPECT_TRUE(dialog.previewCounts().contains("DNP lines: 75"));
    dialog.show();
    grab(dialog, "import-corrected.png");
}

TEST_F(ImportDialogTest, FilesThatCannotBeImportedAreRefusedAtOnce)
{
    CImport dialog;
    const QString header = dir.path() + "/header.csv";
    QFile file(header);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Ref,Qty,MPN\n");
    file.close();
    EXPECT_FALSE(dialog.loadFile(header));
    EXPECT_TRUE(ui.saw("a header but no lines under it"));
    EXPECT_FALSE(dialog.loadFile(dir.path() + "/missing.csv"));
    EXPECT_TRUE(ui.saw("The file cannot be read."));
}

TEST_F(ImportDialogTest, EscapeClosesAndTheFileDialogRemembersItsFolder)
{
    CImport dialog;
    ASSERT_TRUE(dialog.loadFile(ProgramDir() + "samples/sensor-board.csv"));
    dialog.show();
    QApplication::processEvents();
    const auto escape = [] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QWidget* focus = QApplication::focusWidget();
        QApplication::sendEvent(focus ? focus : QApplication::activeWindow(), &key);
        QApplication::processEvents();
    };
    // An open editor in the grid takes the first Esc; the next closes the
    // dialog, as in every other one.
    dialog.activateWindow();
    dialog.grid()->OpenEditor(2, 2);
    ASSERT_TRUE(dialog.grid()->editor().isOpen());
    dialog.grid()->editor().widget()->setFocus();
    escape();
    EXPECT_FALSE(dialog.grid()->editor().isOpen());
    EXPECT_TRUE(dialog.isVisible());
    escape();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    // And with the focus on any other control.
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(&dialog))
            continue;
        dialog.show();
        QApplication::processEvents();
        control->setFocus();
        escape();
        EXPECT_FALSE(dialog.isVisible()) << control->metaObject()->className();
    }

    // First use: the samples beside the program; then the last folder used.
    EXPECT_EQ(CImport::startFolder(), App().ProgramFolder + "samples");
    QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("KOLT"))
        .setValue(QStringLiteral("Import/LastFolder"), dir.path());
    EXPECT_EQ(CImport::startFolder(), dir.path());
}

TEST_F(ImportDialogTest, TheMainWindowShowsTheImportedAssembly)
{
    QWidget window;
    auto* grid = new CGridView(&window);
    std::vector<int> asked;
    QObject::connect(grid, &CGridView::parentCommand, [&asked](int command) { asked.push_back(command); });
    SelectTable(App().DataFolder, PartList);
    App().TreeRebuildFlag = false;
    ShowImportedAssembly(&window, "BOARD");
    EXPECT_EQ(grid->model().currentAssembly, "BOARD");
    EXPECT_TRUE(App().TreeRebuildFlag);
    EXPECT_NE(std::find(asked.begin(), asked.end(), kCmdShowAssyList), asked.end());
}

TEST_F(ImportDialogTest, AWorkbookOpensAtItsBillSheetAndThePickerTakesAnother)
{
    CImport dialog;
    ASSERT_TRUE(dialog.loadFile(SourceDir() + QStringLiteral("/../shared/corpus/bom/spreadsheet-xlsx-cwlite.xlsx")));
    QComboBox* sheets = dialog.sheetPicker();
    ASSERT_FALSE(sheets->isHidden());
    ASSERT_EQ(sheets->count(), 2);
    EXPECT_TRUE(sheets->currentText().startsWith(QStringLiteral("BOM List"))) << sheets->currentText().toStdString();
    EXPECT_TRUE(dialog.previewCounts().contains(QStringLiteral("59"))) << dialog.previewCounts().toStdString();
    EXPECT_TRUE(dialog.previewNotes().contains(QStringLiteral("\"Change Log\""))) << dialog.previewNotes().toStdString();
    const QString shot = qEnvironmentVariable("KOLT_SCREENSHOT_DIR");
    if (!shot.isEmpty())
        dialog.grab().save(shot + QStringLiteral("/import-workbook.png"));
    dialog.selectSheet(0);
    EXPECT_TRUE(sheets->currentText().startsWith(QStringLiteral("Change Log")));
    EXPECT_FALSE(dialog.previewCounts().contains(QStringLiteral("59")));
}
