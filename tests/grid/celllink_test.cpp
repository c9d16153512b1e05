#include "gridfixture.h"

#include "grid/celllink.h"

#include <QDir>
#include <QFile>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

TEST_F(GridTest, LinkCellsOpenOnlyWebMailAndTheDataFolders)
{
    touch(DataDocumentFolder() + "/sheet.pdf");
    touch(DataPictureFolder() + "/r1.jpg");
    touch(dir.path() + "/secret.txt");
    QFile::link(dir.path() + "/secret.txt", DataDocumentFolder() + "/escape.pdf");

    EXPECT_TRUE(CellLinkTarget("a.pd").url.isEmpty()); // 4 characters name nothing
    EXPECT_TRUE(CellLinkTarget("a.pd").problem.isEmpty());
    EXPECT_EQ(CellLinkTarget("www.example.org/x").url.host(), "www.example.org");
    EXPECT_EQ(CellLinkTarget("https://acme.com/a").url.scheme(), "https");
    EXPECT_EQ(CellLinkTarget("mailto:buyer@acme.com").url.scheme(), "mailto");
    // A plain name is a file of the Document folder, else of the Picture folder.
    EXPECT_EQ(CellLinkTarget("sheet.pdf").url.toLocalFile(), QDir(DataDocumentFolder()).canonicalPath() + "/sheet.pdf");
    EXPECT_EQ(CellLinkTarget("r1.jpg").url.toLocalFile(), QDir(DataPictureFolder()).canonicalPath() + "/r1.jpg");
    EXPECT_FALSE(CellLinkTarget(DataDocumentFolder() + "/sheet.pdf").url.isEmpty());
    EXPECT_TRUE(CellLinkTarget("missing.pdf").problem.startsWith("File not found:"));

    // What an imported file could plant: other schemes, paths out of the folders.
    for (const char* hostile : {"javascript:alert(1)", "smb://server/share/x.exe", "file:///etc/passwd",
                                "\\usr\\bin\\xcalc", "/usr/bin/xcalc", "../../etc/passwd", "../secret.txt",
                                "Picture/../../secret.txt", "escape.pdf", "ftp://acme.com/x", "C:\\Windows\\x.exe"}) {
        const CellLink link = CellLinkTarget(QString::fromLatin1(hostile));
        EXPECT_TRUE(link.url.isEmpty()) << hostile;
        EXPECT_TRUE(link.problem.contains("Refused:")) << hostile;
        EXPECT_TRUE(link.problem.contains(QString::fromLatin1(hostile))) << hostile;
    }
    // Refusals reach the user and nothing is opened.
    EXPECT_FALSE(OpenCellLink("javascript:alert(1)"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains("javascript:alert(1)"));
}
