// The real-world bills beside the project (../shared/corpus/bom), imported
// where they lie, with figures worked out by reading each file.
#include "support/testsupport.h"

#include "core/appstate.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "interchange/importer.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace {

QString corpusPath(const QString& name)
{
    // Beside the project; a worktree of it sits one folder deeper.
    QDir folder(SourceDir());
    for (int up = 0; up < 3; ++up) {
        if (QFile::exists(folder.filePath(QStringLiteral("../shared/corpus/bom/SOURCES.md"))))
            return folder.filePath(QStringLiteral("../shared/corpus/bom/") + name);
        if (!folder.cdUp())
            break;
    }
    return SourceDir() + QStringLiteral("/../shared/corpus/bom/") + name;
}

struct Expected
{
    const char* file;
    int lines;
    const char* pieces; // total of the quantities, DNP lines not counted
    int dnpLines;
    // A few lines, by their designators: "designators|part number|quantity|notes".
    std::vector<const char*> samples;
};

class CorpusTest : public DataFolderTest
{
protected:
    // Imports a file as koltctl does, into an assembly of its own.
    ImportOutcome importFile(const ImportFile& file, const QString& assembly, ImportPreview* preview = nullptr)
    {
        const ImportMapping mapping = LoadImportMapping(ProgramDir() + QStringLiteral("import.def"));
        const ImportHeader header = FindImportHeader(file, mapping);
        EXPECT_TRUE(ImportFileProblemText(file, header).isEmpty());
        ImportOptions options;
        options.columnNames = header.fields;
        if (preview)
            *preview = PreviewImport(file, header.line + 1, header.targetNames(mapping), assembly, options);
        return ProcessImport(file, header.line + 1, header.targetNames(mapping), assembly, {}, options);
    }

    // Lines, pieces and not-fitted lines, as "20|47.0|1".
    QString figures(const QString& assembly)
    {
        const QueryResult lines = Query(SqlFormat("select Quan, Notes from AssyList where Assy='%s'", {assembly}));
        double pieces = 0;
        int dnp = 0;
        for (int r = 0; r < lines.rowCount; ++r) {
            pieces += TextToDouble(lines.cell(r, 0));
            dnp += lines.cell(r, 1).startsWith(QLatin1String("DNP")) ? 1 : 0;
        }
        const QString total = pieces == std::floor(pieces) ? QString::number(pieces, 'f', 1) : QString::number(pieces);
        return QString::number(lines.rowCount) + QLatin1Char('|') + total + QLatin1Char('|') + QString::number(dnp)
               + QStringLiteral(".0");
    }

    QString line(const QString& assembly, const QString& designators)
    {
        return sqlite(QStringLiteral("select Ref_Des || '|' || Part_nBr || '|' || Quan || '|' || Notes "
                                     "from AssyList where Assy='%1' and Ref_Des='%2'")
                          .arg(assembly, designators));
    }
};

} // namespace

TEST_F(CorpusTest, EveryFileComesInAsItsBuyerReadsIt)
{
    ASSERT_TRUE(QFile::exists(corpusPath(QStringLiteral("SOURCES.md")))) << "the corpus is not beside the project";
    const std::vector<Expected> files = {
        // Every line ends in CR CR LF; a preamble of five lines; U11's value is "~".
        {"kicad-legacy-grouped-fp-tillitis-tk1.csv", 20, "47.0", 0,
         {"C1,C2,C3,C4,C5,C6,C25|10UF CAPC1608X09L|7|", "U11|1674954-1|1|",
          "R1,R2,R19,R20,R22,R23,R24,R25,R26|10K ERJ2G(0402)_L|9|"}},
        // The same bill twice: 235 rows per reference, then 70 grouped rows.
        // SW9, X1 and J4 say "DNP" or "DO NOT POPULATE".
        {"kicad-legacy-grouped-mch2022-badge.csv", 70, "232.0", 3,
         {"C1,C8,C31,C32,C62|CL05A105KQ5NNNC|5|", "SW9|SW_PUSH-SWITCH 1TS009|0|DNP", "X1|DS1023-2*3SF11|0|DNP"}},
        // A title block; the names after Qty stand one column left of their
        // data, the part numbers in the nameless last column.
        {"kicad5-titleblock-hackrf-one.csv", 167, "308.0", 75,
         {"C12,C13|GRM155R71H331KA01D|2|", "C68,C69,C159,C165,C168|GRM1555C1H101JA01D|0|DNP"}},
        // Semicolons, one row per reference, generic column names; DNP as
        // the manufacturer, as the value or in Field4.
        {"semicolon-per-ref-hackrf-one-2014.csv", 414, "300.0", 114,
         {"C1|GRM1555C1H330JA01D|1|", "C68|GRM1555C1H101JA01D|0|DNP", "P1|1V8|0|DNP", "C155||0|DNP"}},
        // Ragged rows (test points with 5 of 10 fields), no final line end.
        {"kicad-grouped-glasgow-revC3.csv", 70, "247.0", 4,
         {"TP6|CLKREF TESTPOINT_PAD_D1.0MM|1|", "R40||0|DNP", "U2|CAT24M01YI−GT3|1|",
          "J6,J7,J8,J9|CONN_01X08 PINSOCKET_1X08_P1.27MM_VERTICAL_DNP|0|DNP"}},
        // The same value in two footprints is two parts.
        {"kicad-fields-table-mini-talkie.csv", 25, "45.0", 0,
         {"C8,C10,C11,C12,C13,C20|10U C_0805_2012METRIC_PAD1.18X1.45MM_HANDSOLDER|6|",
          "C17|10U C_0603_1608METRIC_PAD1.08X0.95MM_HANDSOLDER|1|", "MK1|TOW-3050P-B-R|1|"}},
        // No quantity column: the designators are counted.
        {"jlcpcb-ethernet4pizero.csv", 16, "25.0", 0, {"R1,R2,R3,R4|C149909|4|", "C1,C2,C5,C6,C7,C8|C1525|6|"}},
        // Tab-separated, 58 columns; "Leave empty" in Note is not fitted, in
        // LowCost (U9, U11) it is not.
        {"kitspace-tab-ulx3s.tsv", 63, "202.0", 12,
         {"AE1||0|DNP", "U9|ESP32-WROVER-E|1|", "B0,B1,B2,B3,B4,B5,B6|PTS645SL50SMTR92 LFS|7|",
          "R6,R8,R14,R18,R29,R40,R54,R57,R66|RC0603FR-071K1L|9|"}},
        // A statistics footer under the table.
        {"kibom-ulx3s.csv", 52, "196.0", 0, {"U9|ESP-WROOM-32|1|", "U3,U4,U5|TLV62569DBVR|3|"}},
        // Eagle: designators under "Parts", trailing spaces after part numbers.
        {"eagle-hat-planktoscope.csv", 28, "56.0", 0,
         {"C1,C2,C3,C11,C13,C19,C21,C22|CL21B104KCFNNNE|8|", "R8|CRCW080510R0FKEAC|1|", "Q2|PMV33UPE,215|1|",
          "D2,D3|FM4007W|2|"}},
        // A mechanical bill: labels for designators, "n/a" for nothing.
        {"spreadsheet-mech-planktoscope.csv", 34, "156.0", 0,
         {"A6|BHCEI03012|32|", "F4|FLOWCELL|3|", "J1|LENS_25MM_5MP_1/2|1|"}},
        // A header over six lines, abbreviated designators, quantities that
        // disagree with them, a line without any part number.
        {"spreadsheet-supplier-ubertooth-zero.csv", 27, "55.0", 0,
         {"C61,C81|GRM1555C1HR50CZ01D|2|", "C2,C6,C7,C16,C71|GRM155R61A104KA01D|4|",
          "LEDs|0603 LED, VARIOUS COLORS|6|"}},
        // Altium's grouped bill saved by Excel: the part names in Comment.
        {"altium-xlsx-dopflow.xlsx", 55, "78.0", 0, {"C2,C3,C4|100NF|3|", "D1,D2,D3,D4,D5,D6,D7,D8|BAV99,215|8|"}},
        // The bill is the second sheet; heading rows between the groups;
        // a line without a manufacturer's number is bought by Digi-Key's.
        {"spreadsheet-xlsx-cwlite.xlsx", 59, "219.0", 0,
         {"C34,C35,C36|LMK212BJ226MG-T|3|", "R66,R76|RHM49.9AECT-ND|2|", "T2,T4|IRLML2502TRPBF|2|"}},
        // Item numbers are formulas; not fitted: quantity 0 and DNP, named
        // by no part number.
        {"cadence-xlsx-parallella-sdr.xlsx", 14, "63.0", 4, {"V4,V5|SMMBT2222ALT1G|2|", "X3||0|DNP", "F1,F2||0|DNP"}},
        // A contract manufacturer's form (BIFF8 with macros): an empty
        // change-history table above the full bill, two-line headings; the
        // solder jumper JP1 names no part and is left out.
        {"cm-template-xls-pixhawk-fmuv3.xls", 54, "151.0", 0,
         {"C4007|C1005X6S1E224K050BC|1|", "PCB005|PCB005|1|", "U$9001|DF17(3.0H)-80DS-0.5V(57)|1|",
          "X1001,X7001|NX3225SA-24.000MHZ-STD-CSR-1|2|"}},
        // One row per reference; the group's number on its last row only.
        {"geda-ods-bcc-s6.ods", 64, "64.0", 0, {"C104|C0603C104M4RACTU|1|", "C301|C0603C104M4RACTU|1|"}},
        // UTF-16 with tabs; the value under Comment where Value is empty.
        {"easyeda-pro-utf16-ubac.csv", 23, "40.0", 0,
         {"C1,C3|100NF C0805|2|", "R19,R20|100Ω R0805|2|", "U6|DS18B20 TO-92-3_L4.5-W3.5-P1.27-L|1|"}},
        // Windows-1252 with semicolons: the order codes name the parts.
        {"eagle-semicolon-cp1252-allserial.csv", 26, "41.0", 0,
         {"C2,C5,C7,C8,C15,C16,C17,C18,C19|X7R-G0805 100N|9|", "S1|TASTER 3305B|1|"}},
        // OrCAD's report: a line of tabs above the header, CR LF.
        {"orcad-capture-tab-opencellular-breakout.bom", 25, "66.0", 0,
         {"A3,A4,A5,A6,A7,A8,A9,A10|4-881545-2|8|", "D10088|PMEG3010ER,115|1|"}},
    };
    int number = 0;
    for (const Expected& expected : files) {
        SCOPED_TRACE(expected.file);
        const QString assembly = QStringLiteral("BOM%1").arg(++number);
        ImportFile file;
        ASSERT_TRUE(file.load(corpusPath(QString::fromLatin1(expected.file))));
        // A workbook's bill sheet, as koltctl chooses it.
        ChooseImportSheet(file, LoadImportMapping(ProgramDir() + QStringLiteral("import.def")));
        ImportPreview preview;
        const ImportOutcome outcome = importFile(file, assembly, &preview);
        ASSERT_TRUE(outcome.stored);
        EXPECT_TRUE(outcome.errors.isEmpty()) << outcome.errors.join('\n').toStdString();
        EXPECT_EQ(figures(assembly), QStringLiteral("%1|%2|%3.0")
                                         .arg(expected.lines)
                                         .arg(QString::fromLatin1(expected.pieces))
                                         .arg(expected.dnpLines));
        // The preview said the same before anything was written.
        EXPECT_EQ(preview.lines, expected.lines);
        EXPECT_EQ(preview.dnpLines, expected.dnpLines);
        EXPECT_EQ(QString::number(preview.pieces, 'f', 1), QString::fromLatin1(expected.pieces));
        for (const char* wanted : expected.samples) {
            const QString text = QString::fromUtf8(wanted);
            EXPECT_EQ(line(assembly, text.section(QLatin1Char('|'), 0, 0)), text);
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CorpusTest, WarningsNameTheLines)
{
    ImportFile file;
    ASSERT_TRUE(file.load(corpusPath(QStringLiteral("spreadsheet-supplier-ubertooth-zero.csv"))));
    const ImportOutcome outcome = importFile(file, QStringLiteral("UBERTOOTH"));
    // The quantity is kept where it disagrees; the line without a part
    // number is kept under its description.
    EXPECT_EQ(outcome.warnings,
              (QStringList{"Line 12: quantity 4, but 5 designators (C2,C6,C7,C16,C71)",
                           "Line 27: quantity 2, but 3 designators (R1,R10,R13)",
                           "Line 33: no part number; the description stands for it"}));
    // Prices each, not the extended ones; the supplier and its order code.
    EXPECT_EQ(sqlite("select Price, Distributor, Order_Code, Manufacturer from PartList "
                     "where Part_nBr='LPC1758FBD80,551'"),
              "8.67|MOUSER|771-LPC1758FBD80551|NXP");
    EXPECT_EQ(sqlite("select Notes from AssyList where Ref_Des='U2'"), "may substitute LPC175x");

    // Labels of a mechanical bill name one line each: no warnings for
    // "A6" on a line of 32 screws.
    ASSERT_TRUE(file.load(corpusPath(QStringLiteral("spreadsheet-mech-planktoscope.csv"))));
    const ImportOutcome mechanical = importFile(file, QStringLiteral("MECH"));
    for (const QString& warning : mechanical.warnings)
        EXPECT_FALSE(warning.contains(QStringLiteral("designators"))) << warning.toStdString();
    // The web address in the nameless column is the part's web page.
    EXPECT_EQ(sqlite("select Web_Page from PartList where Part_nBr='LENS_16MM_5MP_1/2.5'"),
              "https://de.aliexpress.com/item/32463510661.html?spm=a2g0o.cart.0.0.45304ae4aVqKCM&mp=1"
              "&gatewayAdapt=glo2deu");
}

TEST_F(CorpusTest, ContentCorrectsTheHeader)
{
    const ImportMapping mapping = LoadImportMapping(ProgramDir() + QStringLiteral("import.def"));
    const auto mappingOf = [&](const char* name) {
        ImportFile file;
        EXPECT_TRUE(file.load(corpusPath(QString::fromLatin1(name))));
        const ImportHeader header = FindImportHeader(file, mapping);
        QStringList out;
        const QStringList targets = header.targetNames(mapping);
        for (int c = 0; c < header.fields.size(); ++c)
            if (!targets[c].isEmpty())
                out << header.fields[c].trimmed() + QStringLiteral("=") + targets[c];
        return out.join(QLatin1Char(' '));
    };
    // The data wins over the header one column to its left.
    EXPECT_EQ(mappingOf("kicad5-titleblock-hackrf-one.csv"),
              "Ref=Ref Des Value=Value Footprint=Footprint Qty=Quan Description=Desc Manufacturer=Manuf "
              "Note=Notes Note:=Notes Part Number=Part");
    // "Parts" holds designators, not part numbers.
    EXPECT_EQ(mappingOf("eagle-hat-planktoscope.csv"),
              "Qty=Quan Value=Value Device=Symbol Parts=Ref Des MANUFACTURER=Manuf MANUFACTURER_PART_NUMBER=Mfr Part");
    // Generic names, recognised by what their columns hold.
    EXPECT_EQ(mappingOf("semicolon-per-ref-hackrf-one-2014.csv"),
              "ref=Ref Des value=Value Field1=Manuf Field2=Mfr Part Field3=Desc Field4=DNP");
    // "Qnty" is the quantity; the columns with prices are prices, not LowCost.
    EXPECT_TRUE(mappingOf("kicad-legacy-grouped-fp-tillitis-tk1.csv").startsWith("Ref=Ref Des Qnty=Quan"));
    EXPECT_FALSE(mappingOf("kitspace-tab-ulx3s.tsv").contains("LowCost"));
}

TEST_F(CorpusTest, AUtf16CopyReadsTheSameRows)
{
    // A spreadsheet saved as "Unicode text": UTF-16 with its mark, the same
    // rows as the UTF-8 original.
    QFile original(corpusPath(QStringLiteral("kicad5-titleblock-hackrf-one.csv")));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray utf8 = original.readAll();
    const QString text = QString::fromUtf8(utf8);
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);

    ImportFile first, second;
    first.setBytes(utf8);
    second.setBytes(utf16);
    EXPECT_EQ(second.encoding(), "UTF-16LE");
    ASSERT_EQ(first.lineCount(), second.lineCount());
    for (int i = 0; i < first.lineCount(); ++i)
        ASSERT_EQ(first.values(i), second.values(i)) << i;
    importFile(second, QStringLiteral("UTF16"));
    importFile(first, QStringLiteral("UTF8"));
    EXPECT_EQ(figures(QStringLiteral("UTF16")), figures(QStringLiteral("UTF8")));
    EXPECT_EQ(sqlite("select Description from PartList where Part_nBr='SDWL1608CR56JSTF'"),
              QStringLiteral("INDUCTOR 560nH ±5% 70mA 8.1Ω 0603"));
}
