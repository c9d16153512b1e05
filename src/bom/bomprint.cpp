// The printed bill of materials.
#include "bom/bomreport.h"

#include "bom/treedetails.h"
#include "bom/treepaint.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"

#include <QFontMetrics>
#include <QImageReader>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

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
    QPainter p(&device);
    if (!p.isActive())
        return 0;
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    const int left = dpiX / 2;
    const int top = dpiY;
    const int right = device.width() - dpiX / 2;
    const int bottom = device.height() - dpiY;

    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.6);
    font.setWeight(QFont::Normal);
    p.setFont(font);
    const QFontMetrics metrics = p.fontMetrics();
    const QBrush cellBrush(QColor(224, 255, 255));
    const int pad = std::max(2, dpiX / 40);
    const int rowHeight = metrics.height() + 2 * pad;

    const int columnCount = static_cast<int>(report.columns.size());
    const int lineCount = static_cast<int>(report.lines.size());
    std::vector<int> widths(columnCount);
    for (int c = 0; c < columnCount; ++c) {
        if (report.isPictureColumn(c)) {
            widths[c] = metrics.horizontalAdvance(QStringLiteral("XX")) + 2 * pad;
            continue;
        }
        int width = metrics.horizontalAdvance(report.columnName(c));
        for (int l = 0; l < lineCount; ++l)
            width = std::max(width, metrics.horizontalAdvance(report.cellText(l, c)));
        widths[c] = width + 2 * pad;
    }

    // The columns that fit on a page starting at column `first`; at least one.
    auto stripEnd = [&](int first) {
        int x = left;
        int c = first;
        while (c < columnCount && (c == first || x + widths[c] <= right)) {
            x += widths[c];
            ++c;
        }
        return c;
    };

    int page = 0;
    auto footer = [&]() {
        const QRect rect(left, bottom + pad, right - left, rowHeight);
        p.setPen(Qt::black);
        p.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, PrintTimestamp());
        p.drawText(rect, Qt::AlignRight | Qt::AlignVCenter, Format("Page %i", {page + 1}));
    };
    auto drawCell = [&](const QRect& cell, const QString& text, bool brush) {
        if (brush)
            p.fillRect(cell, cellBrush);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell);
        p.drawText(cell.adjusted(pad, 0, -pad, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    };

    // Runs of lines down the page; each run is printed in as many vertical
    // strips of columns as the page width needs, one page per strip.
    const int perPage = std::max(1, (bottom - top - 2 * rowHeight) / rowHeight);
    for (int firstLine = 0; firstLine < lineCount && page < kMaxReportPages; firstLine += perPage) {
        const int endLine = std::min(lineCount, firstLine + perPage);
        for (int first = 0; first < columnCount && page < kMaxReportPages;) {
            const int end = stripEnd(first);
            if (page > 0)
                device.newPage();
            int y = top;
            p.setPen(Qt::black);
            p.drawText(QRect(left, y, right - left, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       Format("%s:%s", {report.title(), report.assembly}));
            y += rowHeight;
            int x = left;
            for (int c = first; c < end; ++c) {
                drawCell(QRect(x, y, widths[c], rowHeight), report.columnName(c), true);
                x += widths[c];
            }
            y += rowHeight;
            for (int l = firstLine; l < endLine; ++l) {
                x = left;
                for (int c = first; c < end; ++c) {
                    const QRect cell(x, y, widths[c], rowHeight);
                    const QString text = report.cellText(l, c);
                    if (report.isPictureColumn(c) && text.endsWith(QLatin1String(".jpg"))) {
                        drawCell(cell, QString(), false);
                        drawPicture(p, cell, text);
                    } else {
                        drawCell(cell, text, false);
                    }
                    x += widths[c];
                }
                y += rowHeight;
            }
            footer();
            ++page;
            first = end;
        }
    }
    p.end();
    return page;
}
