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

QByteArray utf16(const QString& text, bool bigEndian, bool mark = true)
{
    QByteArray bytes;
    if (mark)
        bytes = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (QChar c : text) {
        const char hi = static_cast<char>(c.unicode() >> 8);
        const char lo = static_cast<char>(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return bytes;
}

// Every record of a file, its cells joined by "|".
QStringList recordsOf(const QByteArray& bytes)
{
    ImportFile file;
    file.setBytes(bytes);
    QStringList records;
    for (int i = 0; i < file.lineCount(); ++i)
        records << file.values(i).join(QLatin1Char('|'));
    return records;
}

} // namespace

TEST(ImportFileTest, EncodingsAndLineEnds)
{
    const QString text = QStringLiteral("4.7µF,10kΩ,Würth");
    EXPECT_EQ(linesOf(text.toUtf8()), QStringList{text});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF" + text.toUtf8()), QStringList{text});
    EXPECT_EQ(linesOf(utf16(text + "\r\nx", false)), (QStringList{text, "x"}));
    EXPECT_EQ(linesOf(utf16(text, true)), QStringList{text});
    // Without a mark UTF-16 is known by its zero bytes.
    EXPECT_EQ(linesOf(utf16(text + "\nRef,Qty", false, false)), (QStringList{text, "Ref,Qty"}));
    EXPECT_EQ(linesOf(utf16(text + "\nRef,Qty", true, false)), (QStringList{text, "Ref,Qty"}));
    // Not UTF-8 at all: every byte is one character of Windows-1252.
    EXPECT_EQ(linesOf("4.7\xB5" "F,caf\xE9"), QStringList{QString::fromLatin1("4.7\xB5" "F,caf\xE9")});
    // One stray byte leaves the valid UTF-8 around it as it is: "10µF"
    // stays 10µF, not 10Âµ, and the stray byte is its Latin-1 character.
    EXPECT_EQ(linesOf("10\xC2\xB5" "F,f\xFCr,\xE2\x88\x92"), QStringList{QStringLiteral("10µF,für,−")});
    // A truncated sequence and an overlong one are single bytes too, read
    // as Windows-1252 (0x88 is its circumflex, 0x80 its euro sign).
    EXPECT_EQ(linesOf("a\xE2\x88,\xC0\xAF\x80"), QStringList{QStringLiteral("aâˆ,À¯€")});

    // CR CR LF (Python's csv writer on Windows), CR LF, LF and a lone CR
    // each end one line; blank lines stay (the callers skip them); the last
    // line needs no line end.
    EXPECT_EQ(linesOf("a\r\r\nb\r\nc\rd\n\ne"), (QStringList{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(linesOf("a\r\n"), QStringList{"a"});
    // Control characters other than CR and LF are part of their cell.
    EXPECT_EQ(linesOf("a\tb\x0b" "c"), QStringList{"a\tb\x0b" "c"});

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
    // Other delimiters split the same way.
    EXPECT_EQ(SplitImportLine("C1;\"a;b\";CONN 16PS.1\" DL", QLatin1Char(';')),
              (QStringList{"C1", "a;b", "CONN 16PS.1\" DL"}));
    EXPECT_EQ(SplitImportLine("R1\t2N7002P,215\t", QLatin1Char('\t')), (QStringList{"R1", "2N7002P,215", ""}));
    // A NUL does not cut the line: it is left out, the rest stays.
    EXPECT_EQ(SplitImportLine(QStringLiteral("R1,10") + QChar(0) + QStringLiteral("k,x,\"a") + QChar(0) + "b\",y"),
              (QStringList{"R1", "10k", "x", "ab", "y"}));

    QStringList many;
    for (int i = 0; i < 120; ++i)
        many << QString::number(i);
    const QStringList values = SplitImportLine(many.join(','));
    ASSERT_EQ(values.size(), kMaxImportValues);
    EXPECT_EQ(values.last(), "99");
}

TEST(ImportFileTest, RecordsSpanQuotedLineBreaksAndKeepTheirFileLines)
{
    // A spreadsheet's header with wrapped names: one record over three lines.
    ImportFile file;
    file.setBytes("\"Reference\nDesignator\",\"Manufacturer\r\nPart Number\",Qty\n"
                  "\"C61,81\",GRM1555,2\n"
                  "R1,\"multi\nline\",1");
    ASSERT_EQ(file.lineCount(), 3);
    EXPECT_EQ(file.values(0), (QStringList{"Reference\nDesignator", "Manufacturer\r\nPart Number", "Qty"}));
    EXPECT_EQ(file.fileLine(0), 1);
    EXPECT_EQ(file.fileLine(1), 4);
    EXPECT_EQ(file.fileLine(2), 5);
    EXPECT_EQ(file.values(2), (QStringList{"R1", "multi\nline", "1"}));

    // A quote opened and never closed is no quote: the lines after it are
    // still lines of their own, not one cell to the end of the file.
    EXPECT_EQ(recordsOf("Ref,Desc\n\"R1,Adapter 1/16\n\"R2\",Plate\nR3,Nut\n"),
              (QStringList{"Ref|Desc", "R1,Adapter 1/16", "R2|Plate", "R3|Nut"}));
    EXPECT_EQ(recordsOf("a,\"b\nc,d\n"), (QStringList{"a|b", "c|d"}));
    // A quote inside an unquoted cell is an inch mark.
    EXPECT_EQ(recordsOf("P26;CONN HEADER .050\" 10PS;DNP\nP27;x;y\n"),
              (QStringList{"P26|CONN HEADER .050\" 10PS|DNP", "P27|x|y"}));
}

TEST(ImportFileTest, DelimiterIsFoundFromTheFile)
{
    const auto delimiterOf = [](const char* text) {
        ImportFile file;
        file.setBytes(QByteArray(text));
        return file.delimiter();
    };
    EXPECT_EQ(delimiterOf("ref;value;Field1\nC1;33pF;Murata\nC2;10nF;Murata\n"), QLatin1Char(';'));
    // Commas inside the cells of a tab-separated file do not count.
    EXPECT_EQ(delimiterOf("References\tQty\tMPN\nQ2\t1\t2N7002P,215\nU1\t1\tPCF8523T/1,118\n"), QLatin1Char('\t'));
    // Semicolons inside quoted cells of a comma-separated file do not count.
    EXPECT_EQ(delimiterOf("Ref,Desc\nR1,\"a;b;c\"\nR2,\"d;e;f\"\n"), QLatin1Char(','));
    // A title block with other numbers of commas above the table.
    EXPECT_EQ(delimiterOf("Title,HackRF One\nGenerated,Monday, 07 September\n\nRef,Value,Qty\nC1,1u,1\nC2,2u,1\n"),
              QLatin1Char(','));
    EXPECT_EQ(delimiterOf("one column\nno delimiter\n"), QLatin1Char(','));
}

TEST(ImportFileTest, FilesUnfitToImportAreKnown)
{
    EXPECT_EQ(CheckImportBytes(QByteArray()), ImportFileProblem::Empty);
    EXPECT_EQ(CheckImportBytes("\n \r\n\t\n"), ImportFileProblem::Empty);
    EXPECT_EQ(CheckImportBytes("\xFF\xFE"), ImportFileProblem::Empty);
    EXPECT_EQ(CheckImportBytes(QByteArray("PK\x03\x04\x14\x00\x06\x00", 8)), ImportFileProblem::Spreadsheet);
    EXPECT_EQ(CheckImportBytes(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\x00\x00", 10)), ImportFileProblem::Spreadsheet);
    QByteArray png("\x89PNG\r\n\x1A\n\x00\x00\x00\rIHDR\x00\x00\x01\x00\x00\x00\x01\x00\x08\x06\x00\x00\x00", 29);
    for (int i = 0; i < 200; ++i)
        png += static_cast<char>(i * 37 % 256);
    EXPECT_EQ(CheckImportBytes(png), ImportFileProblem::Binary);
    // A stray NUL in a text file does not make it binary.
    EXPECT_EQ(CheckImportBytes(QByteArray("Part,Qty\nA\0B,1\nC,2\n", 19)), ImportFileProblem::None);
    EXPECT_EQ(CheckImportBytes(utf16("Part,Qty\nA,1\n", false)), ImportFileProblem::None);
}
