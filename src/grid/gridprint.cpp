#include "grid/gridprint.h"

#include "core/savedfile.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "controls/printsupport.h"
#include "grid/gridmodel.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {

bool isPicture(const QString& text)
{
    return text.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
}

QString pageDate()
{
    // "%A, %B %d, %Y %H:%M:%S"
    return QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("dddd, MMMM dd, yyyy HH:mm:ss"));
}

} // namespace

GridPrintout MakeGridPrintout(const CGridModel& model, const std::vector<int>& displayOrder)
{
    GridPrintout printout;
    const QString title = Translate(CGridModel::Title(model.table()));
    printout.documentName = QStringLiteral("KOLT-") + title;
    const QString folder = QDir::fromNativeSeparators(App().DataFolder);
    const QString folderName = folder.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
    printout.titleLine = Format("%s:%s", {title, folderName});
    printout.pictureFolder = DataPictureFolder();

    std::vector<int> columns;
    for (int lc : displayOrder)
        if (lc >= 0 && lc < model.listColumnCount() && !model.isErrColumn(lc))
            columns.push_back(lc);
    for (int lc : columns)
        printout.headings << model.listHeading(lc);
    // No page holds anywhere near this many rows, so the rows past it would
    // fall beyond the last page anyway; a table of any size costs the same.
    const int rows = std::min(model.rowCount(), kMaxPrintPages * kMaxRowsPerPage);
    printout.rows.reserve(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int lc : columns)
            row << model.displayText(r, lc);
        printout.rows.push_back(row);
    }
    return printout;
}

int PaintGrid(QPagedPaintDevice& device, const GridPrintout& printout)
{
    constexpr double kTypeSize = 8.0;
    // Smaller than this is hard to read on paper; past it the columns wrap.
    constexpr double kSmallestType = 6.0;
    const int columnCount = static_cast<int>(printout.headings.size());
    const int dpi = device.logicalDpiY();
    const int margin = dpi / 2;

    // Natural widths at the full type: the widest text of each column, a
    // heading no narrower than its longest word.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(kTypeSize);
    QFont bold = font;
    bold.setBold(true);
    std::vector<double> natural(static_cast<size_t>(columnCount), 0.0);
    std::vector<double> minimum(static_cast<size_t>(columnCount), 0.0);
    std::vector<bool> hasPicture(static_cast<size_t>(columnCount), false);
    {
        const QFontMetricsF metrics(font, &device);
        const QFontMetricsF boldMetrics(bold, &device);
        // Padding on both sides, and a character of slack: the type is
        // measured at full size and printed smaller, where hinting rounds
        // the other way, and a word a hair too long would break.
        const double padding = 3 * metrics.averageCharWidth();
        const double pictureWidth = metrics.height() * 1.5 * 3 * 4 / 3;
        for (int c = 0; c < columnCount; ++c) {
            const QString& heading = printout.headings[c];
            natural[c] = boldMetrics.horizontalAdvance(heading.isEmpty() ? QStringLiteral("  ") : heading);
            for (const QString& word : heading.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                minimum[c] = std::max(minimum[c], boldMetrics.horizontalAdvance(word));
        }
        for (const QStringList& row : printout.rows)
            for (int c = 0; c < columnCount; ++c) {
                const QString text = row.value(c);
                if (isPicture(text))
                    hasPicture[c] = true;
                else
                    natural[c] = std::max(natural[c], metrics.horizontalAdvance(text.isEmpty() ? QStringLiteral("  ") : text));
            }
        double total = 0;
        for (int c = 0; c < columnCount; ++c) {
            natural[c] += padding;
            minimum[c] += padding;
            if (hasPicture[c]) {
                natural[c] = std::max(natural[c], pictureWidth);
                minimum[c] = std::max(minimum[c], pictureWidth);
            }
            total += natural[c];
        }
        // A table wider than the page is printed across the sheet.
        if (total > device.width() - 2 * margin && device.width() < device.height())
            device.setPageOrientation(QPageLayout::Landscape);
    }
    const int pageWidth = device.width();
    const int pageHeight = device.height();
    const FittedColumns fitted = FitColumns(natural, minimum, pageWidth - 2 * margin, kSmallestType / kTypeSize);
    font.setPointSizeF(kTypeSize * fitted.scale);
    bold.setPointSizeF(kTypeSize * fitted.scale);
    std::vector<int> widths(static_cast<size_t>(columnCount), 0);
    std::vector<bool> wrapped(static_cast<size_t>(columnCount), false);
    for (int c = 0; c < columnCount; ++c) {
        widths[c] = static_cast<int>(fitted.widths[c]);
        wrapped[c] = fitted.widths[c] + 0.5 < natural[c] * fitted.scale;
    }

    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.setFont(font);
    const QFontMetrics metrics(font, &device);
    const QFontMetrics boldMetrics(bold, &device);
    const int padding = metrics.averageCharWidth();
    const int textRow = metrics.height() * 3 / 2;
    const int headerRow = QFontMetrics(QFont(QStringLiteral("Arial"), 8), &device).height() * 3 / 2;
    const int pictureRow = textRow * 3;

    auto textFlags = [&](const QString& text, int width, const QFontMetrics& m) {
        // A word longer than its column is broken where it must be.
        bool longWord = false;
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            longWord = longWord || m.horizontalAdvance(word) > width;
        return Qt::AlignVCenter | Qt::AlignLeft | (longWord ? Qt::TextWrapAnywhere : Qt::TextWordWrap);
    };
    auto heightOf = [&](const QString& text, int width, const QFontMetrics& m) {
        const int inner = std::max(1, width - 2 * padding);
        if (m.horizontalAdvance(text) <= inner)
            return textRow;
        const QRect bounds = m.boundingRect(QRect(0, 0, inner, 100000), textFlags(text, inner, m), text);
        return std::max(textRow, bounds.height() + textRow - m.height());
    };
    auto rowHeight = [&](const QStringList& row, const QFontMetrics& m) {
        int height = textRow;
        for (int c = 0; c < columnCount; ++c) {
            const QString text = row.value(c);
            if (isPicture(text))
                height = std::max(height, pictureRow);
            else if (wrapped[c] || &m == &boldMetrics)
                height = std::max(height, heightOf(text, widths[c], m));
        }
        return height;
    };

    // Pages first, so that each can say how many there are.
    const int headingHeight = rowHeight(printout.headings, boldMetrics);
    const int top = margin + headerRow * 3 / 2;
    const int bottom = pageHeight - margin;
    std::vector<int> heights;
    std::vector<int> pageStarts{0};
    heights.reserve(printout.rows.size());
    int y = top + headingHeight;
    int rowsPrinted = static_cast<int>(printout.rows.size());
    for (size_t r = 0; r < printout.rows.size(); ++r) {
        heights.push_back(std::min(rowHeight(printout.rows[r], metrics), bottom - top - headingHeight));
        if (y + heights.back() > bottom && y > top + headingHeight) {
            if (static_cast<int>(pageStarts.size()) == kMaxPrintPages) {
                rowsPrinted = static_cast<int>(r);
                break;
            }
            pageStarts.push_back(static_cast<int>(r));
            y = top + headingHeight;
        }
        y += heights.back();
    }
    const int pages = static_cast<int>(pageStarts.size());

    auto drawCell = [&](int left, int cellTop, int width, int height, const QString& text, bool picture,
                        const QFontMetrics& m) {
        const QRect box(left, cellTop, width, height);
        painter.drawRect(box);
        if (picture) {
            QImageReader reader(printout.pictureFolder + QLatin1Char('/') + text);
            reader.setAutoTransform(true);
            const QImage image = reader.read();
            if (!image.isNull()) {
                const QRect inner = box.adjusted(2, 2, -2, -2);
                const QSize size = image.size().scaled(inner.size(), Qt::KeepAspectRatio);
                const QRect target(inner.left() + (inner.width() - size.width()) / 2,
                                   inner.top() + (inner.height() - size.height()) / 2, size.width(), size.height());
                painter.drawImage(target, image);
                return;
            }
        }
        const QRect inner = box.adjusted(padding, 0, -padding, 0);
        painter.drawText(inner, textFlags(text, inner.width(), m), text);
    };
    auto startPage = [&](int page) {
        // The header keeps its size whatever the type of the table.
        painter.setFont(QFont(QStringLiteral("Arial"), 8));
        const QRect line(margin, margin, pageWidth - 2 * margin, headerRow);
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignLeft, printout.titleLine);
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignRight,
                         Format("Page %i of %i", {page, pages}));
        painter.setFont(bold);
        int left = margin;
        for (int c = 0; c < columnCount; ++c) {
            drawCell(left, top, widths[c], headingHeight, printout.headings[c], false, boldMetrics);
            left += widths[c];
        }
        painter.setFont(font);
    };
    auto endPage = [&](int page) {
        painter.setFont(QFont(QStringLiteral("Arial"), 8));
        const int footer = pageHeight - margin + headerRow / 2;
        const QRect line(margin, footer, pageWidth - 2 * margin, headerRow);
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignLeft, pageDate());
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignHCenter, QStringLiteral("KOLT:"));
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignRight, Format("Page %i", {page}));
        painter.setFont(font);
    };

    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            device.newPage();
        startPage(page);
        y = top + headingHeight;
        const int first = pageStarts[static_cast<size_t>(page - 1)];
        const int last = page < pages ? pageStarts[static_cast<size_t>(page)] : rowsPrinted;
        for (int r = first; r < last; ++r) {
            const QStringList& row = printout.rows[static_cast<size_t>(r)];
            int left = margin;
            for (int c = 0; c < columnCount; ++c) {
                const QString text = row.value(c);
                drawCell(left, y, widths[c], heights[static_cast<size_t>(r)], text, isPicture(text), metrics);
                left += widths[c];
            }
            y += heights[static_cast<size_t>(r)];
        }
        endPage(page);
    }
    painter.end();
    return pages;
}

bool PrintGridToPdf(const GridPrintout& printout, const QString& fileName, int* pages)
{
    int painted = 0;
    const bool written = WriteSavedPdfOrReport(fileName, [&](QPdfWriter& writer) {
        if (!writer.pageLayout().isValid())
            return false;
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(printout.documentName);
        writer.setCreator(QStringLiteral("KOLT"));
        painted = PaintGrid(writer, printout);
        return painted > 0;
    });
    if (pages)
        *pages = painted;
    return written && QFileInfo(fileName).size() > 0;
}
