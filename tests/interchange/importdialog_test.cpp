#include "support/testsupport.h"

#include "grid/smallgrid.h"
#include "interchange/importdialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

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
};

} // namespace

TEST_F(ImportDialogTest, ProposesTheMappingAndImports)
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
    QApplication::processEvents();
    const QPixmap shot = dialog.grab();
    EXPECT_EQ(shot.size(), QSize(510, 400));
    if (qEnvironmentVariableIsSet("KOLT_GRAB_DIR"))
        shot.save(qEnvironmentVariable("KOLT_GRAB_DIR") + "/import-loaded.png");

    // The user turns the price column off before processing.
    grid->Commit();
    grid->OpenEditor(7, 2);
    targets = qobject_cast<QComboBox*>(grid->editor().widget());
    ASSERT_NE(targets, nullptr);
    targets->setCurrentIndex(0);
    grid->Commit();
    EXPECT_EQ(grid->item(7, 2)->text(), "Not Used");
    dialog.process();
    EXPECT_EQ(dialog.countersText(), "8/16");
    EXPECT_TRUE(dialog.changedData());
    EXPECT_EQ(sqlite("select count(*) from PartList where Price <> ''"), "0");
    // The file was read to its end: a second press adds nothing.
    dialog.process();
    EXPECT_EQ(dialog.countersText(), "8/16");
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "8");
    if (qEnvironmentVariableIsSet("KOLT_GRAB_DIR"))
        dialog.grab().save(qEnvironmentVariable("KOLT_GRAB_DIR") + "/import-processed.png");
}
