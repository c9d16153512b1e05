// Workbooks as the import reads them: small sheets written with the same
// library the export uses, each feature of a sheet checked on its own, then
// the round trip through the export.
#include "support/testsupport.h"

#include "db/database.h"
#include "interchange/csvexport.h"
#include "interchange/importer.h"
#include "interchange/importsheet.h"
#include "interchange/importvalues.h"
#include "interchange/xlsxexport.h"

#include <QFile>
#include <QProcess>

#include <xlsxwriter.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A workbook with a change log first and the bill second, written the way
// spreadsheets write them: shared strings, formulas with their cached
// values, a merged title, a date, numbers stored as text, a hidden row and
// a hidden sheet.
QByteArray sampleWorkbook(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/sample.xlsx"));
    lxw_workbook* book = workbook_new(path.constData());
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* twoPlaces = workbook_add_format(book);
    format_set_num_format(twoPlaces, "0.00");

    lxw_worksheet* log = workbook_add_worksheet(book, "Change Log");
    worksheet_write_string(log, 0, 0, "Rev", nullptr);
    worksheet_write_string(log, 0, 1, "Date", nullptr);
    worksheet_write_string(log, 0, 2, "Note", nullptr);
    worksheet_write_string(log, 1, 0, "-04A", nullptr);
    lxw_datetime when = {2014, 12, 24, 0, 0, 0};
    worksheet_write_datetime(log, 1, 1, &when, date);
    worksheet_write_string(log, 1, 2, "first release", nullptr);

    lxw_worksheet* bom = workbook_add_worksheet(book, "BOM List");
    worksheet_merge_range(bom, 0, 0, 0, 4, "Sensor board, rev B", nullptr);
    const char* headings[] = {"Item", "Qty", "Refs", "MPN", "Price"};
    for (int c = 0; c < 5; ++c)
        worksheet_write_string(bom, 1, static_cast<lxw_col_t>(c), headings[c], nullptr);
    worksheet_write_formula_num(bom, 2, 0, "=1", nullptr, 1);
    worksheet_write_number(bom, 2, 1, 2, nullptr);
    worksheet_write_string(bom, 2, 2, "R1, R2", nullptr);
    worksheet_write_string(bom, 2, 3, "0031.8201", nullptr); // text that looks like a number
    worksheet_write_number(bom, 2, 4, 0.1 + 0.2, twoPlaces);
    worksheet_write_formula_num(bom, 3, 0, "=A3+1", nullptr, 2);
    worksheet_write_number(bom, 3, 1, 1, nullptr);
    worksheet_write_string(bom, 3, 2, "C1", nullptr);
    worksheet_write_number(bom, 3, 3, 100000, nullptr);
    worksheet_write_number(bom, 3, 4, 1e20, nullptr);
    // A row hidden by its author is no line of the bill.
    worksheet_write_string(bom, 4, 2, "C9", nullptr);
    worksheet_write_string(bom, 4, 3, "HIDDEN-1", nullptr);
    worksheet_write_number(bom, 4, 1, 1, nullptr);
    lxw_row_col_options hiddenRow = {};
    hiddenRow.hidden = LXW_TRUE;
    worksheet_set_row_opt(bom, 4, LXW_DEF_ROW_HEIGHT, nullptr, &hiddenRow);
    worksheet_write_formula_num(bom, 5, 1, "=SUM(B3:B4)", nullptr, 3);

    lxw_worksheet* secret = workbook_add_worksheet(book, "Old");
    worksheet_write_string(secret, 0, 0, "Ref", nullptr);
    worksheet_hide(secret);
    EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
    return readAll(QFile::decodeName(path));
}

class SheetTest : public DataFolderTest
{
protected:
    int koltctl(const QStringList& arguments, QString* out = nullptr, QString* err = nullptr)
    {
        QProcess ctl;
        ctl.start(ProgramDir() + "koltctl", QStringList{"--data", location} + arguments);
        EXPECT_TRUE(ctl.waitForFinished(30000));
        if (out)
            *out = QString::fromUtf8(ctl.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(ctl.readAllStandardError());
        return ctl.exitCode();
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.path() + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
};

} // namespace

TEST_F(SheetTest, CellsReadAsTheSheetShowsThem)
{
    const ImportWorkbook book = ReadImportWorkbook(sampleWorkbook(dir.path()));
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].rows[1], (QStringList{"-04A", "2014-12-24", "first release"}));
    const ImportSheet& bom = book.sheets[1];
    // The merged title gives its value to its first cell only.
    EXPECT_EQ(bom.rows[0], QStringList{"Sensor board, rev B"});
    // Formulas by their cached value; text stays as typed; the number
    // format's places; no float noise; large numbers as the sheet shows them.
    EXPECT_EQ(bom.rows[2], (QStringList{"1", "2", "R1, R2", "0031.8201", "0.30"}));
    EXPECT_EQ(bom.rows[3], (QStringList{"2", "1", "C1", "100000", "1E+20"}));
    EXPECT_EQ(bom.hiddenRows, 1);
    EXPECT_TRUE(bom.rows[4].isEmpty());
    EXPECT_EQ(bom.rows[5], (QStringList{"", "3"}));
    EXPECT_TRUE(book.sheets[2].hidden);

    EXPECT_EQ(GeneralNumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(GeneralNumberText(-2.5e-12), "-2.5E-12");
    EXPECT_EQ(GeneralNumberText(123456789012.0), "1.23457E+11");
}

TEST_F(SheetTest, TheBillSheetIsChosenAndNamedByKoltctl)
{
    const QString path = dir.path() + QStringLiteral("/board.xlsx");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sampleWorkbook(dir.path()));
    file.close();

    QString out, err;
    ASSERT_EQ(koltctl({"import", path}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("* \"BOM List\"")) << out.toStdString();
    EXPECT_TRUE(out.contains("\"Old\", 1 rows (hidden)")) << out.toStdString();
    EXPECT_TRUE(out.contains("1 hidden rows of sheet \"BOM List\" skipped")) << out.toStdString();
    EXPECT_EQ(sqlite("select Item, Part_nBr, Quan, Ref_Des from AssyList where Assy='BOARD' order by Item"),
              "1|0031.8201|2|R1,R2\n2|100000|1|C1");

    // Another sheet by name; one the workbook lacks is named with the ones it has.
    EXPECT_EQ(koltctl({"import", path, "--sheet", "Nothing", "--dry-run"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("Change Log, BOM List, Old")) << err.toStdString();
    EXPECT_EQ(koltctl({"import", path, "--sheet", "Change Log", "--dry-run"}, &out, &err), 0);
    EXPECT_TRUE(out.contains("* \"Change Log\"")) << out.toStdString();
}

TEST_F(SheetTest, NoSilentEmptyImportAndAMappingByHandIsRemembered)
{
    // A pcbnew export: the value under a heading no keyword knows, the
    // supplier column empty.
    const QString path = writeFile("pcb.csv", "\"Id\";\"Designator\";\"Footprint\";\"Quantity\";\"Designation\";\"Supplier and ref\";\n"
                                              "1;\"R1,R2\";\"R_0402_1005Metric\";2;\"10k\";;;\n"
                                              "2;\"R3\";\"R_0402_1005Metric\";1;\"4k7\";;;\n"
                                              "3;\"C1\";\"C_0402_1005Metric\";1;\"100nF\";;;\n");
    QString out, err;
    ASSERT_EQ(koltctl({"import", path}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("\"Designation\" -> Value (holds component values)")) << out.toStdString();
    // The description keeps the value and says the package in words.
    EXPECT_EQ(sqlite("select Part_nBr, Description, Make from PartList where Part_nBr like '10K%'"),
              "10K R_0402_1005METRIC|10k 0402|Buy");

    // Rows whose columns name nothing a part could be: refused with the
    // columns seen and how to say which one names the part.
    const QString codes = writeFile("codes.csv", "Ref,Qty,Count\nR1,1,1\nR2,1,2\n");
    EXPECT_EQ(koltctl({"import", codes}, &out, &err), 1);
    EXPECT_TRUE(err.contains("Columns seen:") && err.contains("\"Count\", e.g. \"1\"") && err.contains("--map"))
        << err.toStdString();
    EXPECT_EQ(koltctl({"import", codes, "--map", "Count=Nothing"}, &out, &err), 2);
    ASSERT_EQ(koltctl({"import", codes, "--map", "3=Part"}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(sqlite("select group_concat(Part_nBr) from AssyList where Assy='CODES'"), "1,2");
    // The same layout again maps as the hand did.
    const QString revision = writeFile("codes-b.csv", "Ref,Qty,Count\nR1,1,7\n");
    ASSERT_EQ(koltctl({"import", revision}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("as the last import of this layout")) << out.toStdString();
}

TEST_F(SheetTest, PlaceholdersQuantitiesAndSupplierNumbers)
{
    const ImportOutcome outcome = [&] {
        ImportFile file;
        file.setBytes("Ref;Qty;Value;Footprint;MPN;Supplier\n"
                      "R1;1;10k;0402;ANY;C25744\n"
                      "R2;1;4k7;0402;-- mixed values --;\n"
                      "R3;1,5;1k;0402;RC0402-1K;C11702\n"
                      "R4;1.000,5;1k;0402;RC0402-1K;\n"
                      "R5;two;1k;0402;RC0402-1K;\n"
                      "R6;-1;1k;0402;RC0402-1K;\n"
                      "R7;1e3;1k;0402;RC0402-1K;\n");
        const ImportMapping mapping = LoadImportMapping(ProgramDir() + QStringLiteral("import.def"));
        const ImportHeader header = FindImportHeader(file, mapping);
        ImportOptions options;
        options.columnNames = header.fields;
        const ImportPreview preview = PreviewImport(file, 1, header.targetNames(mapping), "P", options);
        EXPECT_EQ(preview.refused, 3);
        EXPECT_EQ(preview.lines, 4);
        return ProcessImport(file, 1, header.targetNames(mapping), "P", {}, options);
    }();
    ASSERT_TRUE(outcome.stored);
    // "ANY" names no part: the supplier's number does; a decimal comma is a
    // decimal; words, signs and exponents are refused, never guessed.
    EXPECT_EQ(sqlite("select Ref_Des || '|' || Part_nBr || '|' || Quan from AssyList where Assy='P' order by Item"),
              "R1|C25744|1\nR2|4K7 0402|1\nR3|RC0402-1K|1.5\nR4|RC0402-1K|1000.5");
    EXPECT_TRUE(outcome.warnings.join('\n').contains("quantity \"two\" is not a plain number: line left out"));

    double value = 0;
    QString plain;
    EXPECT_TRUE(ReadLocaleQuantity(u"1 000", &value, &plain));
    EXPECT_EQ(plain, "1000");
    EXPECT_TRUE(ReadLocaleQuantity(u"1,000.25", &value, &plain));
    EXPECT_EQ(plain, "1000.25");
    EXPECT_FALSE(ReadLocaleQuantity(u"1,00,0", &value, &plain));
    EXPECT_FALSE(ReadLocaleQuantity(u"2000000", &value, &plain));
    EXPECT_FALSE(ReadLocaleQuantity(u"0x10", &value, &plain));
}

TEST_F(SheetTest, ExportsGuardFormulasAndTheImportReadsThemBack)
{
    EXPECT_EQ(GuardExportText("=HYPERLINK(\"x\")"), "'=HYPERLINK(\"x\")");
    EXPECT_EQ(GuardExportText("+41 44"), "'+41 44");
    EXPECT_EQ(GuardExportText("@SUM(A1)"), "'@SUM(A1)");
    EXPECT_EQ(GuardExportText("\tx"), "'\tx");
    EXPECT_EQ(GuardExportText("-5"), "-5");
    EXPECT_EQ(GuardExportText("-5V"), "'-5V");
    EXPECT_EQ(GuardExportText("R-1"), "R-1");

    Execute("insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des,Notes) values "
            "('MAIN','1','00123','2','R1,R2','=1+1'),('MAIN','2','-5V REG','1','U1','@boss')");
    for (const char* name : {"/bill.xlsx", "/bill.csv"}) {
        SCOPED_TRACE(name);
        const QString path = dir.path() + QLatin1String(name);
        ASSERT_TRUE(ExportTable(path, AssyList, "MAIN"));
        ImportFile file;
        ASSERT_TRUE(file.load(path));
        const ImportMapping mapping = LoadImportMapping(ProgramDir() + QStringLiteral("import.def"));
        const ImportHeader header = FindImportHeader(file, mapping);
        ImportOptions options;
        options.columnNames = header.fields;
        const QString assembly = QString::fromLatin1(name).contains(QLatin1String("xlsx")) ? QStringLiteral("BACKX") : QStringLiteral("BACKC");
        ASSERT_TRUE(ProcessImport(file, header.line + 1, header.targetNames(mapping), assembly, {}, options).stored);
        // Codes keep their zeros, text keeps its first character.
        EXPECT_EQ(sqlite(QStringLiteral("select Part_nBr || '|' || Quan || '|' || Notes from AssyList "
                                        "where Assy='%1' order by Item").arg(assembly)),
                  "00123|2|=1+1\n-5V REG|1|@boss");
    }
    // In the workbook, quantities are numbers and part numbers text.
    const ImportWorkbook book = ReadImportWorkbook(readAll(dir.path() + "/bill.xlsx"));
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "AssyList");
    EXPECT_TRUE(book.sheets[0].rows[1].contains("'=1+1"));
}
