#include "schedule/resourceload.h"

#include "controls/printsupport.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "db/production.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QSet>
#include <algorithm>
#include <cmath>

void AddScheduleLoad(const Schedule& schedule, ResourceLoad& load)
{
    const WorkingTime& working = schedule.working;
    load.hoursPerDay = working.hoursPerDay;
    const QDate base = schedule.base.date();
    for (const ScheduleItem& item : schedule.items) {
        if (item.kind != ScheduleKind::Task || item.status == 2 || item.length <= 0 || item.hours <= 0)
            continue;
        // The bar's working chart hours carry the work; days off inside it carry none.
        double position = item.start;
        const double end = item.start + item.length;
        while (position < end - 1e-9) {
            const double dayStart = std::floor(position / 24.0) * 24.0;
            const double portion = std::min(end, dayStart + 24.0) - position;
            const QDate day = base.addDays(static_cast<qint64>(dayStart / 24.0));
            if (!working.isDayOff(day)) {
                load.hours[item.resource][day] += portion * working.hoursPerDay / 24.0;
                if (!load.first.isValid() || day < load.first)
                    load.first = day;
                if (!load.last.isValid() || day > load.last)
                    load.last = day;
            }
            position = dayStart + 24.0;
        }
        if (!load.resources.contains(item.resource))
            load.resources << item.resource;
    }
    load.resources.sort();
}

ResourceLoad ComputeResourceLoad(const QDateTime& now)
{
    ResourceLoad load;
    QStringList requirements;
    QSet<QString> seen;
    for (const TaskRow& task : ReadOpenTasks())
        if (!seen.contains(task.orderNumber)) {
            seen.insert(task.orderNumber);
            requirements << task.orderNumber;
        }
    for (const QString& order : requirements) {
        const Schedule schedule = ComputeSchedule(order, now);
        if (schedule.valid)
            AddScheduleLoad(schedule, load);
    }
    return load;
}

int PaintResourceLoad(QPainter& painter, const QRectF& area, const ResourceLoad& load, const QDate& firstDay)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double rowHeight = metrics.height() * 1.6;
    const double labelWidth = std::max(metrics.horizontalAdvance(QStringLiteral("MMMMMMMMMMMM")), area.width() * 0.14);
    // A day is as wide as its widest text, so neighbouring headings never run together.
    const double cellWidth = std::max({metrics.horizontalAdvance(QStringLiteral("00.0 ")),
                                       metrics.horizontalAdvance(QStringLiteral("00 Mo ")), metrics.height() * 2.6});
    const int days = std::max(0, static_cast<int>((area.width() - labelWidth) / cellWidth));
    painter.save();
    painter.setPen(QPen(QColor(120, 120, 120), 0));
    const QDate start = firstDay.isValid() ? firstDay : QDate::currentDate();
    // Header: the month where it begins, over the day of month and its weekday.
    const QRectF header(area.left(), area.top(), area.width(), rowHeight * 2);
    painter.drawText(QRectF(header.left(), header.top(), labelWidth, header.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     Translate(QStringLiteral("Resource")));
    for (int d = 0; d < days; ++d) {
        const QDate day = start.addDays(d);
        const QRectF cell(area.left() + labelWidth + d * cellWidth, header.top(), cellWidth, rowHeight * 2);
        if (d == 0 || day.day() == 1)
            painter.drawText(cell.adjusted(2, 0, 200, -rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             QLocale::c().toString(day, QStringLiteral("MMM yyyy")));
        painter.drawText(cell.adjusted(0, rowHeight, 0, 0), Qt::AlignCenter,
                         Format("%i %s", {day.day(), QLocale::c().toString(day, QStringLiteral("ddd")).left(2)}));
    }
    const QColor overColour(220, 60, 50);
    const QColor workColour(90, 160, 90);
    double y = header.bottom();
    for (const QString& resource : load.resources) {
        if (y + rowHeight > area.bottom())
            break;
        const QString name = resource.isEmpty() ? Translate(QStringLiteral("(no resource)")) : resource;
        painter.drawText(QRectF(area.left(), y, labelWidth - 4, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(name, Qt::ElideRight, labelWidth - 4));
        for (int d = 0; d < days; ++d) {
            const QDate day = start.addDays(d);
            const QRectF cell(area.left() + labelWidth + d * cellWidth, y, cellWidth, rowHeight);
            const double hours = load.hours.value(resource).value(day);
            if (hours > 0) {
                painter.fillRect(cell.adjusted(1, 1, -1, -1), load.over(resource, day) ? overColour : workColour);
                // The grid's grey is unreadable on the fill: the hours in white.
                const QPen grid = painter.pen();
                painter.setPen(Qt::white);
                painter.drawText(cell, Qt::AlignCenter, PlainNumber(std::round(hours * 10) / 10));
                painter.setPen(grid);
            }
            painter.drawRect(cell);
        }
        y += rowHeight;
    }
    if (load.resources.isEmpty())
        painter.drawText(QRectF(area.left(), y, area.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         Translate(QStringLiteral("No open tasks")));
    painter.restore();
    return days;
}

bool PaintResourceLoadPage(QPagedPaintDevice* device, const ResourceLoad& load, const QDateTime& printed)
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    const QRectF page(0, 0, device->width(), device->height());
    painter.setFont(PrintFont(9, false));
    const double line = QFontMetricsF(painter.font(), device).height() * 1.8;
    painter.setFont(PrintFont(12, true));
    painter.drawText(QRectF(page.left(), page.top(), page.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     Translate(QStringLiteral("Resource Load")) + QStringLiteral("  ")
                         + Format("(%i %s)", {load.hoursPerDay, Translate(QStringLiteral("hours per day"))}));
    painter.drawText(QRectF(page.left(), page.top(), page.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                     QLocale::c().toString(printed, QStringLiteral("yyyy-MM-dd HH:mm")));
    painter.setFont(PrintFont(9, false));
    PaintResourceLoad(painter, page.adjusted(0, line * 1.5, 0, 0), load, load.first);
    painter.end();
    return true;
}
