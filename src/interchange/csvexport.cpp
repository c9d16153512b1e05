#include "interchange/csvexport.h"

#include "bom/alternates.h"
#include "core/savedfile.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/gridtables.h"
#include "grid/gridmodel.h"
#include "interchange/xlsxexport.h"

#include <QSaveFile>

namespace {

// Appends text as UTF-8: ASCII byte by byte, anything else through the codec.
void appendUtf8(QByteArray& out, QStringView text, bool ascii)
{
    if (!ascii) {
        out += text.toUtf8();
        return;
    }
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* to = out.data() + start;
    for (const QChar c : text)
        *to++ = static_cast<char>(c.unicode());
}

bool isAscii(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

// A cell is enclosed in quotes when it holds a comma, as always, and also
// when it holds a line break or begins with a quote, which would otherwise
// split or swallow the row in a spreadsheet; inside an enclosed cell a quote
// is doubled. Any other cell is written as it is.
void AppendCsvCell(QByteArray& out, const QString& cell)
{
    if (cell.isEmpty())
        return;
    const QString text = GuardExportText(cell);
    bool enclose = text.front() == QLatin1Char('"');
    bool ascii = true;
    bool quotes = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            ascii = false;
        else if (u == ',' || u == '\n' || u == '\r')
            enclose = true;
        else if (u == '"')
            quotes = true;
    }
    if (!enclose) {
        appendUtf8(out, text, ascii);
        return;
    }
    out += '"';
    if (quotes) {
        QString doubled = text;
        doubled.replace(QLatin1String("\""), QLatin1String("\"\""));
        appendUtf8(out, doubled, ascii);
    } else {
        appendUtf8(out, text, ascii);
    }
    out += '"';
}

QString ExportLoadStatement(int table, const QString& assembly)
{
    // Exactly what the grid loads, in its order, so that the file holds what
    // the grid shows.
    CGridModel model;
    model.currentAssembly = assembly;
    return model.BuildStatement(table);
}

QByteArray CsvExportBytes(const QueryResult& result, int table, const QString& timestamp)
{
    std::vector<int> columns;
    for (int c = 1; c < result.columnCount; ++c)
        if (c < 2 || !result.headings[c].contains(QLatin1String("Item L")))
            columns.push_back(c);

    // One pass over the cells for the size, so the text is never moved.
    qsizetype size = 256;
    for (int r = 0; r < result.rowCount; ++r)
        for (int c : columns)
            size += result.cell(r, c).size() + 1;
    size += static_cast<qsizetype>(result.rowCount) * 2;
    QByteArray out;
    out.reserve(size + size / 8);

    out += Format("KOLT File Export: %s Table:%s\r\n", {timestamp, TableSqlName(table)}).toUtf8();
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i)
            out += ',';
        const QString& heading = result.headings[columns[i]];
        appendUtf8(out, heading, isAscii(heading));
    }
    out += "\r\n";
    for (int r = 0; r < result.rowCount; ++r) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i)
                out += ',';
            AppendCsvCell(out, result.cell(r, columns[i]));
        }
        out += "\r\n";
    }
    return out;
}

bool WriteCsvExport(const QString& path, const QueryResult& result, int table)
{
    QSaveFile file(path);
    // A bill goes out with its alternates as extra maker columns.
    const QByteArray bytes =
        CsvExportBytes(table == AssyList ? WithAlternateColumns(result) : result, table, TimestampText());
    QString reason;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0) {
        reason = file.errorString();
        file.cancelWriting();
    } else if (CommitSavedFile(file, &reason)) {
        return true;
    }
    ShowMessage(path + QStringLiteral("\n") + reason, Translate(QStringLiteral("Export")));
    return false;
}

bool IsXlsxPath(const QString& path)
{
    return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
}

bool WriteXlsxTableExport(const QString& path, const QueryResult& result, int table)
{
    std::vector<int> columns;
    for (int c = 1; c < result.columnCount; ++c)
        if (c < 2 || !result.headings[c].contains(QLatin1String("Item L")))
            columns.push_back(c);
    ExportSheet sheet;
    sheet.name = TableSqlName(table);
    for (int c : columns) {
        sheet.headings << result.headings[c].trimmed();
        sheet.numeric.push_back(IsNumericExportHeading(result.headings[c]));
    }
    sheet.rowCount = result.rowCount;
    sheet.cell = [&](int row, int column) { return result.cell(row, columns[static_cast<size_t>(column)]); };
    return WriteXlsxExport(path, sheet);
}

bool ExportTable(const QString& path, int table, const QString& assembly)
{
    // The grid's own statement, its order settled by the grid, run with the
    // assembly bound.
    CGridModel model;
    model.currentAssembly = assembly;
    model.BuildStatement(table);
    const QueryResult result = ReadGridLoad(table, assembly, model.sortColumn, model.sortDescending);
    if (LastResultCode() != 0)
        return false;
    return IsXlsxPath(path) ? WriteXlsxTableExport(path, result, table) : WriteCsvExport(path, result, table);
}
