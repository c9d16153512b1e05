// The record reader of older workbooks, on a workbook assembled here byte by
// byte the way Excel lays one out: shared strings split over a CONTINUE
// record with a change of width, RK and MULRK numbers, cached formula
// results, a date, a hidden row and a hidden sheet.
#include "interchange/biffworkbook.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

void put16(QByteArray& out, quint16 value)
{
    out.append(static_cast<char>(value & 0xFF)).append(static_cast<char>(value >> 8));
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, static_cast<quint16>(value & 0xFFFF));
    put16(out, static_cast<quint16>(value >> 16));
}

void putDouble(QByteArray& out, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put32(out, static_cast<quint32>(bits));
    put32(out, static_cast<quint32>(bits >> 32));
}

QByteArray record(quint16 type, const QByteArray& data)
{
    QByteArray out;
    put16(out, type);
    put16(out, static_cast<quint16>(data.size()));
    return out + data;
}

QByteArray cell(int row, int column, int style)
{
    QByteArray out;
    put16(out, static_cast<quint16>(row));
    put16(out, static_cast<quint16>(column));
    put16(out, static_cast<quint16>(style));
    return out;
}

QByteArray bof(quint16 kind)
{
    QByteArray data;
    put16(data, 0x0600);
    put16(data, kind);
    data.append(12, '\0');
    return record(0x0809, data);
}

QByteArray rowRecord(int row, bool hidden)
{
    QByteArray data;
    put16(data, static_cast<quint16>(row));
    put16(data, 0);
    put16(data, 8);
    put16(data, 255);
    put32(data, 0);
    put32(data, hidden ? 0x20 : 0);
    return record(0x0208, data);
}

// The worksheet substreams, then the globals in front of them with each
// sheet's offset filled in.
QByteArray workbookStream()
{
    QByteArray bill = bof(0x0010);
    bill += rowRecord(2, true);
    QByteArray data;
    for (int column = 0; column < 3; ++column) // heading row: strings 0..2
        bill += record(0x00FD, (data = cell(0, column, 15), put32(data, static_cast<quint32>(column)), data));
    bill += record(0x00FD, (data = cell(1, 0, 15), put32(data, 3), data)); // the split string
    // RK 25 as an integer, 1.5 as a hundredth-scaled integer.
    bill += record(0x027E, (data = cell(1, 1, 15), put32(data, (25u << 2) | 0x02), data));
    bill += record(0x027E, (data = cell(1, 2, 15), put32(data, (150u << 2) | 0x03), data));
    bill += record(0x00FD, (data = cell(2, 0, 15), put32(data, 4), data)); // in the hidden row
    data = cell(3, 0, 15).left(4);
    put16(data, 15);
    put32(data, (7u << 2) | 0x02);
    put16(data, 16); // a date: 45000 is 2023-03-15
    put32(data, (45000u << 2) | 0x02);
    put16(data, 1);
    bill += record(0x00BD, data);
    // A formula's cached number, then one whose text follows in STRING.
    data = cell(4, 0, 15);
    putDouble(data, 0.1 + 0.2);
    data.append(6, '\0');
    bill += record(0x0006, data);
    data = cell(4, 1, 15);
    data += QByteArray::fromHex("000000000000FFFF"); // a text result
    data.append(6, '\0');
    bill += record(0x0006, data);
    data.clear();
    put16(data, 3);
    data.append('\0').append("R12");
    bill += record(0x0207, data);
    data = cell(4, 2, 15);
    data.append('\x01').append('\0');
    bill += record(0x0205, data);
    data = cell(5, 0, 15);
    putDouble(data, 1e-3);
    bill += record(0x0203, data);
    bill += record(0x000A, {});

    QByteArray hidden = bof(0x0010);
    data = cell(0, 0, 15);
    put16(data, 5);
    data.append('\0').append("notes");
    hidden += record(0x0204, data);
    hidden += record(0x000A, {});

    // Shared strings: the fourth runs into a CONTINUE record, which starts
    // with its own flags byte and goes on in two-byte characters.
    QByteArray sst;
    put32(sst, 5);
    put32(sst, 5);
    for (const char* text : {"Part", "Qty", "Price"}) {
        put16(sst, static_cast<quint16>(qstrlen(text)));
        sst.append('\0').append(text);
    }
    put16(sst, 6);
    sst.append('\0').append("100");
    QByteArray more;
    more.append('\x01');
    for (const char16_t c : {u'n', u'F', u'\u00B5'})
        put16(more, c);
    put16(more, 6);
    more.append('\0').append("hidden");

    const auto globalsWith = [&](quint32 billAt, quint32 hiddenAt) {
        QByteArray globals = bof(0x0005);
        QByteArray format;
        put16(format, 164);
        put16(format, 10);
        format.append('\0').append("yyyy-mm-dd");
        globals += record(0x041E, format);
        for (int i = 0; i < 17; ++i) {
            QByteArray xf;
            put16(xf, 0);
            put16(xf, i == 16 ? 164 : 0);
            xf.append(16, '\0');
            globals += record(0x00E0, xf);
        }
        for (const auto& [at, state, name] : {std::tuple{billAt, 0, "Bill"}, std::tuple{hiddenAt, 1, "Old"}}) {
            QByteArray sheet;
            put32(sheet, at);
            sheet.append(static_cast<char>(state)).append('\0');
            sheet.append(static_cast<char>(qstrlen(name))).append('\0').append(name);
            globals += record(0x0085, sheet);
        }
        globals += record(0x00FC, sst) + record(0x003C, more);
        // Padding past the mini stream's cut-off, as any real workbook is.
        globals += record(0x0099, QByteArray(4000, '\0'));
        globals += record(0x000A, {});
        return globals;
    };
    const QByteArray probe = globalsWith(0, 0);
    const auto billAt = static_cast<quint32>(probe.size());
    const auto hiddenAt = static_cast<quint32>(probe.size() + bill.size());
    return globalsWith(billAt, hiddenAt) + bill + hidden;
}

// A compound file of 512-byte sectors: the allocation table, the directory,
// then the stream.
QByteArray compoundFile(const QByteArray& stream)
{
    const int sectors = static_cast<int>((stream.size() + 511) / 512);
    QByteArray header("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    header.append(16, '\0');
    put16(header, 0x3E);
    put16(header, 3);
    put16(header, 0xFFFE);
    put16(header, 9);
    put16(header, 6);
    header.append(10, '\0');
    put32(header, 1);          // sectors of the allocation table
    put32(header, 1);          // the directory's first sector
    put32(header, 0);
    put32(header, 4096);       // the mini stream's cut-off
    put32(header, 0xFFFFFFFE); // no mini allocation table
    put32(header, 0);
    put32(header, 0xFFFFFFFE); // no further table sectors
    put32(header, 0);
    put32(header, 0); // the table is sector 0
    while (header.size() < 512)
        put32(header, 0xFFFFFFFF);

    QByteArray fat;
    put32(fat, 0xFFFFFFFD);
    put32(fat, 0xFFFFFFFE);
    for (int s = 0; s < sectors; ++s)
        put32(fat, s + 1 < sectors ? static_cast<quint32>(s + 3) : 0xFFFFFFFE);
    while (fat.size() < 512)
        put32(fat, 0xFFFFFFFF);

    const auto entry = [](const QString& name, int type, quint32 child, quint32 start, quint32 size) {
        QByteArray e;
        for (const QChar c : name)
            put16(e, c.unicode());
        e.append(64 - e.size(), '\0');
        put16(e, static_cast<quint16>((name.size() + 1) * 2));
        e.append(static_cast<char>(type)).append('\x01');
        put32(e, 0xFFFFFFFF);
        put32(e, 0xFFFFFFFF);
        put32(e, child);
        e.append(36, '\0');
        put32(e, start);
        put32(e, size);
        put32(e, 0);
        return e;
    };
    QByteArray directory = entry(QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFE, 0)
                           + entry(QStringLiteral("Workbook"), 2, 0xFFFFFFFF, 2, static_cast<quint32>(stream.size()));
    directory.append(512 - directory.size(), '\0');
    QByteArray body = stream;
    body.append(sectors * 512 - body.size(), '\0');
    return header + fat + directory + body;
}

} // namespace

TEST(BiffWorkbookTest, CellsReadAsTheSheetShowsThem)
{
    const ImportWorkbook book = ReadBiffWorkbook(compoundFile(workbookStream()));
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.sheets.size(), 2u);
    const ImportSheet& bill = book.sheets[0];
    EXPECT_EQ(bill.name, QStringLiteral("Bill"));
    EXPECT_FALSE(bill.hidden);
    ASSERT_GE(bill.rows.size(), 6u);
    EXPECT_EQ(bill.rows[0], QStringList({"Part", "Qty", "Price"}));
    // The string split over two records, half in one byte, half in two.
    EXPECT_EQ(bill.rows[1], QStringList({QStringLiteral("100nF\u00B5"), "25", "1.5"}));
    // The hidden row is left out and counted.
    EXPECT_TRUE(bill.rows[2].isEmpty());
    EXPECT_EQ(bill.hiddenRows, 1);
    EXPECT_EQ(bill.rows[3], QStringList({"7", "2023-03-15"}));
    // Formulas by their cached value, without float noise.
    EXPECT_EQ(bill.rows[4], QStringList({"0.3", "R12", "TRUE"}));
    EXPECT_EQ(bill.rows[5], QStringList({"0.001"}));
    EXPECT_EQ(book.sheets[1].name, QStringLiteral("Old"));
    EXPECT_TRUE(book.sheets[1].hidden);
    EXPECT_EQ(book.sheets[1].rows.at(0), QStringList({"notes"}));
}

TEST(BiffWorkbookTest, BrokenFilesAreRefusedWithAReason)
{
    const QByteArray whole = compoundFile(workbookStream());
    EXPECT_FALSE(ReadBiffWorkbook(QByteArray("not a workbook")).error.isEmpty());
    EXPECT_FALSE(ReadBiffWorkbook(whole.left(600)).error.isEmpty());
    // Cut anywhere, the reader stops without reading past the end.
    for (qsizetype cut = 1536; cut < whole.size(); cut += 97)
        (void)ReadBiffWorkbook(whole.left(cut));
    // A loop in the allocation table ends the chain.
    QByteArray looped = whole;
    looped[512 + 4 * 3] = '\x02';
    looped[512 + 4 * 3 + 1] = looped[512 + 4 * 3 + 2] = looped[512 + 4 * 3 + 3] = '\0';
    (void)ReadBiffWorkbook(looped);
}
