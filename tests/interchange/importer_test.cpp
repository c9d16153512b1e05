#include "support/testsupport.h"

#include "bom/rollup.h"
#include "core/appstate.h"
#include "core/utilities.h"
#include "db/changelog.h"
#include "db/database.h"
#include "interchange/importer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

ImportMapping shippedMapping()
{
    return LoadImportMapping(ProgramDir() + QStringLiteral("import.def"));
}

QStringList targetNames(const ImportMapping& mapping, const ImportHeader& header)
{
    QStringList names;
    for (int t : header.targets)
        names << (t >= 0 ? mapping.lines[static_cast<size_t>(t)].target : QString());
    return names;
}

class ImportTest : public DataFolderTest
{
protected:
    // Loads bytes as the dialog would and imports them with the proposed mapping.
    ImportOutcome importBytes(const QByteArray& bytes, const QString& assembly, ImportHeader* headerOut = nullptr)
    {
        ImportFile file;
        file.setBytes(bytes);
        const ImportMapping mapping = shippedMapping();
        const ImportHeader header = FindImportHeader(file, mapping);
        if (headerOut)
            *headerOut = header;
        ImportOptions options;
        options.columnNames = header.fields;
        options.replace = replace;
        return ProcessImport(file, header.line + 1, targetNames(mapping, header), assembly, {}, options);
    }

    // koltctl with its arguments; standard output, and standard error in *err.
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

    bool replace = false;
};

} // namespace

TEST(ImportMappingTest, MappingFileHeaderAndCategories)
{
    const ImportMapping mapping = shippedMapping();
    ASSERT_GE(mapping.lines.size(), 8u);
    EXPECT_TRUE(mapping.choices().startsWith("DROP/Not Used/Item/Quan/"));

    // Where several lines recognise a header, the later line wins.
    const auto target = [&](const char* header) {
        const int t = MatchImportTarget(mapping, QString::fromUtf8(header));
        return t < 0 ? QString() : mapping.lines[static_cast<size_t>(t)].target;
    };
    EXPECT_EQ(target("Part #"), "Part");
    EXPECT_EQ(target("Manufacturer Part Number"), "Mfr Part");
    EXPECT_EQ(target("Manufacturer\nPart Number"), "Mfr Part");
    EXPECT_EQ(target("MANUFACTURER_PART_NUMBER"), "Mfr Part");
    EXPECT_EQ(target("Supplier Part Number"), "Order Code");
    EXPECT_EQ(target("JLCPCB Part #"), "Order Code");
    EXPECT_EQ(target("price700_LCSC"), "Price");
    EXPECT_EQ(target("MPN"), "Mfr Part");
    EXPECT_EQ(target("Part Description"), "Desc");
    EXPECT_EQ(target("PART NAME"), "Desc");
    EXPECT_EQ(target("Manufacturer"), "Manuf");
    EXPECT_EQ(target("PART MANUFACTURER"), "Manuf");
    EXPECT_EQ(target("Reference"), "Ref Des");
    EXPECT_EQ(target("DESIGNATORS"), "Ref Des");
    EXPECT_EQ(target("Quantity"), "Quan");
    EXPECT_EQ(target("Qnty"), "Quan");
    // Headings in the other languages the dictionary knows, through their
    // English phrase; words it does not know stay unmatched.
    App().ProgramFolder = ProgramDir();
    EXPECT_EQ(target("Menge"), "Quan");
    EXPECT_EQ(target("Quantit\u00e9 [pcs]"), "Quan");
    EXPECT_EQ(target("Hersteller:"), "Manuf");
    EXPECT_EQ(target("Herstellerteilenummer"), "Mfr Part");
    EXPECT_EQ(target("R\u00e9f\u00e9rence fabricant"), "Mfr Part");
    EXPECT_EQ(target("Valeur"), "Value");
    EXPECT_EQ(target("Geh\u00e4use"), "Footprint");
    EXPECT_EQ(target("Lieferant"), "Distri");
    EXPECT_EQ(target("Rep\u00e8res"), "Ref Des");
    EXPECT_EQ(target("Bestellcode"), "Order Code");
    EXPECT_EQ(target("Zustand der Dinge"), "");
    EXPECT_EQ(target("Comment"), "Value");
    EXPECT_EQ(target("LibPart"), "Symbol");
    EXPECT_EQ(target("Datasheet"), "Datasheet");
    EXPECT_EQ(target("DK_Datasheet_Link"), "Datasheet");
    EXPECT_EQ(target("DNP"), "DNP");
    EXPECT_EQ(target("Exclude from BOM"), "DNP");
    EXPECT_EQ(target("Exclude from Board"), "");
    // A target named by several lines is offered once.
    EXPECT_EQ(mapping.choices().count("/Quan"), 1);

    // A title line above the header; the header has the most hits.
    ImportFile file;
    file.setBytes("Widget BOM Rev B,,,\n\nPart Number,Description,Qty,Vendor\nA-1,Widget,1,Acme\n");
    ImportHeader header = FindImportHeader(file, mapping);
    EXPECT_EQ(header.line, 2);
    EXPECT_EQ(targetNames(mapping, header), (QStringList{"Part", "Desc", "Quan", "Distri"}));
    // No hits anywhere: the line with the most values, the earlier on a tie;
    // a table with rows still has a column that names its parts, and the
    // reason says how weak the evidence was.
    file.setBytes("a,b\nc,d,e\nf,g,h\n");
    header = FindImportHeader(file, mapping);
    EXPECT_EQ(header.line, 1);
    EXPECT_EQ(targetNames(mapping, header), (QStringList{"Value", "", ""}));
    EXPECT_TRUE(header.reasons[0].contains("no column names the parts")) << header.reasons[0].toStdString();

    EXPECT_EQ(GuessCategory("cable assembly"), "Cable");
    EXPECT_EQ(GuessCategory("Sight glass"), "Assembly");
    EXPECT_EQ(GuessCategory("Nutrient pump"), "Fastener");
    EXPECT_EQ(GuessCategory("Printed circuit board"), "PCB");
    EXPECT_EQ(GuessCategory("Widget"), "Undefined");
    EXPECT_EQ(AssemblyNameFromPath("C:\\boms\\main.board.csv"), "main.board");
    EXPECT_EQ(AssemblyNameFromPath("/tmp/LED-driver.csv"), "LED-driver");
}

TEST_F(ImportTest, MissingMappingFile)
{
    const ImportMapping mapping = LoadImportMapping(dir.path() + "/none/import.def");
    EXPECT_TRUE(ui.saw("Dump Array File: Missing File"));
    EXPECT_EQ(mapping.choices(), "DROP/Not Used");
}

TEST_F(ImportTest, SpreadsheetWithExistingPartsAndVendors)
{
    App().CurrentCurrency = "EUR";
    Execute("insert into PartList (Part_nBr,Description,Price) values ('OLD-1','Kept as it was','5')");
    Execute("insert into VendList (Vendor) values ('ACME')");
    const QByteArray csv = "Spare parts list,,,,,\r\n"
                           "Part Number,Description,Qty,Ref Des,Manufacturer,Vendor,Price\r\n"
                           "old-1,Replaced?,2,R1,,,1\r\n"
                           "\r\n"
                           "c-9,\"Cable assembly, 10,000 mm\",1,\"W1,W2\",Acme,O'Neil Supply,3.50\r\n"
                           "m-1,Machined plate,1,,,,\r\n"
                           ",no part number,1,,Nobody,,\r\n"
                           "x-2,Screw M3,4,,acme,acme,0.10";
    ImportHeader header;
    const ImportOutcome outcome = importBytes(csv, "Box", &header);
    EXPECT_EQ(header.line, 1);
    EXPECT_EQ(outcome.scanned, 6);
    // BOM lines: 5 (the one without a part number under its description);
    // parts: 4 and the assembly's own (OLD-1 exists).
    EXPECT_EQ(outcome.lines, 5);
    EXPECT_EQ(outcome.added, 10);
    EXPECT_EQ(outcome.vendors, 2);
    EXPECT_TRUE(outcome.stored);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(outcome.warnings, (QStringList{"Line 3: quantity 2, but 1 designator (R1)",
                                             "Line 5: quantity 1, but 2 designators (W1,W2)",
                                             "Line 7: no part number; the description stands for it"}));

    EXPECT_EQ(sqlite("select Assy,Part_nBr,Quan,Ref_Des,User from AssyList order by id"),
              "BOX|OLD-1|2|R1|tester\nBOX|C-9|1|W1,W2|tester\nBOX|M-1|1||tester\nBOX|NO PART NUMBER|1||tester\n"
              "BOX|X-2|4||tester");
    EXPECT_EQ(sqlite("select Description,Price from PartList where Part_nBr='OLD-1'"), "Kept as it was|5");
    EXPECT_EQ(sqlite("select Description,Category,Manufacturer,Distributor,Make,Currency from PartList "
                     "where Part_nBr='C-9'"),
              "Cable assembly, 10,000 mm|Cable|ACME|O'NEIL SUPPLY|Buy|EUR");
    // Without a vendor a bill's part is still bought: a Make part without
    // a bill of its own would never be ordered.
    EXPECT_EQ(sqlite("select Category,Make from PartList where Part_nBr='M-1'"), "Undefined|Buy");
    EXPECT_EQ(sqlite("select Category,Make,Price from PartList where Part_nBr='X-2'"), "Fastener|Buy|0.10");
    EXPECT_EQ(sqlite("select Vendor, Type from VendList order by id"),
              "ACME|\nO'NEIL SUPPLY|Distributor\nNOBODY|Manufacturer");
    EXPECT_EQ(sqlite("select count(*) from VendList where Time_Stamp like '20%' and User='tester'"), "2");
}

TEST_F(ImportTest, KiCadBomAndSamplesImportCleanly)
{
    // As KiCad's BOM export writes it: every value quoted, references
    // grouped in one value, LF line ends, UTF-8 without a mark.
    const QByteArray kicad =
        QStringLiteral("\"Reference\",\"Value\",\"Datasheet\",\"Footprint\",\"Qty\",\"DNP\"\n"
                       "\"C1,C2\",\"4.7µF\",\"~\",\"Capacitor_SMD:C_0603_1608Metric\",\"2\",\"\"\n"
                       "\"R1\",\"10kΩ\",\"~\",\"Resistor_SMD:R_0603_1608Metric\",\"1\",\"\"\n"
                       "\"J1\",\"Conn_01x02\",\"~\",\"Connector_PinHeader_2.54mm:PinHeader_1x02\",\"1\",\"DNP\"\n")
            .toUtf8();
    ImportHeader header;
    ImportOutcome outcome = importBytes(kicad, "blinky", &header);
    EXPECT_EQ(header.line, 0);
    EXPECT_EQ(outcome.scanned, 3);
    EXPECT_EQ(outcome.lines, 3);
    // A value is a part with its footprint; J1 is not fitted.
    EXPECT_EQ(sqlite("select Part_nBr,Quan,Ref_Des,Notes from AssyList where Assy='BLINKY' order by id"),
              QStringLiteral("4.7µF C_0603_1608METRIC|2|C1,C2|\n10KΩ R_0603_1608METRIC|1|R1|\n"
                             "CONN_01X02 PINHEADER_1X02|0|J1|DNP"));
    // KiCad's "~" is no datasheet.
    EXPECT_EQ(sqlite("select Make,Datasheet from PartList where Part_nBr='10KΩ R_0603_1608METRIC'"), "Buy|");
    // No item column: the lines are numbered in file order.
    EXPECT_EQ(sqlite("select group_concat(Item) from AssyList where Assy='BLINKY'"), "1,2,3");

    // "Value" and "MPN" both feed the part number: an empty MPN leaves the
    // value standing. A second file for the same assembly numbers on.
    importBytes("\"Reference\",\"Value\",\"MPN\",\"Qty\"\n\"R1\",\"10k\",\"ERJ-3EKF1002V\",\"1\"\n"
                "\"R2\",\"22k\",\"\",\"1\"\n",
                "mixed");
    importBytes("\"Reference\",\"Value\",\"Qty\"\n\"R3\",\"47k\",\"1\"\n", "mixed");
    EXPECT_EQ(sqlite("select group_concat(Item||':'||Part_nBr) from AssyList where Assy='MIXED'"),
              "1:ERJ-3EKF1002V,2:22K,3:47K");

    // The shipped samples: a KiCad export with extra fields and a
    // spreadsheet saved as UTF-8 with a mark and a title line.
    for (const char* name : {"sensor-board.csv", "controller-box.csv"}) {
        ImportFile file;
        ASSERT_TRUE(file.load(ProgramDir() + "samples/" + name));
        const ImportMapping mapping = shippedMapping();
        const ImportHeader h = FindImportHeader(file, mapping);
        outcome = ProcessImport(file, h.line + 1, targetNames(mapping, h), AssemblyNameFromPath(file.path()));
        EXPECT_TRUE(outcome.stored) << name;
        EXPECT_GT(outcome.added, 10) << name;
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy='SENSOR-BOARD'"), "9");
    EXPECT_EQ(sqlite("select Part_nBr,Description,Category,Manufacturer,Distributor from PartList "
                     "where Part_nBr='RC0603FR-0710KL'"),
              QStringLiteral("RC0603FR-0710KL|Resistor, 10kΩ 1% 0603|Component|YAGEO|MOUSER"));
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy='CONTROLLER-BOX'"), "8");
    EXPECT_EQ(sqlite("select Description,Category,Manufacturer from PartList where Part_nBr='SO-M3-10'"),
              QStringLiteral("Standoff M3 x 10, Ø 5 mm hex|Fastener|KEYSTONE"));
    EXPECT_EQ(sqlite("select Category from PartList where Part_nBr='CBL-USB-1M'"), "Cable");
    EXPECT_EQ(sqlite("select count(*) from VendList where Vendor like 'W%RTH ELEKTRONIK'"), "1");
}

TEST_F(ImportTest, FailedInsertStoresNothingAndIsShown)
{
    InjectStatementFailure(4);
    const ImportOutcome outcome = importBytes("Part #,Qty\nA,1\nB,2\nC,3\n", "T");
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.scanned, 3);
    EXPECT_EQ(outcome.added, 0);
    // (On the server the fourth statement is a read, which says so itself.)
    if (!TestOnServer()) {
        ASSERT_EQ(ui.messages.size(), 1u);
    }
    EXPECT_TRUE(ui.saw("nothing was added"));
    EXPECT_TRUE(ui.saw("injected failure"));
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "0");
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");
}

TEST_F(ImportTest, RefusedRowsAreReportedByLineInLineOrder)
{
    // Enough lines for several statements per table; the database refuses
    // two parts and one bill line, far apart.
    refuseWrites("refuse_part", "insert", "PartList", "new.Part_nBr in ('P-30', 'P-450')", "part refused");
    refuseWrites("refuse_line", "insert", "AssyList", "new.Part_nBr = 'P-30'", "line refused");
    QByteArray csv = "Part Number,Qty,Manufacturer\n";
    for (int i = 1; i <= 500; ++i)
        csv += QString("P-%1,%2,MAKER %3\n").arg(i).arg(i % 4 + 1).arg(i % 3).toUtf8();
    const ImportOutcome outcome = importBytes(csv, "BIG");
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.scanned, 500);
    EXPECT_EQ(outcome.added, 0);
    // File lines count from 1 and the header is line 1.
    EXPECT_EQ(outcome.errors,
              (QStringList{"Line 31: line refused", "Line 31: part refused", "Line 451: part refused"}));
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "0");
}

TEST_F(ImportTest, LongFilesKeepFileOrderAndCounters)
{
    QByteArray csv = "Part Number,Qty,Manufacturer,Distributor\n";
    for (int i = 1; i <= 450; ++i)
        csv += QString("p-%1,%2,maker %3,\n").arg(i % 400).arg(i % 4 + 1).arg(i % 7).toUtf8();
    std::vector<int> seen;
    ImportFile file;
    file.setBytes(csv);
    const ImportMapping mapping = shippedMapping();
    const ImportHeader header = FindImportHeader(file, mapping);
    ImportOptions options;
    options.columnNames = header.fields;
    const ImportOutcome outcome = ProcessImport(file, header.line + 1, targetNames(mapping, header), "LONG", {}, options);
    ASSERT_TRUE(outcome.stored);
    EXPECT_TRUE(outcome.errors.isEmpty());
    // Bill lines, parts, and the assembly's own part record.
    EXPECT_EQ(outcome.added, 450 + 400 + 1);
    EXPECT_EQ(outcome.vendors, 7);
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'LONG'"), "450");
    // Rows are stored in file order: ids follow the lines.
    EXPECT_EQ(sqlite("select Part_nBr from AssyList order by id limit 1 offset 399"), "P-0");
    EXPECT_EQ(sqlite("select Part_nBr from PartList order by id limit 1"), "LONG");
    EXPECT_EQ(sqlite("select Part_nBr from PartList order by id limit 1 offset 399"), "P-399");
    EXPECT_EQ(sqlite("select Part_nBr from PartList order by id desc limit 1"), "P-0");
    EXPECT_EQ(sqlite("select group_concat(Vendor, ',') from (select Vendor from VendList order by id) as v"),
              "MAKER 1,MAKER 2,MAKER 3,MAKER 4,MAKER 5,MAKER 6,MAKER 0");
}

TEST(ImportMappingTest, KeywordHitsCountEachKeywordOnce)
{
    ImportMapping mapping;
    mapping.lines.push_back({"Part", {"Part", "P/N", "Pos"}});
    mapping.lines.push_back({"Mfr Part", {"Part", QString::fromUtf8("Écrou")}});
    // "Part" twice in the values still counts once per mapping line that has it.
    EXPECT_EQ(CountKeywordHits(mapping, {"Part", "Part No", "x"}), 2);
    EXPECT_EQ(CountKeywordHits(mapping, {"P/N", "Pos.", QString::fromUtf8("Un Écrou M3")}), 3);
    // Keywords do not reach across values.
    EXPECT_EQ(CountKeywordHits(mapping, {"P", "/N"}), 0);
    EXPECT_EQ(CountKeywordHits(mapping, {"part"}), 0);
}

TEST_F(ImportTest, KoltctlImportPrintsThePreviewAndBothCounters)
{
    const QString path = writeFile("rack.csv", "Part Number,Qty\nP-1,1\nP-2,2\n");
    QString out, err;
    EXPECT_EQ(koltctl({"import", path}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("Lines: 2, pieces: 3, DNP lines: 0\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("New parts: 2, existing parts: 0, new vendors: 0\n")) << out.toStdString();
    EXPECT_TRUE(out.endsWith("Lines Scanned: 2\nValid Items Added: 5 (2 lines, 3 new parts)\n")) << out.toStdString();
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy='RACK'"), "2");
}

TEST_F(ImportTest, DryRunWritesNothingAndReplaceSwapsTheLines)
{
    const QString first = writeFile("first.csv", "Ref,Qty,MPN,Manufacturer\n\"R1,R2\",2,RC-1,Yageo\nC1,1,CC-1,Murata\n");
    const QString second = writeFile("second.csv", "Ref,Qty,MPN\nR1,1,RC-2\n");
    const QString before = sqlite("select count(*) from AssyList") + sqlite("select count(*) from PartList")
                           + sqlite("select count(*) from VendList");
    QString out, err;
    EXPECT_EQ(koltctl({"import", first, "--assembly", "board", "--dry-run"}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("Assembly Name: BOARD\n"));
    EXPECT_TRUE(out.contains("  1 | RC-1 | 2 | R1,R2 | \n")) << out.toStdString();
    EXPECT_TRUE(out.contains("New parts: 2, existing parts: 0, new vendors: 2\n")) << out.toStdString();
    EXPECT_FALSE(out.contains("Lines Scanned"));
    EXPECT_EQ(sqlite("select count(*) from AssyList") + sqlite("select count(*) from PartList")
                  + sqlite("select count(*) from VendList"),
              before);

    ASSERT_EQ(koltctl({"import", first, "--assembly", "board"}), 0);
    // Without --replace a new revision is added to the lines there are.
    ASSERT_EQ(koltctl({"import", second, "--assembly", "board", "--dry-run"}, &out), 0);
    EXPECT_TRUE(out.contains("BOARD has 2 lines: the new lines are added")) << out.toStdString();
    ASSERT_EQ(koltctl({"import", second, "--assembly", "board", "--replace"}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("Lines Replaced: 2\n")) << out.toStdString();
    EXPECT_EQ(sqlite("select Item, Part_nBr, Quan from AssyList where Assy='BOARD'"), "1|RC-2|1");
    // The parts of the old revision stay.
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr in ('RC-1','CC-1','RC-2','BOARD')"), "4");

    // A replacement that cannot be stored leaves the old lines as they were.
    InjectStatementFailure(3);
    replace = true;
    const ImportOutcome failed = importBytes("Ref,Qty,MPN\nR7,1,RC-7\nR8,1,RC-8\n", "board");
    EXPECT_FALSE(failed.stored);
    EXPECT_EQ(failed.replaced, 0);
    EXPECT_EQ(sqlite("select Part_nBr from AssyList where Assy='BOARD'"), "RC-2");
}

TEST_F(ImportTest, FilesWithoutLinesFailWithAMessage)
{
    QByteArray png("\x89PNG\r\n\x1A\n\x00\x00\x00\rIHDR\x00\x00\x01\x00\x00\x00\x01\x00\x08\x06", 26);
    for (int i = 0; i < 300; ++i)
        png += static_cast<char>(i * 31 % 256);
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"picture.png", png, "not a text file"},
        {"empty.csv", QByteArray(), "The file is empty."},
        {"blank.csv", QByteArray("\r\n\r\n"), "The file is empty."},
        {"header.csv", QByteArray("Ref,Qty,MPN\n"), "a header but no lines under it"},
        {"book.xlsx", QByteArray("PK\x03\x04\x14\x00", 6), "save it as CSV first"},
        {"nothing.csv", QByteArray("Ref,Qty,MPN\n,,\n\"\",\"\",\"\"\n"), "a header but no lines under it"},
    };
    for (const auto& c : cases) {
        QString out, err;
        EXPECT_EQ(koltctl({"import", writeFile(c.name, c.bytes)}, &out, &err), 1) << c.name;
        EXPECT_TRUE(err.contains(QString::fromLatin1(c.message))) << c.name << ": " << err.toStdString();
    }
    // Lines that name no part at all: nothing to import is a failure too.
    QString err;
    EXPECT_EQ(koltctl({"import", writeFile("names.csv", "Ref,Qty,Note\nR1,1,x\n"), "--dry-run"}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains("nothing to import")) << err.toStdString();
    EXPECT_EQ(koltctl({"import", writeFile("names.csv", "Ref,Qty,Note\nR1,1,x\n")}, nullptr, &err), 1);
    EXPECT_EQ(sqlite("select count(*) from AssyList") + sqlite("select count(*) from PartList"), "00");
}

TEST_F(ImportTest, UpperCasingKeepsLettersWholeAndTheMicroSign)
{
    const ImportOutcome outcome =
        importBytes(QStringLiteral("Ref,Qty,MPN,Manufacturer\nC1,1,10µF,müller\nR1,1,straße,x\nL1,1,ǆ,ǆ\n"
                                   "U1,1,abc,abc\n")
                        .toUtf8(),
                    "µboard");
    ASSERT_TRUE(outcome.stored);
    EXPECT_EQ(sqlite("select group_concat(Part_nBr, ' ') from AssyList where Assy='µBOARD'"),
              QStringLiteral("10µF STRAßE Ǆ ABC"));
    // "Würth" is WÜRTH, never WüRTH: every letter the Unicode way, one
    // character for one (ß stays), the micro sign as it is.
    EXPECT_EQ(sqlite("select group_concat(Vendor, ' ') from (select Vendor from VendList order by id) as v"),
              QStringLiteral("MÜLLER X Ǆ ABC"));
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr in ('10µF','STRAßE','Ǆ','ABC')"), "4");
}

TEST_F(ImportTest, TheAssemblyGetsItsPartRecordForTheRollup)
{
    // A part record the assembly already has is kept as it is.
    Execute("insert into PartList (Part_nBr,Description,Make) values ('KEPT','Our own words','Make')");
    importBytes("Ref,Qty,MPN,Price\nR1,2,RC-1,0.25\nC1,4,CC-1,0.50\n", "top");
    importBytes("Ref,Qty,MPN,Price\nR1,1,RC-1,0.25\n", "kept");
    EXPECT_EQ(sqlite("select Part_nBr,Make,Category,Revision,Currency from PartList where Part_nBr='TOP'"),
              "TOP|Make|Assembly|A|" + App().CurrentCurrency);
    EXPECT_EQ(sqlite("select Description from PartList where Part_nBr='KEPT'"), "Our own words");
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr='KEPT'"), "1");
    // The roll-up now has somewhere to put the cost.
    EXPECT_GE(RunCostRollup(), 1);
    EXPECT_EQ(TextToDouble(sqlite("select Price from PartList where Part_nBr='TOP'")), 2.5);
}

TEST_F(ImportTest, PartsAndVendorsTheImportCreatesAreLogged)
{
    Execute("insert into PartList (Part_nBr,Description,Make) values ('RC-1','Known','Buy')");
    importBytes("Ref,Qty,MPN,Vendor\nR1,2,RC-1,Acme\nC1,4,CC-1,Acme\n", "top");
    ChangeFilter filter;
    filter.part = QStringLiteral("CC-1");
    std::vector<LoggedChange> logged = LoadChanges(filter);
    ASSERT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const LoggedChange& c) { return c.field == "Created"; }),
              1);
    // A part that was there already is not created again.
    filter.part = QStringLiteral("RC-1");
    logged = LoadChanges(filter);
    EXPECT_TRUE(std::none_of(logged.begin(), logged.end(), [](const LoggedChange& c) { return c.field == "Created"; }));
    filter = {};
    filter.table = QStringLiteral("VendList");
    logged = LoadChanges(filter);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].newValue, "ACME");
    filter.table = QStringLiteral("PartList");
    filter.part = QStringLiteral("TOP");
    EXPECT_EQ(LoadChanges(filter).size(), 1u);
}

TEST_F(ImportTest, NotFittedLinesAreKeptWithoutQuantity)
{
    const ImportOutcome outcome = importBytes(
        "Reference,Qty,Value,DNP,Exclude from BOM,MPN,LowCost,Note\n"
        "R1,1,10k,,,RC-1,RC-9,\n"          // fitted
        "R2,1,10k,DNP,,RC-1,,\n"           // marked in the DNP column
        "H1 H2,2,MountingHole,,Excluded,,,\n" // excluded from the bill: no part number at all
        "R3,1,DNP,,,,,\n"                  // the value says it
        "R4,1,22k,,,RC-2,Leave empty,\n"   // an alternative part column: fitted
        "R5,1,22k,,,RC-2,,Leave empty\n"    // a note: not fitted
        "R6,1,22k,no,,RC-2,,old note\n",    // a mark that says fitted
        "fit");
    ASSERT_TRUE(outcome.stored);
    EXPECT_EQ(sqlite("select Ref_Des || ':' || Part_nBr || ':' || Quan || ':' || Notes from AssyList order by id"),
              "R1:RC-1:1:\nR2:RC-1:0:DNP\nH1,H2:MOUNTINGHOLE:0:DNP\nR3::0:DNP\nR4:RC-2:1:\nR5:RC-2:0:DNP\n"
              "R6:RC-2:1:old note");
    // "DNP" is no part number and no vendor.
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr like '%DNP%'"), "0");
}

TEST_F(ImportTest, TablesGivenTwiceOrOverPagesAndFooters)
{
    // The same bill per reference and grouped: the grouped one only.
    importBytes("Ref,Qty,MPN\nR1,,RC-1\nR2,,RC-1\nC1,,CC-1\n\n\"Collated:\"\nRef,Qty,MPN\n\"R1, R2\",2,RC-1\nC1,1,CC-1\n"
                "\nComponent Count:,3\nBoM Date:,\"Monday, 1 June\"\n",
                "twice");
    EXPECT_EQ(sqlite("select group_concat(Ref_Des || '=' || Quan, ' ') from AssyList where Assy='TWICE'"),
              "R1,R2=2 C1=1");
    // A header repeated over pages with other designators: every page.
    importBytes("Ref,Qty,MPN\nR1,1,RC-1\nR2,1,RC-1\nRef,Qty,MPN\nC1,1,CC-1\n", "pages");
    EXPECT_EQ(sqlite("select group_concat(Ref_Des, ' ') from AssyList where Assy='PAGES'"), "R1 R2 C1");
}
TEST(ImportHeaderTest, PlainAndQuotedLinesCountAlike)
{
    ImportMapping mapping;
    mapping.lines = {{"Part", {"Part"}}, {"Quan", {"Qty"}}};
    const auto headerOf = [&mapping](const char* text) {
        ImportFile file;
        file.setBytes(QByteArray(text));
        const ImportHeader header = FindImportHeader(file, mapping);
        return QString::number(header.line) + ':' + header.fields.join('|');
    };
    // A keyword cut by a comma is in no value.
    EXPECT_EQ(headerOf("Par,t,a,b,c\nPart,Qty\n"), "1:Part|Qty");
    // Equal hits: the earlier line, quoted or not.
    // The data line is wider than the header: its cell gets a nameless column.
    EXPECT_EQ(headerOf("\"Part\",\"Qty\"\nPart,Qty,Extra\n"), "0:Part|Qty|");
    EXPECT_EQ(headerOf("Part,Qty,Extra\n\"Part\",\"Qty\"\n"), "0:Part|Qty|Extra");
    // No hits anywhere: the most values, a quoted comma not counting.
    EXPECT_EQ(headerOf("a,b\n\"c,d\",e,f\n"), "1:c,d|e|f");
    EXPECT_EQ(headerOf("a,b,c,d\n\"a,b\"\n"), "0:a|b|c|d");
    // A keyword that holds a comma is looked for in the split values.
    mapping.lines = {{"Part", {"Part,No"}}};
    EXPECT_EQ(headerOf("x,y,z\n\"Part,No\",Qty\n"), "1:Part,No|Qty");
}

TEST_F(ImportTest, TwoReplacesOfOneAssemblyTheSecondIsRefusedNamingTheFirst)
{
    App().CurrentUser = QStringLiteral("anna");
    ASSERT_EQ(koltctl({"import", writeFile("rev-a.csv", "Ref,Qty,MPN\nR1,1,RC-1\nC1,1,CC-1\n"), "--assembly", "board"}),
              0);

    // Both desks read the bill for their replace: anna with revision B, ben
    // with revision C.
    const auto preview = [&](const QByteArray& bytes, ImportFile& file, ImportHeader& header, QStringList& targets) {
        file.setBytes(bytes);
        header = FindImportHeader(file, shippedMapping());
        targets = targetNames(shippedMapping(), header);
        ImportOptions options;
        options.columnNames = header.fields;
        options.replace = true;
        return PreviewImport(file, header.line + 1, targets, "board", options);
    };
    ImportFile annaFile, benFile;
    ImportHeader annaHeader, benHeader;
    QStringList annaTargets, benTargets;
    const ImportPreview annas = preview("Ref,Qty,MPN\nR1,2,RC-2\n", annaFile, annaHeader, annaTargets);
    const ImportPreview bens = preview("Ref,Qty,MPN\nR1,3,RC-3\n", benFile, benHeader, benTargets);
    ASSERT_TRUE(annas.bill.read);
    EXPECT_EQ(annas.bill.digest, bens.bill.digest);
    EXPECT_EQ(annas.bill.lines, 2);

    ImportOptions options;
    options.replace = true;
    options.columnNames = annaHeader.fields;
    options.loadedBill = annas.bill;
    const ImportOutcome first = ProcessImport(annaFile, annaHeader.line + 1, annaTargets, "board", {}, options);
    ASSERT_TRUE(first.stored);
    const QString afterAnna = snapshot();

    // Ben's replace carries the bill he read: anna's lines are not replaced
    // unseen, and he is told by whom and when.
    App().CurrentUser = QStringLiteral("ben");
    ui.clear();
    options.columnNames = benHeader.fields;
    options.loadedBill = bens.bill;
    const ImportOutcome second = ProcessImport(benFile, benHeader.line + 1, benTargets, "board", {}, options);
    EXPECT_FALSE(second.stored);
    EXPECT_TRUE(second.stale);
    EXPECT_EQ(second.replaced, 0);
    EXPECT_TRUE(ui.saw("The lines of BOARD were changed by anna at ")) << ui.messages.back().text.toStdString();
    EXPECT_TRUE(ui.saw("Nothing was written."));
    EXPECT_EQ(snapshot(), afterAnna);
    EXPECT_EQ(sqlite("select Part_nBr, Quan from AssyList where Assy='BOARD'"), "RC-2|2");

    // Read again, his replace goes through.
    const ImportPreview again = preview("Ref,Qty,MPN\nR1,3,RC-3\n", benFile, benHeader, benTargets);
    EXPECT_NE(again.bill.digest, bens.bill.digest);
    options.loadedBill = again.bill;
    EXPECT_TRUE(ProcessImport(benFile, benHeader.line + 1, benTargets, "board", {}, options).stored);
    EXPECT_EQ(sqlite("select Part_nBr, Quan from AssyList where Assy='BOARD'"), "RC-3|3");
}

TEST_F(ImportTest, KoltctlReplaceCarriesTheBillItWasShown)
{
    ASSERT_EQ(koltctl({"import", writeFile("a.csv", "Ref,Qty,MPN\nR1,1,RC-1\n"), "--assembly", "board"}), 0);
    const QString b = writeFile("b.csv", "Ref,Qty,MPN\nR1,2,RC-2\n");
    const QString c = writeFile("c.csv", "Ref,Qty,MPN\nR1,3,RC-3\n");
    // A script's dry run names the bill it read.
    QString out, err;
    ASSERT_EQ(koltctl({"import", c, "--assembly", "board", "--replace", "--dry-run"}, &out), 0);
    const QRegularExpressionMatch shown = QRegularExpression("Bill: ([0-9a-f]+)\n").match(out);
    ASSERT_TRUE(shown.hasMatch()) << out.toStdString();
    // Another desk replaces the lines meanwhile.
    ASSERT_EQ(koltctl({"import", b, "--assembly", "board", "--replace"}), 0);
    // The script's replace of the bill it was shown is refused; nothing is written.
    const QString before = snapshot();
    EXPECT_EQ(koltctl({"import", c, "--assembly", "board", "--replace", "--bill", shown.captured(1)}, &out, &err), 1);
    EXPECT_TRUE(err.contains("The lines of BOARD were changed")) << err.toStdString();
    EXPECT_EQ(snapshot(), before);
    // Unchanged since, the same digest lets it through.
    ASSERT_EQ(koltctl({"import", c, "--assembly", "board", "--replace", "--dry-run"}, &out), 0);
    const QString now = QRegularExpression("Bill: ([0-9a-f]+)\n").match(out).captured(1);
    EXPECT_EQ(koltctl({"import", c, "--assembly", "board", "--replace", "--bill", now}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(sqlite("select Part_nBr from AssyList where Assy='BOARD'"), "RC-3");
}
