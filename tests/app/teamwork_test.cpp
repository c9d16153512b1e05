// Two desks working on the same data at once, on a data folder and on the
// server: numbers are never handed out twice and the stock figures stay true.
#include "support/testsupport.h"

#include "core/format.h"
#include "db/database.h"

#include <QProcess>
#include <QSet>

#include <memory>
#include <vector>

namespace {

class TeamworkTest : public DataFolderTest
{
protected:
    // A desk: koltctl runs one after the other, as one user works.
    std::unique_ptr<QProcess> desk(const QStringList& commands)
    {
        auto process = std::make_unique<QProcess>();
        QStringList script;
        for (const QString& command : commands)
            script << QStringLiteral("'%1' --data '%2' --yes %3").arg(ProgramDir() + "koltctl", location, command);
        process->start("sh", {"-c", script.join(" && ")});
        return process;
    }

    QString ctl(const QString& command)
    {
        QProcess p;
        p.start("sh", {"-c", QStringLiteral("'%1' --data '%2' --yes %3").arg(ProgramDir() + "koltctl", location, command)});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
};

} // namespace

TEST_F(TeamworkTest, TwoDesksProcessAndOrderAtTheSameMoment)
{
    // A board of 5 R1 (100 on the shelf) and 1 U1 (none), and six requirements.
    ASSERT_TRUE(Execute("insert into VendList (Vendor) values ('DIGI')"));
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Make,Distributor,Price,Stock,Allocated,On_Order) values "
                        "('R1','Buy','DIGI','0.10','100','0','0'),('U1','Buy','DIGI','2.00','0','0','0'),"
                        "('BOARD','Make','','','0','0','0')"));
    ASSERT_TRUE(Execute("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('BOARD',1,'R1','5'),('BOARD',2,'U1','1')"));
    QStringList requirements;
    for (int i = 0; i < 6; ++i)
        requirements << ctl("insert ReqmList");
    ASSERT_EQ(QSet<QString>(requirements.begin(), requirements.end()).size(), 6);

    // Each desk processes three requirements and writes purchase orders by
    // hand in between, both at once.
    std::vector<std::unique_ptr<QProcess>> desks;
    for (int d = 0; d < 2; ++d) {
        QStringList commands;
        for (int i = d; i < 6; i += 2)
            commands << QStringLiteral("process %1 --quantity 4 --assembly BOARD").arg(requirements[i])
                     << QStringLiteral("insert PurcList");
        desks.push_back(desk(commands));
    }
    for (auto& process : desks) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }

    // Every requirement processed once, every purchase order its own number.
    EXPECT_EQ(sqlite("select count(*) from ReqmList where Status = 'PO Gen'"), "6");
    EXPECT_EQ(sqlite("select count(*) from PurcList"), sqlite("select count(distinct PO_nBr) from PurcList"));
    EXPECT_EQ(sqlite("select count(*) from PurcList where PO_nBr = ''"), "0");
    // 24 boards need 120 R1: 100 from the shelf, 20 ordered; and 24 U1.
    EXPECT_EQ(sqlite("select Allocated from PartList where Part_nBr = 'R1'"), "120");
    EXPECT_EQ(sqlite("select On_Order from PartList where Part_nBr = 'R1'"), "20");
    EXPECT_EQ(sqlite("select On_Order from PartList where Part_nBr = 'U1'"), "24");
    EXPECT_EQ(ctl("stock check"), "Stock figures agree");

    // Both desks receive every purchase order at once: each arrives in stock once.
    const QStringList orders = sqlite("select PO_nBr from PurcList where Item_List <> '' order by id").split('\n');
    ASSERT_EQ(orders.size(), 6);
    desks.clear();
    for (int d = 0; d < 2; ++d) {
        QStringList commands;
        for (const QString& order : orders)
            commands << QStringLiteral("receive %1 || true").arg(order);
        desks.push_back(desk(commands));
    }
    for (auto& process : desks)
        ASSERT_TRUE(process->waitForFinished(120000));
    EXPECT_EQ(sqlite("select Stock from PartList where Part_nBr = 'R1'"), "120");
    EXPECT_EQ(sqlite("select Stock||'/'||On_Order from PartList where Part_nBr = 'U1'"), "24/0");
    EXPECT_EQ(ctl("stock check"), "Stock figures agree");
}
