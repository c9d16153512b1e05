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
