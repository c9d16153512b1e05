// The printed bill of materials.
#include "bom/bomreport.h"

#include "bom/reporttable.h"

#include "bom/treedetails.h"
#include "bom/treepaint.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"

#include <QFontMetrics>
#include <QImageReader>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <numeric>

namespace {

constexpr double kReportPointSize = 9.6;
constexpr double kReportMinPointSize = 6.5;
constexpr int kWidthSlack = 2;

QImage loadPicture(const QString& value)
{
    QImageReader reader(PicturePath(value));
    reader.setAutoTransform(true);
    return reader.read();
}

void drawPicture(QPainter& p, const QRect& cell, const QString& value)
{
    const QImage image = loadPicture(value);
    if (image.isNull())
        return;
    const QSize size = image.size().scaled(cell.size() - QSize(2, 2), Qt::KeepAspectRatio);
    const QRect target(cell.center() - QPoint(size.width() / 2, size.height() / 2), size);
    p.drawImage(target, image);
}

} // namespace

int PrintBomReport(const BomReport& report, QPagedPaintDevice& device)
{
    if (report.lines.empty())
        return 0;
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    const ReportTable table = MakeReportTable(report);
    const int columnCount = table.columnCount();
    const int pad = std::max(2, dpiX / 40);

    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(kReportPointSize);
    font.setWeight(QFont::Normal);
    QFont bold = font;
    bold.setBold(true);
    auto naturalWidths = [&](const QFont& plain, const QFont& strong) {
        const QFontMetrics metrics(plain, &device);
        const QFontMetrics strongMetrics(strong, &device);
        std::vector<int> widths(static_cast<size_t>(columnCount));
        for (int c = 0; c < columnCount; ++c) {
            const ReportTableColumn& column = table.columns[static_cast<size_t>(c)];
            int width = strongMetrics.horizontalAdvance(column.heading);
            // A picture takes a small square; any other value in the picture
            // column prints as text and is measured as such.
            if (column.picture)
                width = std::max(width, metrics.horizontalAdvance(QStringLiteral("XX")));
            for (const QStringList& row : table.rows)
                if (!column.picture || !row.value(c).endsWith(QLatin1String(".jpg")))
                    width = std::max(width, metrics.horizontalAdvance(row.value(c)));
            width = std::max(width, strongMetrics.horizontalAdvance(table.totals.value(c)));
            // Advances are rounded; the slack keeps a text that fits from being elided.
            widths[static_cast<size_t>(c)] = width + 2 * pad + kWidthSlack;
        }
        return widths;
    };
    // A bill wider than the page turns the sheet, then prints smaller, down
    // to a still readable size, and only then wraps its free-text columns:
    // columns never run onto a second page, where the rows would lose their
    // part numbers, and no description is cut.
    std::vector<int> widths = naturalWidths(font, bold);
    int natural = std::accumulate(widths.begin(), widths.end(), 0);
    if (natural > device.width() - dpiX && device.width() < device.height())
        device.setPageOrientation(QPageLayout::Landscape);
    QPainter p(&device);
    if (!p.isActive())
        return 0;
    const int left = dpiX / 2;
    const int top = dpiY;
    const int right = device.width() - dpiX / 2;
    const int bottom = device.height() - dpiY;
    const int available = std::max(1, right - left);
    if (natural > available) {
        const double size = std::max(kReportMinPointSize, kReportPointSize * available / natural);
        font.setPointSizeF(size);
        bold.setPointSizeF(size);
        widths = naturalWidths(font, bold);
    }
    const std::vector<int> unwrapped = widths;
    std::vector<bool> elastic, fixed;
    for (const ReportTableColumn& column : table.columns) {
        elastic.push_back(column.elastic);
        fixed.push_back(column.part);
    }
    p.setFont(font);
    const QFontMetrics metrics = p.fontMetrics();
    widths = FitColumnWidths(widths, elastic, fixed, available,
                             metrics.horizontalAdvance(QStringLiteral("XXXXXXXX")) + 2 * pad);

    const QBrush cellBrush(QColor(224, 255, 255));
    const int lineHeight = metrics.height() + 2 * pad;
    const int printedRows = static_cast<int>(table.rows.size()) + (table.totals.isEmpty() ? 0 : 1);
    auto cellsOf = [&](int r) -> const QStringList& {
        return r == static_cast<int>(table.rows.size()) ? table.totals : table.rows[static_cast<size_t>(r)];
    };
    // A column narrowed below its text wraps it over as many lines as it needs.
    auto heightOf = [&](const QStringList& cells) {
        int height = lineHeight;
        for (int c = 0; c < columnCount; ++c) {
            const size_t i = static_cast<size_t>(c);
            if (widths[i] >= unwrapped[i] || table.columns[i].picture)
                continue;
            const QRect bounds = metrics.boundingRect(QRect(0, 0, std::max(1, widths[i] - 2 * pad), 100000),
                                                      Qt::TextWordWrap | Qt::TextWrapAnywhere, cells.value(c));
            height = std::max(height, bounds.height() + 2 * pad);
        }
        return std::min(height, std::max(lineHeight, bottom - top - 2 * lineHeight));
    };

    int page = 0;
    auto footer = [&]() {
        const QRect rect(left, bottom + pad, right - left, lineHeight);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, PrintTimestamp());
        p.drawText(rect, Qt::AlignRight | Qt::AlignVCenter, Format("Page %i", {page + 1}));
    };
    auto drawCell = [&](const QRect& cell, const QString& text, bool brush, bool numeric, bool wrap) {
        if (brush)
            p.fillRect(cell, cellBrush);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell);
        const QRect inner = cell.adjusted(pad, 0, -pad, 0);
        if (wrap)
            p.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
        else
            p.drawText(inner, (numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextSingleLine,
                       p.fontMetrics().elidedText(text, Qt::ElideRight, inner.width()));
    };

    for (int first = 0; first < printedRows && page < kMaxReportPages;) {
        if (page > 0)
            device.newPage();
        int y = top;
        p.setFont(bold);
        p.setPen(Qt::black);
        p.drawText(QRect(left, y, right - left, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   Format("%s:%s", {report.title(), report.assembly}));
        y += lineHeight;
        int x = left;
        for (int c = 0; c < columnCount; ++c) {
            const ReportTableColumn& column = table.columns[static_cast<size_t>(c)];
            drawCell(QRect(x, y, widths[static_cast<size_t>(c)], lineHeight), column.heading, true, column.numeric,
                     false);
            x += widths[static_cast<size_t>(c)];
        }
        y += lineHeight;
        int r = first;
        for (; r < printedRows; ++r) {
            const bool totals = r == static_cast<int>(table.rows.size());
            const QStringList& cells = cellsOf(r);
            const int rowHeight = heightOf(cells);
            if (y + rowHeight > bottom && r > first)
                break;
            p.setFont(totals ? bold : font);
            x = left;
            for (int c = 0; c < columnCount; ++c) {
                const size_t i = static_cast<size_t>(c);
                const ReportTableColumn& column = table.columns[i];
                const QRect cell(x, y, widths[i], rowHeight);
                const QString text = cells.value(c);
                if (column.picture && text.endsWith(QLatin1String(".jpg"))) {
                    drawCell(cell, QString(), false, false, false);
                    drawPicture(p, cell, text);
                } else {
                    drawCell(cell, text, totals, column.numeric, widths[i] < unwrapped[i] && !column.numeric);
                }
                x += widths[i];
            }
            y += rowHeight;
        }
        first = r;
        footer();
        ++page;
    }
    p.end();
    return page;
}
