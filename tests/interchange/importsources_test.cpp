// Sources from the supplier columns of a bill, and price lists into sources:
// both through koltctl, as a buyer runs them.
#include "support/testsupport.h"

#include "db/database.h"
#include "db/sources.h"

#include <QFile>
#include <QProcess>

namespace {

class SourceImportTest : public DataFolderTest
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

    // "VENDOR ORDER_CODE [preferred]" per source of the part, in stored order.
    QStringList sourcesOf(const QString& part)
    {
        QStringList out;
        for (const SourceRecord& s : LoadSources({part}).value(part))
            out << (s.vendor + ' ' + s.orderCode + (s.preferred ? " preferred" : ""));
        return out;
    }
};

} // namespace

TEST_F(SourceImportTest, SupplierColumnsOfABillBecomeSources)
{
    // Suppliers named by the headings, by a Supplier column beside its
    // number, and by the shape of the numbers alone.
    const QString bill = writeFile("bill.csv",
                                   "Ref,Qty,Value,MPN,Manufacturer,LCSC,Digi-Key PN,Supplier,Supplier PN,Order No\n"
                                   "C1 C2,2,100n,CL05B104KO5NNNC,Samsung,C1525,1276-1001-1-ND,,,\n"
                                   "R1,1,10k,,,C25744,,,,\n"
                                   "U1,1,MCU,STM32F103C8T6,ST,,,Farnell,1447636,\n"
                                   "D1,1,LED,LTST-C191KGKT,Lite-On,,,,,859-LTST-C191KGKT\n"
                                   "J1,1,DNP,,,C2345,,,,\n");
    QString out, err;
    ASSERT_EQ(koltctl({"import", bill, "--assembly", "BRD"}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("Sources Added: 5")) << out.toStdString();
    // Two ways to buy the capacitor: neither is preferred, the planner
    // compares them.
    EXPECT_EQ(sourcesOf("CL05B104KO5NNNC"), QStringList({"LCSC C1525", "DIGI-KEY 1276-1001-1-ND"}));
    // The resistor has only its LCSC number, which names the part as well.
    EXPECT_EQ(sourcesOf("C25744"), QStringList({"LCSC C25744 preferred"}));
    EXPECT_EQ(sourcesOf("STM32F103C8T6"), QStringList({"FARNELL 1447636 preferred"}));
    EXPECT_EQ(sourcesOf("LTST-C191KGKT"), QStringList({"MOUSER 859-LTST-C191KGKT preferred"}));
    // Each supplier is a vendor.
    EXPECT_EQ(sqlite("select count(*) from VendList where Vendor in ('LCSC','DIGI-KEY','FARNELL','MOUSER')"), "4");

    // A part bought elsewhere keeps its own preferred source, and the same
    // bill again adds nothing twice.
    ASSERT_EQ(koltctl({"source", "add", "STM32F103C8T6", "ARROW", "A-1", "--preferred"}), 0);
    const QString revision = writeFile("bill2.csv",
                                       "Ref,Qty,MPN,Mouser\n"
                                       "U1,1,STM32F103C8T6,511-STM32F103C8T6\n"
                                       "C1 C2,2,CL05B104KO5NNNC,\n");
    ASSERT_EQ(koltctl({"import", revision, "--assembly", "BRD2"}, &out, &err), 0) << err.toStdString();
    ASSERT_EQ(koltctl({"import", bill, "--assembly", "BRD3"}, &out, &err), 0) << err.toStdString();
    EXPECT_FALSE(out.contains("Sources Added")) << out.toStdString();
    EXPECT_EQ(sourcesOf("STM32F103C8T6"),
              QStringList({"FARNELL 1447636 preferred", "ARROW A-1 preferred", "MOUSER 511-STM32F103C8T6"}));
}

TEST_F(SourceImportTest, APriceListBecomesSourcesWithTheirBreaks)
{
    ASSERT_EQ(koltctl({"import", writeFile("b.csv", "Ref,Qty,MPN\nR1,1,RC0402-10K\nC1,1,CL05-100N\n"), "--assembly", "B"}), 0);
    // Quantity and price columns in pairs, a part by its manufacturer number,
    // a pack that is not the minimum, a price under a thousands separator.
    const QString list = writeFile("mouser.csv",
                                   "Mouser Price List\n"
                                   "Mfr Part #,Order Code,Qty 1,Price 1,Qty 2,Price 2,Pack,Min Order,Multiple,Lead Time,Currency\n"
                                   "RC0402-10K,603-RC0402-10K,1,0.012,1000,\"0,004\",10000,100,100,14,EUR\n"
                                   "CL05-100N,187-CL05-100N,1,0.10,100,0.05,,,,,EUR\n");
    QString out, err;
    ASSERT_EQ(koltctl({"sources", "import", list, "--vendor", "Mouser", "--dry-run"}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("Sources: 2, price breaks: 4")) << out.toStdString();
    EXPECT_TRUE(LoadSources({"RC0402-10K"}).value("RC0402-10K").empty()); // a preview writes nothing
    ASSERT_EQ(koltctl({"sources", "import", list, "--vendor", "Mouser"}, &out, &err), 0) << err.toStdString();
    ASSERT_EQ(koltctl({"source", "list", "RC0402-10K"}, &out), 0);
    EXPECT_EQ(out, "MOUSER\t603-RC0402-10K\tEUR\t100\t100\t1:0.012,1000:0.004\t\n");
    const SourceRecord stored = LoadSources({"RC0402-10K"}).value("RC0402-10K").at(0);
    EXPECT_EQ(stored.pack, 10000);
    EXPECT_EQ(stored.leadDays, 14);

    // Prices headed by their quantity; a part the shop lacks is listed and
    // nothing is stored until the buyer says to store the rest.
    const QString digikey = writeFile("dk.csv",
                                      "Part #,Digi-Key Part,Price 1,Price 10,Price 100\n"
                                      "RC0402-10K,311-10KLRCT-ND,0.10,0.05,0.02\n"
                                      "NOPE-1,NOPE-ND,1,1,1\n");
    EXPECT_EQ(koltctl({"sources", "import", digikey, "--vendor", "Digi-Key"}, &out, &err), 1);
    EXPECT_TRUE(out.contains("NOPE-1")) << out.toStdString();
    EXPECT_EQ(LoadSources({"RC0402-10K"}).value("RC0402-10K").size(), 1u);
    ASSERT_EQ(koltctl({"sources", "import", digikey, "--vendor", "Digi-Key", "--known-only"}, &out, &err), 0);
    ASSERT_EQ(koltctl({"source", "list", "RC0402-10K"}, &out), 0);
    EXPECT_TRUE(out.contains("DIGI-KEY\t311-10KLRCT-ND\t")) << out.toStdString();
    EXPECT_TRUE(out.contains("1:0.1")) << out.toStdString();
    EXPECT_TRUE(out.contains(",10:0.05,100:0.02\t")) << out.toStdString();
    EXPECT_EQ(sqlite("select count(*) from PartList where Part_nBr='NOPE-1'"), "0");
}
