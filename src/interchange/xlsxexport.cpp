#include "interchange/xlsxexport.h"

#include "bom/reporttable.h"
#include "core/dictionary.h"
#include "core/savedfile.h"
#include "core/userinterface.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

bool IsExportNumber(QStringView text)
{
    QStringView t = text;
    if (t.isEmpty() || t.size() > 17)
        return false;
    if (t[0] == QLatin1Char('-'))
        t = t.mid(1);
    if (t.isEmpty())
        return false;
    bool point = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('.') && !point && i > 0 && i + 1 < t.size()) {
            point = true;
            continue;
        }
        if (!c.isDigit() || c.unicode() > u'9')
            return false;
    }
    // "00123" is a code: a number would lose its zeros.
    return !(t.size() > 1 && t[0] == QLatin1Char('0') && t[1] != QLatin1Char('.'));
}

QString GuardExportText(const QString& text)
{
    if (text.isEmpty())
        return text;
    const QChar first = text.front();
    if (first != QLatin1Char('=') && first != QLatin1Char('+') && first != QLatin1Char('-') && first != QLatin1Char('@')
        && first != QLatin1Char('\t') && first != QLatin1Char('\r'))
        return text;
    if (IsExportNumber(text))
        return text;
    return QLatin1Char('\'') + text;
}

bool IsNumericExportHeading(const QString& heading)
{
    static const QStringList numeric{"Err", "Item", "Quan", "Price", "Labor", "Stock", "On Order", "Allocated",
                                     "Min Stock", "Lead Time", "Loss", "Quantity", "Cost", "Hours", "Total",
                                     "Extended", "Depth", "Level", "Setup", "Rate"};
    const QString h = heading.trimmed();
    for (const QString& word : numeric)
        if (h.compare(word, Qt::CaseInsensitive) == 0 || h.startsWith(word + QLatin1Char(' '), Qt::CaseInsensitive))
            return true;
    return false;
}

namespace {

struct WorkbookCloser
{
    void operator()(lxw_workbook* workbook) const
    {
        if (workbook)
            workbook_close(workbook);
    }
};

// The sheet name a workbook allows: 31 characters, none of []:*?/\.
QString sheetName(const QString& name)
{
    QString out;
    for (const QChar c : name)
        if (!QStringLiteral("[]:*?/\\").contains(c))
            out += c;
    out = out.left(31).trimmed();
    return out.isEmpty() ? QStringLiteral("Sheet1") : out;
}

} // namespace

bool WriteXlsxExport(const QString& path, const ExportSheet& sheet)
{
    const auto fail = [&path](const QString& why) {
        ShowMessage(path + QLatin1Char('\n') + why, Translate(QStringLiteral("Export")));
        return false;
    };
    // The library writes a file by name: it writes one beside nothing of
    // ours, and the finished bytes replace the target in one go.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(scratch.errorString());
    const QString temporary = scratch.filePath(QStringLiteral("export.xlsx"));
    const QByteArray temporaryName = QFile::encodeName(temporary);
    {
        lxw_workbook_options options = {};
        options.constant_memory = LXW_FALSE;
        options.tmpdir = nullptr;
        std::unique_ptr<lxw_workbook, WorkbookCloser> workbook(workbook_new_opt(temporaryName.constData(), &options));
        if (!workbook)
            return fail(Translate(QStringLiteral("The workbook could not be created.")));
        const QByteArray name = sheetName(sheet.name).toUtf8();
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook.get(), name.constData());
        lxw_format* bold = workbook_add_format(workbook.get());
        format_set_bold(bold);
        lxw_format* text = workbook_add_format(workbook.get());
        format_set_num_format(text, "@");
        const int columns = static_cast<int>(sheet.headings.size());
        std::vector<int> widths(static_cast<size_t>(columns), 0);
        for (int c = 0; c < columns; ++c) {
            const QByteArray heading = sheet.headings[c].toUtf8();
            worksheet_write_string(worksheet, 0, static_cast<lxw_col_t>(c), heading.constData(), bold);
            widths[static_cast<size_t>(c)] = static_cast<int>(sheet.headings[c].size()) + 2;
        }
        for (int r = 0; r < sheet.rowCount; ++r)
            for (int c = 0; c < columns; ++c) {
                const QString value = sheet.cell(r, c);
                if (value.isEmpty())
                    continue;
                widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], static_cast<int>(value.size()));
                const bool numeric = static_cast<size_t>(c) < sheet.numeric.size() && sheet.numeric[static_cast<size_t>(c)];
                if (numeric && IsExportNumber(value)) {
                    worksheet_write_number(worksheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c),
                                           value.toDouble(), nullptr);
                    continue;
                }
                const QByteArray bytes = GuardExportText(value).toUtf8();
                worksheet_write_string(worksheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c),
                                       bytes.constData(), text);
            }
        for (int c = 0; c < columns; ++c)
            worksheet_set_column(worksheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 std::min(widths[static_cast<size_t>(c)], 60) * 1.1 + 1, nullptr);
        worksheet_freeze_panes(worksheet, 1, 0);
        const lxw_error closed = workbook_close(workbook.release());
        if (closed != LXW_NO_ERROR)
            return fail(QString::fromUtf8(lxw_strerror(closed)));
    }
    QFile written(temporary);
    if (!written.open(QIODevice::ReadOnly))
        return fail(written.errorString());
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly) || file.write(written.readAll()) < 0) {
        reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    // On the disk before it replaces the old file, as every export.
    if (!CommitSavedFile(file, &reason))
        return fail(reason);
    return true;
}

bool WriteXlsxReport(const QString& path, const QString& sheetName, const ReportTable& table)
{
    ExportSheet sheet;
    sheet.name = sheetName;
    for (const ReportTableColumn& column : table.columns) {
        sheet.headings << column.heading;
        sheet.numeric.push_back(column.numeric);
    }
    const int lines = static_cast<int>(table.rows.size());
    sheet.rowCount = lines + (table.totals.isEmpty() ? 0 : 1);
    sheet.cell = [&table, lines](int row, int column) {
        const QStringList& cells = row < lines ? table.rows[static_cast<size_t>(row)] : table.totals;
        return cells.value(column);
    };
    return WriteXlsxExport(path, sheet);
}

void RegisterReportWorkbookWriter()
{
    SetReportWorkbookWriter(WriteXlsxReport);
}
