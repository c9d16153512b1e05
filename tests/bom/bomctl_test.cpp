#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include <QFileInfo>
#include <QProcess>

namespace {

QString koltctl(const QString& data, const QStringList& args, int* code = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(ProgramDir() + "koltctl", QStringList{"--data", data} + args);
    p.waitForFinished(60000);
    if (code)
        *code = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST_F(DataFolderTest, KoltctlReportsAndAddsAssemblies)
{
    AddLine("A", 1, "B", "2");
    AddLine("A", 2, "C", "1");
    AddLine("B", 1, "C", "3");
    CloseDatabase();
    int code = -1;
    EXPECT_EQ(koltctl(location, {"bom", "indented", "A"}, &code), "0\t1\tB\t2\n1\t1\tC\t3\n0\t2\tC\t1\n");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(koltctl(location, {"bom", "flat", "A"}), "C\t7\n");
    koltctl(location, {"add-assy", "NEW", "2"}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(sqlite("select count(*) from AssyList where Assy = 'NEW'"), "2");
    koltctl(location, {"bom", "sideways", "A"}, &code);
    EXPECT_EQ(code, 2);

    const QString bom = dir.filePath("bom.pdf");
    EXPECT_EQ(koltctl(location, {"print", "bom", "A", "--flat", "--pdf", bom}, &code), bom + ": 1 page\n");
    EXPECT_EQ(code, 0);
    const QString tree = dir.filePath("tree.pdf");
    koltctl(location, {"print", "tree", "A", "--pdf", tree}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_GT(QFileInfo(tree).size(), 1000);
}
