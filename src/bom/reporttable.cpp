#include "bom/reporttable.h"

#include "bom/bomreport.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/tabledefs.h"
#include "core/userinterface.h"
#include "core/utilities.h"

#include <algorithm>
#include <numeric>

QString ReportHeading(const QString& columnName)
{
    // The report joins the bill to the parts; a column of either table is
    // named as that table's grid names it.
    for (const int table : {AssyList, PartList}) {
        const TableDefinition& definition = App().tables[table];
        const int field = FieldIndex(definition, columnName);
        if (field >= 0 && !definition.headings[field].isEmpty())
            return Translate(definition.headings[field]);
    }
    return Translate(ToHeading(columnName));
}

ReportTable MakeReportTable(const BomReport& report)
{
    ReportTable table;
    const int listColumns = static_cast<int>(report.columns.size());
    int part = -1, description = -1, quantity = -1, price = -1;
    for (int lc = 0; lc < listColumns; ++lc) {
        const QString name = report.columnName(lc);
        if (name == QLatin1String("Part_nBr") && part < 0)
            part = lc;
        else if (name == QLatin1String("Description") && description < 0)
            description = lc;
        else if (name == QLatin1String("Quan") && quantity < 0)
            quantity = lc;
        else if (name == QLatin1String("Price") && price < 0)
            price = lc;
    }
    // A bill is read by part number and what the part is.
    std::vector<int> order;
    for (const int lc : {part, description})
        if (lc >= 0)
            order.push_back(lc);
    for (int lc = 0; lc < listColumns; ++lc)
        if (lc != part && lc != description)
            order.push_back(lc);

    const bool flat = report.mode == kFlatBom;
    const bool lineTotals = flat && quantity >= 0 && price >= 0;
    int lineTotalColumn = -1;
    for (const int lc : order) {
        const QString name = report.columnName(lc);
        ReportTableColumn column;
        column.heading = ReportHeading(name);
        column.listColumn = lc;
        column.numeric = name == QLatin1String("Quan") || name == QLatin1String("Item") || name == QLatin1String("Price");
        column.picture = report.isPictureColumn(lc);
        column.part = lc == part;
        column.elastic = name == QLatin1String("Description") || name == QLatin1String("Manufacturer")
                         || name == QLatin1String("Distributor") || name == QLatin1String("Ref_Des")
                         || column.picture;
        table.columns.push_back(column);
        if (lc == price && lineTotals) {
            ReportTableColumn total;
            total.heading = Translate(QStringLiteral("Line Total"));
            total.numeric = true;
            lineTotalColumn = table.columnCount();
            table.columns.push_back(total);
        }
    }

    const int lines = static_cast<int>(report.lines.size());
    double costSum = 0;
    long long quantitySum = 0;
    table.rows.reserve(static_cast<size_t>(lines));
    for (int l = 0; l < lines; ++l) {
        QStringList cells;
        for (const ReportTableColumn& column : table.columns) {
            if (column.listColumn >= 0) {
                cells << report.cellText(l, column.listColumn);
                continue;
            }
            // The flat bill's quantity is the part's total for one assembly.
            const QString unitPrice = report.cellText(l, price);
            const double cost = static_cast<double>(report.lines[static_cast<size_t>(l)].number) * TextToDouble(unitPrice);
            costSum += cost;
            cells << (unitPrice.trimmed().isEmpty() ? QString() : Format("%0.2f", {cost}));
        }
        if (flat)
            quantitySum += report.lines[static_cast<size_t>(l)].number;
        table.rows.push_back(cells);
    }

    if (flat && lines > 0) {
        for (int c = 0; c < table.columnCount(); ++c) {
            const ReportTableColumn& column = table.columns[static_cast<size_t>(c)];
            if (c == 0)
                table.totals << Format("%s (%i)", {Translate(QStringLiteral("Total")), lines});
            else if (column.listColumn >= 0 && column.listColumn == quantity)
                table.totals << Format("%i", {quantitySum});
            else if (c == lineTotalColumn)
                table.totals << Format("%0.2f", {costSum});
            else
                table.totals << QString();
        }
    }
    return table;
}

std::vector<int> FitColumnWidths(const std::vector<int>& natural, const std::vector<bool>& elastic,
                                 const std::vector<bool>& fixed, int available, int minimum)
{
    std::vector<int> widths = natural;
    const size_t n = natural.size();
    auto total = [&] { return std::accumulate(widths.begin(), widths.end(), 0); };
    if (total() <= available)
        return widths;
    auto isElastic = [&](size_t c) { return c < elastic.size() && elastic[c] && !(c < fixed.size() && fixed[c]); };
    auto isFixed = [&](size_t c) { return c < fixed.size() && fixed[c]; };

    // Free text first: the widest elastic columns come down to a common cap.
    int others = 0;
    std::vector<int> flexible;
    for (size_t c = 0; c < n; ++c) {
        if (isElastic(c))
            flexible.push_back(natural[c]);
        else
            others += natural[c];
    }
    if (!flexible.empty()) {
        const int room = available - others;
        std::sort(flexible.begin(), flexible.end());
        int cap = minimum;
        int below = 0; // sum of the columns narrower than the cap
        for (size_t i = 0; i < flexible.size(); ++i) {
            const int remaining = static_cast<int>(flexible.size() - i);
            const int candidate = (room - below) / remaining;
            if (candidate <= flexible[i]) {
                cap = std::max(minimum, candidate);
                break;
            }
            below += flexible[i];
            cap = flexible[i];
        }
        for (size_t c = 0; c < n; ++c)
            if (isElastic(c))
                widths[c] = std::min(natural[c], std::max(cap, std::min(natural[c], minimum)));
        if (total() <= available)
            return widths;
    }

    // Still too wide: every column but the part number gives up room in
    // proportion, below the minimum if need be; cut text beats a second page.
    int kept = 0, shrinking = 0;
    for (size_t c = 0; c < n; ++c)
        (isFixed(c) ? kept : shrinking) += widths[c];
    if (shrinking <= 0)
        return widths;
    const double scale = std::max(0.0, static_cast<double>(available - kept)) / shrinking;
    for (size_t c = 0; c < n; ++c)
        if (!isFixed(c))
            widths[c] = std::max(1, static_cast<int>(widths[c] * scale));
    return widths;
}

namespace {
ReportWorkbookWriter& workbookWriter()
{
    static ReportWorkbookWriter writer;
    return writer;
}
} // namespace

void SetReportWorkbookWriter(ReportWorkbookWriter writer)
{
    workbookWriter() = std::move(writer);
}

bool WriteReportWorkbook(const QString& path, const QString& sheetName, const ReportTable& table)
{
    if (!workbookWriter()) {
        ShowMessage(path + QLatin1Char('\n') + Translate(QStringLiteral("The workbook could not be created.")),
                    Translate(QStringLiteral("Export")));
        return false;
    }
    return workbookWriter()(path, sheetName, table);
}
