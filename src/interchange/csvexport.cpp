#include "interchange/csvexport.h"

#include "app/dictionary.h"
#include "app/format.h"
#include "app/userinterface.h"
#include "app/utilities.h"
#include "db/database.h"

#include <QSaveFile>

namespace {

// A cell is enclosed in quotes when it holds a comma, as always, and also
// when it holds a line break or begins with a quote, which would otherwise
// split or swallow the row in a spreadsheet; inside an enclosed cell a quote
// is doubled. Any other cell is written as it is.
QString exportCell(const QString& text)
{
    const bool enclose = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r')) || text.startsWith(QLatin1Char('"'));
    if (!enclose)
        return text;
    QString cell = text;
    cell.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}

} // namespace

QString ExportLoadStatement(int table, const QString& assembly)
{
    // The grid's own load statements, in its default sort order.
    switch (table) {
    case AssyList:
        return SqlFormat("Select * from AssyList where Assy='%s'", {assembly}) + QStringLiteral(" order by Item");
    case RescList:
        return SqlFormat("Select * from RescList where Assy='%s'", {assembly}) + QStringLiteral(" order by Step");
    default:
        return QStringLiteral("Select * from ") + TableSqlName(table);
    }
}

QByteArray CsvExportBytes(const QueryResult& result, int table, const QString& timestamp)
{
    QString text = Format("KOLT File Export: %s Table:%s\r\n ", {timestamp, TableSqlName(table)});
    std::vector<int> columns;
    for (int c = 1; c < result.columnCount; ++c)
        if (c < 2 || !result.headings[c].contains(QLatin1String("Item L")))
            columns.push_back(c);
    QStringList headings;
    for (int c : columns)
        headings << result.headings[c];
    text += headings.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int r = 0; r < result.rowCount; ++r) {
        QStringList cells;
        for (int c : columns)
            cells << exportCell(result.cell(r, c));
        text += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

bool WriteCsvExport(const QString& path, const QueryResult& result, int table)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(CsvExportBytes(result, table, TimestampText())) < 0
        || !file.commit()) {
        ShowMessage(path + QStringLiteral("\n") + file.errorString(), Translate(QStringLiteral("Export")));
        return false;
    }
    return true;
}

bool ExportTable(const QString& path, int table, const QString& assembly)
{
    const QueryResult result = Query(ExportLoadStatement(table, assembly));
    if (LastResultCode() != 0)
        return false;
    return WriteCsvExport(path, result, table);
}
