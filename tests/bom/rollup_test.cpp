#include "support/testsupport.h"

#include "bom/rollup.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/sources.h"

namespace {

class RollupTest : public DataFolderTest
{
protected:
    void part(const QString& number, const QString& price, const QString& make = QStringLiteral("Buy"))
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into PartList (Part_nBr,Price,Labor,Make) values ('%s','%s','0','%s')",
                                      {number, price, make})));
    }
    void line(const QString& assy, const QString& number, const QString& quan)
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into AssyList (Assy,Part_nBr,Quan) values ('%s','%s','%s')",
                                      {assy, number, quan})));
    }
    void step(const QString& assy, const QString& rate, const QString& hours, const QString& cost)
    {
        ASSERT_TRUE(Execute(SqlFormat("insert into RescList (Assy,Rate,Hours,Cost) values ('%s','%s','%s','%s')",
                                      {assy, rate, hours, cost})));
    }
    QString field(const QString& number, const char* column)
    {
        return Format("%0.2f", {TextToDouble(QueryText(SqlFormat("select %s from PartList where Part_nBr = '%s'",
                                                                 {QString::fromLatin1(column), number}),
                                                       false))});
    }
};

} // namespace

TEST_F(RollupTest, PricesAndLabourFromPartsSubAssembliesAndRouting)
{
    // A plain bill: 2 x 1.50 + 4 x 0.25.
    part("X", "1.50");
    part("Y", "0.25");
    part("A", "99");
    line("A", "X", "2");
    line("A", "Y", "4");

    // S costs 10 with 2 of labour; B takes three of it and one routing step
    // whose timed cost (20 x 0.5) beats its fixed cost.
    part("P", "10");
    part("S", "0", "Make");
    part("B", "0");
    line("S", "P", "1");
    step("S", "2", "1", "0");
    line("B", "S", "3");
    step("B", "20", "0.5", "5");

    // A step whose fixed cost beats rate x hours counts its fixed cost.
    part("C", "0");
    line("C", "X", "1");
    step("C", "20", "0.1", "5");
    SetParam(ParamCompanyName, QStringLiteral("O'Brien Works"));

    EXPECT_EQ(RunCostRollup(), 4);
    EXPECT_EQ(field("A", "Price"), "4.00");
    EXPECT_EQ(field("A", "Labor"), "0.00");
    EXPECT_EQ(field("S", "Price"), "10.00");
    EXPECT_EQ(field("S", "Labor"), "2.00");
    EXPECT_EQ(field("B", "Price"), "30.00");
    EXPECT_EQ(field("B", "Labor"), "16.00");
    EXPECT_EQ(field("C", "Labor"), "5.00");
    EXPECT_EQ(field("X", "Price"), "1.50"); // parts are read, never written
    EXPECT_EQ(sqlite("select Manufacturer from PartList where Part_nBr='S'"), "O'Brien Works");
    EXPECT_EQ(sqlite("select count(*) from PartList where Manufacturer is not null"), "1");
    EXPECT_EQ(ui.progressOpened, 1);
    EXPECT_EQ(ui.progressClosed, 1);
    // Three reads, then the prices of every assembly written as one set, ending full.
    EXPECT_EQ(ui.maximum, 4);
    EXPECT_EQ(ui.lastPosition, ui.maximum);
}

TEST_F(RollupTest, CyclesAndEmptyBills)
{
    // Nothing to roll up: no statement changes PartList.
    part("Q", "7", "Make");
    EXPECT_EQ(RunCostRollup(), 0);
    EXPECT_EQ(field("Q", "Price"), "7.00");
    EXPECT_EQ(sqlite("select count(*) from PartList where Manufacturer is not null"), "0");
    EXPECT_EQ(ui.progressClosed, 1);

    // Two assemblies that contain each other have no level and get 0.00,
    // whatever they were priced at before.
    part("C1", "5");
    part("C2", "6");
    line("C1", "C2", "1");
    line("C2", "C1", "1");
    EXPECT_EQ(RunCostRollup(), 2);
    EXPECT_EQ(field("C1", "Price"), "0.00");
    EXPECT_EQ(field("C2", "Price"), "0.00");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RollupTest, LevelsAreShortestDistancesFromTheTop)
{
    // TOP uses MID and SHARED; MID uses SHARED. SHARED is one step from the
    // top, on MID's level, and comes after MID in the bill: MID therefore
    // reads SHARED's stored price (7), not its computed one (3).
    part("TOP", "0");
    part("MID", "0");
    part("SHARED", "7");
    part("R", "1.5");
    line("TOP", "MID", "1");
    line("MID", "SHARED", "2");
    line("TOP", "SHARED", "1");
    line("SHARED", "R", "2");
    // A deep chain: DEEP0 > DEEP1 > ... > DEEP5 > R, each level doubling.
    for (int i = 0; i < 6; ++i) {
        const QString name = Format("DEEP%i", {i});
        part(name, "0");
        line(name, i < 5 ? Format("DEEP%i", {i + 1}) : QStringLiteral("R"), "2");
    }
    EXPECT_EQ(RunCostRollup(), 9);
    EXPECT_EQ(field("SHARED", "Price"), "3.00");
    EXPECT_EQ(field("MID", "Price"), "14.00");
    EXPECT_EQ(field("TOP", "Price"), "17.00");
    EXPECT_EQ(field("DEEP5", "Price"), "3.00");
    EXPECT_EQ(field("DEEP0", "Price"), "96.00");
}

TEST_F(RollupTest, ManyAssembliesAreAllWrittenOrNoneAre)
{
    // More assemblies than the old working arrays held.
    part("R", "0.5");
    {
        Transaction transaction;
        for (int i = 0; i < 300; ++i) {
            const QString name = Format("ASSY%03i", {i});
            part(name, "0");
            line(name, "R", QString::number(i + 1));
        }
        ASSERT_TRUE(transaction.commit());
    }
    EXPECT_EQ(RunCostRollup(), 300);
    EXPECT_EQ(field("ASSY000", "Price"), "0.50");
    EXPECT_EQ(field("ASSY299", "Price"), "150.00");

    // A write that fails leaves every price as it was and tells the user. The
    // prices go in one statement, the last but one of the run before COMMIT.
    Execute(QStringLiteral("update PartList set Price = '1' where Part_nBr like 'ASSY%'"));
    static int statements = 0;
    statements = 0;
    ObserveStatements([](const QByteArray&, int) { ++statements; });
    EXPECT_EQ(RunCostRollup(), 300);
    ObserveStatements(nullptr);
    Execute(QStringLiteral("update PartList set Price = '1' where Part_nBr like 'ASSY%'"));
    InjectStatementFailure(statements - 2);
    EXPECT_EQ(RunCostRollup(), -1);
    EXPECT_TRUE(ui.saw("The cost roll-up could not be written"));
    EXPECT_EQ(sqlite("select count(*) from PartList where cast(Price as real) = 1"), "300");
}

TEST_F(RollupTest, AtAQuantityPurchasedPartsArePricedAsTheyWouldBeBought)
{
    part("BOARD", "0", "Make");
    part("R1", "0.2");
    part("C1", "0.5");
    line("BOARD", "R1", "9");
    line("BOARD", "C1", "2");
    SourceRecord digi;
    digi.part = "R1";
    digi.vendor = "DIGI";
    digi.orderCode = "311-1K";
    digi.breaks = {{1, 0.10}, {100, 0.05}};
    ASSERT_TRUE(SaveSource(digi));
    // Preferred, but in a currency without a rate: left out and said.
    SourceRecord mous = digi;
    mous.vendor = "MOUS";
    mous.currency = "EUR";
    mous.preferred = true;
    mous.breaks = {{1, 0.01}};
    ASSERT_TRUE(SaveSource(mous));

    // One build buys 9 at 0.10; C1 has no source and keeps its Price.
    EXPECT_EQ(RunCostRollup(1), 1);
    EXPECT_EQ(field("BOARD", "Price"), "1.90");
    EXPECT_TRUE(ui.saw("R1: MOUS: no rate for EUR"));
    // Twenty builds buy 180: the 100 break.
    EXPECT_EQ(RunCostRollup(20), 1);
    EXPECT_EQ(field("BOARD", "Price"), "1.45");
    // With the rate the preferred source prices it: 0.01 EUR at 2.0 is 0.02.
    ASSERT_TRUE(SaveCurrencyRate("EUR", 2.0));
    const CtlRun run = ctl({"rollup", "--quantity", "20"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(field("BOARD", "Price"), "1.18");
    EXPECT_EQ(ctl({"rollup", "--quantity", "0"}).code, 1);
}
