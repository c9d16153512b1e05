// Engineering changes through koltctl, as a user runs them: a bill imported,
// imported again changed with Replace, its revisions listed and compared,
// where a part is used, a part replaced everywhere, the change log.
#include "support/testsupport.h"

#include <QFile>

namespace {

QString writeBill(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

} // namespace

TEST_F(DataFolderTest, KoltctlRevisesComparesAndReplaces)
{
    const QString first =
        writeBill(dir, "board-a.csv",
                  "Ref,Qty,MPN\n\"C1,C2\",2,CAP-100N\nR1,1,RES-10K\nR2,1,RES-1K\nD1,1,LED-RED\nU1,1,MCU-1\n"
                  "J1,1,CONN-4\n");
    // C3 added to the capacitors, R1 moved from the 10k to the 1k part, a
    // green LED in the red one's place, the connector gone, a fuse new.
    const QString second =
        writeBill(dir, "board-b.csv",
                  "Ref,Qty,MPN\n\"C1,C2,C3\",3,CAP-100N\n\"R1,R2\",2,RES-1K\nR3,1,RES-10K\nD1,1,LED-GRN\n"
                  "U1,1,MCU-1\nF1,1,FUSE-1A\n");
    CtlRun run = ctl({"import", first, "--assembly", "board"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QString itemsBefore = sqlite("select Item, Part_nBr from AssyList where Assy='BOARD' order by Item");

    run = ctl({"import", second, "--assembly", "board", "--replace", "--dry-run"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Changes:\nquantity\tCAP-100N\t2\t3\ndesignators\tCAP-100N\tC1,C2\tC1,C2,C3\n"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("removed\tCONN-4\t1\t\tJ1\n")) << run.out.toStdString();
    EXPECT_EQ(sqlite("select Item, Part_nBr from AssyList where Assy='BOARD' order by Item"), itemsBefore);

    run = ctl({"import", second, "--assembly", "board", "--replace"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    // Lines still there keep their numbers (the green LED the red one's);
    // the fuse follows the old highest.
    EXPECT_EQ(sqlite("select Item, Part_nBr from AssyList where Assy='BOARD' order by Item"),
              "1|CAP-100N\n2|RES-10K\n3|RES-1K\n4|LED-GRN\n5|MCU-1\n7|FUSE-1A");
    EXPECT_EQ(sqlite("select Revision from PartList where Part_nBr='BOARD'"), "B");

    run = ctl({"bom", "history", "board"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList history = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(history.size(), 2);
    EXPECT_TRUE(history[0].startsWith("A\t")) << history[0].toStdString();
    EXPECT_TRUE(history[0].endsWith("\t6\tReplaced by import of board-b.csv")) << history[0].toStdString();
    EXPECT_EQ(history[1], "B\t\t\t6\tcurrent");

    run = ctl({"bom", "diff", "BOARD@A", "board"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "quantity\tCAP-100N\t2\t3\n"
                       "designators\tCAP-100N\tC1,C2\tC1,C2,C3\n"
                       "designators\tRES-10K\tR1\tR3\tmoved to RES-1K: R1\n"
                       "quantity\tRES-1K\t1\t2\n"
                       "designators\tRES-1K\tR2\tR1,R2\tmoved from RES-10K: R1\n"
                       "part\tLED-RED\tLED-RED\tLED-GRN\tD1\n"
                       "removed\tCONN-4\t1\t\tJ1\n"
                       "added\tFUSE-1A\t\t1\tF1\n");
    // A file compares as the import reads it.
    run = ctl({"bom", "diff", "board", first});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("added\tCONN-4\t\t1\tJ1\n")) << run.out.toStdString();
    EXPECT_EQ(ctl({"bom", "diff", "BOARD@Q", "board"}).code, 1);

    run = ctl({"bom", "revise", "board", "--note", "released"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "BOARD: revision B kept (6 lines), now C\n");

    // Where-used through a box that holds two boards.
    ASSERT_EQ(ctl({"add-assy", "BOX", "1"}).code, 0);
    const QString line = sqlite("select id from AssyList where Assy='BOX'");
    ASSERT_EQ(ctl({"set", "AssyList", line, "Part #", "BOARD"}).code, 0);
    ASSERT_EQ(ctl({"set", "AssyList", line, "Quan", "2"}).code, 0);
    run = ctl({"where-used", "res-1k"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "BOX\tBOX > BOARD > RES-1K\t4\n");

    // Replace everywhere: the dry run lists, a cycle is refused, the real
    // run changes the line and moves the letter on.
    run = ctl({"replace", "RES-1K", "RES-10K", "--dry-run"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "BOARD\t3\tRES-1K\tRES-10K\t2\n");
    EXPECT_EQ(sqlite("select count(*) from AssyList where Part_nBr='RES-1K'"), "1");
    run = ctl({"replace", "MCU-1", "BOX"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("BOARD > BOX > BOARD")) << run.err.toStdString();
    run = ctl({"replace", "RES-1K", "RES-10K", "--assy", "board"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Revision: BOARD D\n")) << run.out.toStdString();
    EXPECT_EQ(sqlite("select count(*) from AssyList where Part_nBr='RES-1K'"), "0");

    // The log has the grid edits, the import's changes, the revisions and the replace.
    run = ctl({"log", "--table", "AssyList", "--part", "BOARD"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("\tAssyList\t" + line + "\tBOARD\tPart #\t\tBOARD\n")) << run.out.toStdString();
    run = ctl({"log", "--part", "RES-10K"});
    EXPECT_TRUE(run.out.contains("\tAssyList\t"
                                 + sqlite("select id from AssyList where Assy='BOARD' and Item=3")
                                 + "\tRES-10K\tPart #\tRES-1K\tRES-10K\n"))
        << run.out.toStdString();
    run = ctl({"log", "--table", "partlist", "--part", "BOARD"});
    EXPECT_EQ(run.out.count("\tRevision\t"), 3) << run.out.toStdString();
    run = ctl({"log", "--part", "FUSE-1A"});
    EXPECT_TRUE(run.out.contains("\tAssyList\tBOARD\tFUSE-1A\tadded\t\t1\n")) << run.out.toStdString();
    EXPECT_TRUE(ctl({"log", "--since", "2999-01-01"}).out.isEmpty());
    // A deleted part record is logged with its number.
    const QString fuse = sqlite("select id from PartList where Part_nBr='FUSE-1A'");
    ASSERT_EQ(ctl({"--yes", "delete", "PartList", fuse}).code, 0);
    run = ctl({"log", "--table", "PARTLIST", "--part", "FUSE-1A"});
    EXPECT_TRUE(run.out.endsWith("\tPartList\t" + fuse + "\tFUSE-1A\tDeleted\tFUSE-1A\t\n")) << run.out.toStdString();
}
