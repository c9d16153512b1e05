#include "support/testsupport.h"

#include "core/appstate.h"
#include "db/database.h"
#include "interchange/importer.h"

#include <QDir>
#include <QFile>
#include <QProcess>

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
        return ProcessImport(file, header.line + 1, targetNames(mapping, header), assembly);
    }
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
    EXPECT_EQ(target("Supplier Part Number"), "Order Code");
    EXPECT_EQ(target("MPN"), "Part");
    EXPECT_EQ(target("Part Description"), "Desc");
    EXPECT_EQ(target("Manufacturer"), "Manuf");
    EXPECT_EQ(target("Reference"), "Ref Des");
    EXPECT_EQ(target("Quantity"), "Quan");
    EXPECT_EQ(target("Datasheet"), "Datasheet");
    EXPECT_EQ(target("DNP"), "");

    // A title line above the header; the header has the most hits.
    ImportFile file;
    file.setBytes("Widget BOM Rev B,,,\n\nPart Number,Description,Qty,Vendor\nA-1,Widget,1,Acme\n");
    ImportHeader header = FindImportHeader(file, mapping);
    EXPECT_EQ(header.line, 2);
    EXPECT_EQ(targetNames(mapping, header), (QStringList{"Part", "Desc", "Quan", "Distri"}));
    // No hits anywhere: the line with the most values, the earlier on a tie.
    file.setBytes("a,b\nc,d,e\nf,g,h\n");
    header = FindImportHeader(file, mapping);
    EXPECT_EQ(header.line, 1);
    EXPECT_EQ(targetNames(mapping, header), (QStringList{"", "", ""}));

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
    // BOM lines: 4 (not the one without a part); parts: 3 (OLD-1 exists).
    EXPECT_EQ(outcome.added, 7);
    EXPECT_EQ(outcome.vendors, 2);
    EXPECT_TRUE(outcome.stored);
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_EQ(sqlite("select Assy,Part_nBr,Quan,Ref_Des,User from AssyList order by id"),
              "BOX|OLD-1|2|R1|tester\nBOX|C-9|1|W1,W2|tester\nBOX|M-1|1||tester\nBOX|X-2|4||tester");
    EXPECT_EQ(sqlite("select Description,Price from PartList where Part_nBr='OLD-1'"), "Kept as it was|5");
    EXPECT_EQ(sqlite("select Description,Category,Manufacturer,Distributor,Make,Currency from PartList "
                     "where Part_nBr='C-9'"),
              "Cable assembly, 10,000 mm|Cable|ACME|O'NEIL SUPPLY|Buy|EUR");
    EXPECT_EQ(sqlite("select Category,Make from PartList where Part_nBr='M-1'"), "Undefined|Make");
    EXPECT_EQ(sqlite("select Category,Make,Price from PartList where Part_nBr='X-2'"), "Fastener|Buy|0.10");
    EXPECT_EQ(sqlite("select Vendor from VendList order by id"), "ACME\nO'NEIL SUPPLY\nNOBODY");
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
    EXPECT_EQ(outcome.added, 6);
    EXPECT_EQ(sqlite("select Part_nBr,Quan,Ref_Des from AssyList where Assy='BLINKY' order by id"),
              QStringLiteral("4.7µF|2|C1,C2\n10KΩ|1|R1\nCONN_01X02|1|J1"));
    EXPECT_EQ(sqlite("select Category,Make,Datasheet from PartList where Part_nBr='10KΩ'"), "Component|Make|~");
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
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.saw("nothing was added"));
    EXPECT_TRUE(ui.saw("injected failure"));
    EXPECT_EQ(sqlite("select count(*) from AssyList"), "0");
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");
}

TEST_F(ImportTest, RefusedRowsAreReportedByLineInLineOrder)
{
    // Enough lines for several statements per table; the database refuses
    // two parts and one bill line, far apart.
    sqlite("create trigger refuse_part before insert on PartList when new.Part_nBr in ('P-30', 'P-450') "
           "begin select raise(abort, 'part refused'); end");
    sqlite("create trigger refuse_line before insert on AssyList when new.Part_nBr = 'P-30' "
           "begin select raise(abort, 'line refused'); end");
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
    const ImportOutcome outcome = ProcessImport(file, header.line + 1, targetNames(mapping, header), "LONG");
    ASSERT_TRUE(outcome.stored);
    EXPECT_TRUE(outcome.errors.isEmpty());
    EXPECT_EQ(outcome.added, 450 + 400);
    EXPECT_EQ(outcome.vendors, 7);
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'LONG'"), "450");
    // Rows are stored in file order: ids follow the lines.
    EXPECT_EQ(sqlite("select Part_nBr from AssyList order by id limit 1 offset 399"), "P-0");
    EXPECT_EQ(sqlite("select Part_nBr from PartList order by id limit 1 offset 398"), "P-399");
    EXPECT_EQ(sqlite("select Part_nBr from PartList order by id desc limit 1"), "P-0");
    EXPECT_EQ(sqlite("select group_concat(Vendor, ',') from (select Vendor from VendList order by id)"),
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

TEST_F(ImportTest, KoltctlImportPrintsBothCounters)
{
    const QString path = dir.path() + "/rack.csv";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Part Number,Qty\nP-1,1\nP-2,2\n");
    f.close();
    QProcess ctl;
    ctl.start(ProgramDir() + "koltctl", {"--data", dir.path(), "import", path});
    ASSERT_TRUE(ctl.waitForFinished(30000));
    EXPECT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(ctl.readAllStandardOutput()), "Lines Scanned: 2\nValid Items Added: 4\n");
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy='RACK'"), "2");
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
    EXPECT_EQ(headerOf("\"Part\",\"Qty\"\nPart,Qty,Extra\n"), "0:Part|Qty");
    EXPECT_EQ(headerOf("Part,Qty,Extra\n\"Part\",\"Qty\"\n"), "0:Part|Qty|Extra");
    // No hits anywhere: the most values, a quoted comma not counting.
    EXPECT_EQ(headerOf("a,b\n\"c,d\",e,f\n"), "1:c,d|e|f");
    EXPECT_EQ(headerOf("a,b,c,d\n\"a,b\"\n"), "0:a|b|c|d");
    // A keyword that holds a comma is looked for in the split values.
    mapping.lines = {{"Part", {"Part,No"}}};
    EXPECT_EQ(headerOf("x,y,z\n\"Part,No\",Qty\n"), "1:Part,No|Qty");
}
