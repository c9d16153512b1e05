#include "interchange/importfile.h"

#include <gtest/gtest.h>

namespace {

QStringList linesOf(const QByteArray& bytes)
{
    ImportFile file;
    file.setBytes(bytes);
    QStringList lines;
    for (int i = 0; i < file.lineCount(); ++i)
        lines << file.line(i);
    return lines;
}

QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (QChar c : text) {
        const char hi = static_cast<char>(c.unicode() >> 8);
        const char lo = static_cast<char>(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return bytes;
}

} // namespace

TEST(ImportFileTest, EncodingsAndLineEnds)
{
    const QString text = QStringLiteral("4.7µF,10kΩ,Würth");
    EXPECT_EQ(linesOf(text.toUtf8()), QStringList{text});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF" + text.toUtf8()), QStringList{text});
    EXPECT_EQ(linesOf(utf16(text + "\r\nx", false)), (QStringList{text, "x"}));
    EXPECT_EQ(linesOf(utf16(text, true)), QStringList{text});
    // Not UTF-8: every byte is one character, as 8-bit files always were.
    EXPECT_EQ(linesOf("4.7\xB5" "F,caf\xE9"), QStringList{QString::fromLatin1("4.7\xB5" "F,caf\xE9")});

    // CR LF is one line end; CR and LF alone end lines too; blank lines stay
    // (the callers skip them); the last line needs no line end.
    EXPECT_EQ(linesOf("a\r\nb\rc\n\nd"), (QStringList{"a", "b", "c", "", "d"}));
    EXPECT_EQ(linesOf("a\r\n"), QStringList{"a"});
    // A tab belongs to its value; other control characters end the line.
    EXPECT_EQ(linesOf("a\tb\x0b" "c"), (QStringList{"a\tb", "c"}));

    ImportFile file;
    file.setBytes("ab\r\ncd\n");
    EXPECT_EQ(file.length(), 7);
    EXPECT_EQ(file.endOf(0), 4);
    EXPECT_EQ(file.endOf(1), 7);
}

TEST(ImportFileTest, SplittingAndQuoting)
{
    EXPECT_EQ(SplitImportLine("R1,\"10,000\",x"), (QStringList{"R1", "10,000", "x"}));
    EXPECT_EQ(SplitImportLine(" a , b,"), (QStringList{" a ", " b", ""}));
    EXPECT_EQ(SplitImportLine("\"C1,C2\",\"\""), (QStringList{"C1,C2", ""}));
    // Quotes inside values survive: doubled inside a quoted value, plain elsewhere.
    EXPECT_EQ(SplitImportLine("\"19\"\" rack, 2U\",Bolt 1/4\" long"),
              (QStringList{"19\" rack, 2U", "Bolt 1/4\" long"}));
    // An unclosed quote keeps the rest of the line in the value.
    EXPECT_EQ(SplitImportLine("\"a,b"), QStringList{"a,b"});
    // After the closing quote the value goes on to the next comma.
    EXPECT_EQ(SplitImportLine("\"a,b\"c\"d,,\"\""), (QStringList{"a,bc\"d", "", ""}));
    EXPECT_EQ(SplitImportLine(""), QStringList{""});

    QStringList many;
    for (int i = 0; i < 120; ++i)
        many << QString::number(i);
    const QStringList values = SplitImportLine(many.join(','));
    ASSERT_EQ(values.size(), kMaxImportValues);
    EXPECT_EQ(values.last(), "99");
}
