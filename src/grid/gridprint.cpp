#include "grid/gridprint.h"

#include "core/savedfile.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "grid/gridmodel.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QLocale>
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
            row << model.cellText(r, lc);
        printout.rows.push_back(row);
    }
    return printout;
}

int PaintGrid(QPagedPaintDevice& device, const GridPrintout& printout)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const int dpi = device.logicalDpiY();
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.0);
    painter.setFont(font);
    const QFontMetrics metrics(font, &device);

    const int margin = dpi / 2;
    const int pageWidth = device.width();
    const int pageHeight = device.height();
    const int padding = metrics.averageCharWidth();
    const int textRow = metrics.height() * 3 / 2;
    const int pictureRow = textRow * 3;
    const int pictureWidth = pictureRow * 4 / 3;

    // Each column as wide as its widest text; an empty cell counts as two spaces.
    const int columnCount = static_cast<int>(printout.headings.size());
    std::vector<int> widths(columnCount, 0);
    std::vector<bool> hasPicture(columnCount, false);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold, &device);
    for (int c = 0; c < columnCount; ++c)
        widths[c] = boldMetrics.horizontalAdvance(printout.headings[c].isEmpty() ? QStringLiteral("  ")
                                                                                  : printout.headings[c]);
    for (const QStringList& row : printout.rows)
        for (int c = 0; c < columnCount; ++c) {
            const QString text = row.value(c);
            if (isPicture(text)) {
                hasPicture[c] = true;
                continue;
            }
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(text.isEmpty() ? QStringLiteral("  ") : text));
        }
    int printable = 0; // columns that fit the page; the first that does not ends the row
    int x = margin;
    for (int c = 0; c < columnCount; ++c) {
        widths[c] += 2 * padding;
        if (hasPicture[c])
            widths[c] = std::max(widths[c], pictureWidth);
        if (x + widths[c] > pageWidth - margin)
            break;
        x += widths[c];
        ++printable;
    }

    int page = 1;
    int y = 0;
    auto drawCell = [&](int left, int top, int width, int height, const QString& text, bool picture) {
        const QRect box(left, top, width, height);
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
        painter.drawText(box.adjusted(padding, 0, -padding, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
    };
    auto startPage = [&]() {
        y = margin;
        painter.drawText(QRect(margin, y, pageWidth - 2 * margin, textRow), Qt::AlignVCenter | Qt::AlignLeft,
                         printout.titleLine);
        y += textRow * 3 / 2;
        int left = margin;
        painter.setFont(bold);
        for (int c = 0; c < printable; ++c) {
            drawCell(left, y, widths[c], textRow, printout.headings[c], false);
            left += widths[c];
        }
        painter.setFont(font);
        y += textRow;
    };
    auto endPage = [&]() {
        const int footer = pageHeight - margin + textRow / 2;
        const QRect line(margin, footer, pageWidth - 2 * margin, textRow);
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignLeft, pageDate());
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignHCenter, QStringLiteral("KOLT:"));
        painter.drawText(line, Qt::AlignVCenter | Qt::AlignRight, Format("Page %i", {page}));
    };

    startPage();
    for (const QStringList& row : printout.rows) {
        bool picture = false;
        for (int c = 0; c < printable; ++c)
            picture = picture || isPicture(row.value(c));
        const int height = picture ? pictureRow : textRow;
        if (y + height > pageHeight - margin) {
            endPage();
            if (page >= kMaxPrintPages) {
                painter.end();
                return page;
            }
            device.newPage();
            ++page;
            startPage();
        }
        int left = margin;
        for (int c = 0; c < printable; ++c) {
            const QString text = row.value(c);
            drawCell(left, y, widths[c], height, text, isPicture(text));
            left += widths[c];
        }
        y += height;
    }
    endPage();
    painter.end();
    return page;
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
