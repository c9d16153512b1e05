#include "schedule/scheduleprint.h"

#include "core/savedfile.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "db/database.h"
#include "db/requirements.h"
#include "schedule/schedulechart.h"

#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

bool PaintSchedulePage(QPagedPaintDevice* device, const Schedule& schedule, const QString& entry,
                       const QDateTime& printTime)
{
    QPainter painter(device);
    if (!painter.isActive())
        return false;
    const double width = device->width();
    const double height = device->height();
    const double mm = device->logicalDpiY() / 25.4;
    QFont font(QStringLiteral("San Serif"));
    font.setPointSizeF(12);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, width, 8 * mm), Qt::AlignLeft | Qt::AlignVCenter,
                     TranslateLabel(QStringLiteral("Schedule:")) + entry);
    font.setPointSizeF(9);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, width, 8 * mm), Qt::AlignRight | Qt::AlignVCenter,
                     QLocale::c().toString(printTime, QStringLiteral("dddd, MMMM dd, yyyy HH:mm:ss")));

    // Fit the whole span and every row to the page below the header.
    const QRectF area(0, 10 * mm, width, height - 10 * mm);
    ChartView view;
    view.labelWidth = width * 0.15;
    const double days = std::max<double>(1, static_cast<double>(schedule.span) / 86400 + 1);
    view.pixelsPerDay = (area.width() - view.labelWidth) / days;
    const double rows = static_cast<double>(schedule.items.size()) + kChartHeaderRows;
    view.rowHeight = std::min(8 * mm, area.height() / std::max(rows, 10.0));
    PaintScheduleChart(painter, area, schedule, view);
    return painter.end();
}

bool PrintSchedulePdf(const QString& orderNumber, const QString& file)
{
    const Schedule schedule = ComputeSchedule(orderNumber, QDateTime::currentDateTime());
    const QString assembly = ReadRequirementFields(orderNumber).assembly;
    // An invalid schedule is still printed, as before: it says why it is empty.
    const bool written = WriteSavedPdfOrReport(file, [&](QPdfWriter& writer) {
        writer.setTitle(QStringLiteral("KOLT Schedule"));
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        writer.setResolution(200);
        PaintSchedulePage(&writer, schedule, Format("%s:Assy:%s", {orderNumber, assembly}),
                          QDateTime::currentDateTime());
        return true;
    });
    return written && schedule.valid;
}
