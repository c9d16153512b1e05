#include "schedule/routingprint.h"

#include "schedule/schedule.h"

#include "controls/printsupport.h"
#include "core/savedfile.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/routing.h"
#include "schedule/schedule.h"
#include "schedule/taskbuilder.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include <algorithm>

QString RoutingDocumentName(const QString& orderNumber)
{
    return QStringLiteral("Routing-") + orderNumber;
}

int PaintRouting(QPagedPaintDevice* device, const QString& orderNumber, const QDateTime& printTime)
{
    const std::vector<RoutingEntry> routing = BuildRoutingList(orderNumber);
    // The bills and steps of every block in two statements, never one per
    // block inside the painting.
    QStringList assemblies;
    for (const RoutingEntry& entry : routing)
        if (!assemblies.contains(entry.assembly))
            assemblies << entry.assembly;
    const QHash<QString, std::vector<RoutingBillLine>> bills = ReadRoutingBills(assemblies);
    const QHash<QString, std::vector<RoutingStepLine>> allSteps = ReadRoutingSteps(assemblies);
    QPainter painter(device);
    const double mm = PixelsPerMm(device);
    const double width = device->width();
    const double height = device->height();
    const double bottom = height - 14 * mm;
    const QFont textFont = PrintFont(9);
    painter.setFont(textFont);
    const double column = QFontMetricsF(textFont, device).horizontalAdvance(QStringLiteral("XXXXXXXXXXXXXXXXXXXXXXXXX"));
    const double line = QFontMetricsF(textFont, device).height() * 1.2;
    const double indent = 2 * column / 25; // two characters per depth
    int page = 1;
    double y = 0;

    auto header = [&]() {
        painter.setFont(PrintFont(14, true));
        painter.drawText(QRectF(0, 0, width / 2, 12 * mm), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Order:") + orderNumber);
        DrawCode39(painter, QRectF(width / 2, 0, width / 2, 12 * mm), orderNumber);
        painter.drawLine(QPointF(0, 13 * mm), QPointF(width, 13 * mm));
        painter.setFont(textFont);
        y = 16 * mm;
    };
    auto footer = [&]() {
        painter.setFont(PrintFont(8));
        painter.drawText(QRectF(0, height - 10 * mm, width / 2, 8 * mm), Qt::AlignLeft | Qt::AlignVCenter,
                         QLocale::c().toString(printTime, QStringLiteral("dddd, MMMM dd, yyyy HH:mm:ss")));
        painter.drawText(QRectF(width / 2, height - 10 * mm, width / 2, 8 * mm), Qt::AlignRight | Qt::AlignVCenter,
                         Format("Page %i", {page}));
        painter.setFont(textFont);
    };
    header();

    for (const RoutingEntry& entry : routing) {
        const std::vector<RoutingBillLine> bom = bills.value(entry.assembly);
        const std::vector<RoutingStepLine> steps = allSteps.value(entry.assembly);
        const double blockHeight = line * (3 + static_cast<double>(bom.size()) + static_cast<double>(steps.size()) + 2);
        if (y + blockHeight > bottom && y > 16 * mm) {
            footer();
            device->newPage();
            ++page;
            header();
        }
        const double x0 = entry.depth * indent;
        painter.setFont(PrintFont(10, true));
        painter.drawText(QPointF(x0, y + line),
                         Format("  %s:%s  %s:%i", {Translate(QStringLiteral("Assembly")), entry.assembly,
                                                   Translate(QStringLiteral("Count")), entry.count}));
        painter.setFont(textFont);
        y += line * 1.4;
        // Deep sub-assemblies are indented further: their columns narrow so
        // that the last one still ends inside the page.
        auto row = [&](const QStringList& cells, const double* natural, int count) {
            double total = 0;
            for (int c = 0; c < count; ++c)
                total += natural[c];
            const double fit = std::min(1.0, (width - x0 - indent) / std::max(1.0, total));
            double widths[8] = {};
            for (int c = 0; c < count && c < 8; ++c)
                widths[c] = natural[c] * fit;
            if (y + line > bottom) {
                footer();
                device->newPage();
                ++page;
                header();
            }
            double x = x0 + indent;
            for (int c = 0; c < count; ++c) {
                painter.drawText(QRectF(x, y, widths[c] - mm, line), Qt::AlignLeft | Qt::AlignVCenter,
                                 painter.fontMetrics().elidedText(cells.value(c), Qt::ElideRight,
                                                                  static_cast<int>(widths[c] - mm)));
                x += widths[c];
            }
            y += line;
        };
        const double bomWidths[5] = {column * 0.3, column * 0.4, column, column * 1.2, column};
        for (const RoutingBillLine& l : bom)
            row({l.item, l.quantity, l.part, l.description, l.manufacturer}, bomWidths, 5);
        y += line * 0.4;
        // A step's hours are per unit; the work of the block is for its count,
        // as the timeline and the task editor plan it.
        const double stepWidths[5] = {column * 0.4, column * 1.6, column, column * 0.5, column * 0.8};
        for (const RoutingStepLine& s : steps)
            row({s.step, s.description, s.resource, s.hours,
                 Format("= %s h", {PlainNumber(TaskWorkHours(TextToDouble(s.hours), entry.count))})},
                stepWidths, 5);
        y += line;
    }
    footer();
    painter.end();
    return page;
}

bool PrintRoutingPdf(const QString& orderNumber, const QString& file)
{
    return WriteSavedPdfOrReport(file, [&](QPdfWriter& writer) {
        writer.setTitle(RoutingDocumentName(orderNumber));
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        PaintRouting(&writer, orderNumber, QDateTime::currentDateTime());
        return true;
    });
}
