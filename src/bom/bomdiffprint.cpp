#include "bom/bomdiffprint.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/utilities.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <array>

namespace {

// The kinds in the reader's words; the tab-separated lines keep their fixed names.
QString kindCaption(BomChangeKind kind)
{
    switch (kind) {
    case BomChangeKind::Added:
        return Translate(QStringLiteral("Added"));
    case BomChangeKind::Removed:
        return Translate(QStringLiteral("Removed"));
    case BomChangeKind::Quantity:
        return Translate(QStringLiteral("Quantity"));
    case BomChangeKind::Designators:
        return Translate(QStringLiteral("Designators"));
    case BomChangeKind::Part:
        return Translate(QStringLiteral("Part"));
    }
    return QString();
}

} // namespace

int PrintBomComparison(const QString& before, const QString& after, const std::vector<BomChange>& changes,
                       QPagedPaintDevice& device)
{
    QPainter p(&device);
    if (!p.isActive())
        return 0;
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    const int left = dpiX / 2;
    const int right = device.width() - dpiX / 2;
    const int top = dpiY / 2;
    const int bottom = device.height() - dpiY / 2;
    const int width = std::max(1, right - left);

    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.5);
    QFont bold = font;
    bold.setBold(true);
    QFont title = bold;
    title.setPointSizeF(14);
    const QFontMetrics metrics(font, &device);
    const int lineHeight = metrics.height() + dpiY / 40;
    const int pad = std::max(2, dpiX / 40);

    // Kind, part, old, new take what they need up to a share each; the note
    // takes the rest and wraps.
    const std::array<QString, 5> headings{TranslateLabel(QStringLiteral("Change")), Translate(QStringLiteral("Part")),
                                          Translate(QStringLiteral("Old")), Translate(QStringLiteral("New")),
                                          Translate(QStringLiteral("Notes"))};
    std::array<int, 5> widths{};
    const QFontMetrics boldMetrics(bold, &device);
    for (size_t c = 0; c < 4; ++c)
        widths[c] = boldMetrics.horizontalAdvance(headings[c]) + 2 * pad;
    for (const BomChange& change : changes) {
        const std::array<QString, 4> cells{kindCaption(change.kind), change.part, change.oldValue, change.newValue};
        for (size_t c = 0; c < 4; ++c)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(cells[c]) + 2 * pad);
    }
    for (size_t c = 0; c < 4; ++c)
        widths[c] = std::min(widths[c], width / 5);
    widths[4] = std::max(width / 5, width - widths[0] - widths[1] - widths[2] - widths[3]);

    int pages = 1;
    int y = top;
    const auto header = [&] {
        p.setFont(title);
        const int titleHeight = QFontMetrics(title, &device).height();
        p.drawText(QRect(left, y, width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   Translate(QStringLiteral("BOM Comparison")));
        p.setFont(font);
        p.drawText(QRect(left, y, width, titleHeight), Qt::AlignRight | Qt::AlignVCenter,
                   Format("%s %i", {Translate(QStringLiteral("Page")), pages}));
        y += titleHeight + lineHeight / 2;
        p.drawText(QRect(left, y, width, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   Format("%s %s    %s %s    %s", {TranslateLabel(QStringLiteral("Old:")), before,
                                                 TranslateLabel(QStringLiteral("New:")), after, TimestampText()}));
        y += lineHeight * 3 / 2;
        p.setFont(bold);
        int x = left;
        for (size_t c = 0; c < headings.size(); ++c) {
            p.drawText(QRect(x + pad, y, widths[c] - 2 * pad, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       headings[c]);
            x += widths[c];
        }
        y += lineHeight;
        p.drawLine(left, y, right, y);
        y += pad;
        p.setFont(font);
    };
    header();
    if (changes.empty()) {
        p.drawText(QRect(left, y, width, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   Translate(QStringLiteral("No differences")));
        return pages;
    }
    for (const BomChange& change : changes) {
        const QRect noteBox = metrics.boundingRect(QRect(0, 0, widths[4] - 2 * pad, 100 * lineHeight),
                                                   Qt::TextWordWrap, change.note);
        const int rowHeight = std::max(lineHeight, noteBox.height() + pad);
        if (y + rowHeight > bottom) {
            if (!device.newPage())
                return 0;
            ++pages;
            y = top;
            header();
        }
        const std::array<QString, 5> cells{kindCaption(change.kind), change.part, change.oldValue, change.newValue,
                                           change.note};
        int x = left;
        for (size_t c = 0; c < cells.size(); ++c) {
            const QRect cell(x + pad, y, widths[c] - 2 * pad, rowHeight);
            if (c == 4)
                p.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, cells[c]);
            else
                p.drawText(cell, Qt::AlignLeft | Qt::AlignTop,
                           metrics.elidedText(cells[c], Qt::ElideRight, cell.width()));
            x += widths[c];
        }
        y += rowHeight;
    }
    return pages;
}
