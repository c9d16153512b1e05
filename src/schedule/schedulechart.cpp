#include "schedule/schedulechart.h"

#include "core/dictionary.h"
#include "core/format.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

QString HeaderLabel(int unit, const QDate& date)
{
    const QLocale c = QLocale::c();
    switch (unit) {
    case 1:
        return QString(QStringLiteral("SMTWTFS").at(date.dayOfWeek() % 7));
    case 2:
        return c.toString(date, QStringLiteral("dd"));
    case 3:
        return c.toString(date, QStringLiteral("dd-MMM"));
    case 4:
        return c.toString(date, QStringLiteral("MMMM"));
    case 5:
        return c.toString(date, QStringLiteral("MMMM-yyyy"));
    case 6:
        return c.toString(date, QStringLiteral("yyyy"));
    default:
        return QStringLiteral("X");
    }
}

QColor StatusColour(int status)
{
    switch (status) {
    case 1:
        return QColor(0, 0, 255);
    case 2:
        return QColor(0, 255, 0);
    case 3:
        return QColor(255, 255, 0);
    case 4:
        return QColor(255, 0, 0);
    default:
        return QColor(128, 128, 128);
    }
}

void PaintScheduleChart(QPainter& painter, const QRectF& area, const Schedule& schedule, const ChartView& view)
{
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(area, Qt::white);
    const double ppd = std::max(0.5, view.pixelsPerDay);
    const double left = area.left() + view.labelWidth;
    const double rowH = view.rowHeight;
    const int spanDays = static_cast<int>(schedule.span / 86400);
    const QDate baseDate = schedule.valid ? schedule.base.date() : QDate::currentDate();
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(6, static_cast<int>(rowH * 0.55)));
    painter.setFont(font);

    // Calendar header: months, then days (or weeks when days are too narrow), then weekday letters.
    const bool weekly = ppd < 14;
    painter.setPen(QColor(64, 64, 64));
    for (int day = view.firstDay; day <= spanDays; ++day) {
        const double x = left + (day - view.firstDay) * ppd;
        if (x > area.right())
            break;
        const QDate date = baseDate.addDays(day);
        if (date.day() == 1 || day == view.firstDay) {
            painter.drawLine(QPointF(x, area.top()), QPointF(x, area.top() + rowH));
            painter.drawText(QRectF(x + 2, area.top(), 40 * ppd, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                             HeaderLabel(5, date));
        }
        if (!weekly) {
            const QRectF cell(x, area.top() + rowH, ppd, rowH);
            painter.drawRect(cell);
            painter.drawText(cell, Qt::AlignCenter, HeaderLabel(2, date));
            const QRectF letter(x, area.top() + 2 * rowH, ppd, rowH);
            if (schedule.working.isDayOff(date))
                painter.fillRect(letter, QColor(224, 224, 224));
            painter.drawRect(letter);
            painter.drawText(letter, Qt::AlignCenter, HeaderLabel(1, date));
        } else if (date.dayOfWeek() == 1 || day == view.firstDay) {
            // The first week on view may be cut: it ends where the next one begins.
            const QRectF cell(x, area.top() + rowH, (8 - date.dayOfWeek()) * ppd, rowH);
            painter.drawRect(cell);
            // A week narrower than its date shows the day alone, or nothing:
            // labels running into the next week read as one ("08-Dec14-Dec").
            const double room = cell.width() - 6;
            QString label = HeaderLabel(3, date);
            if (painter.fontMetrics().horizontalAdvance(label) > room)
                label = HeaderLabel(2, date);
            if (painter.fontMetrics().horizontalAdvance(label) > room)
                label.clear();
            painter.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, label);
        }
        if (weekly && schedule.working.isDayOff(date))
            painter.fillRect(QRectF(x, area.top() + 2 * rowH, ppd, rowH), QColor(224, 224, 224));
    }
    painter.drawLine(QPointF(area.left(), area.top() + 3 * rowH), QPointF(area.right(), area.top() + 3 * rowH));

    // Now.
    const double nowX = left + (schedule.now / 24 - view.firstDay) * ppd;
    if (nowX >= left && nowX <= area.right()) {
        painter.setPen(QPen(QColor(255, 0, 0), 1, Qt::DashLine));
        painter.drawLine(QPointF(nowX, area.top() + 3 * rowH), QPointF(nowX, area.bottom()));
    }

    // The need date: the work should end with its day.
    if (schedule.needDate.isValid()) {
        const double needX = left + (baseDate.daysTo(schedule.needDate) + 1 - view.firstDay) * ppd;
        if (needX >= left && needX <= area.right()) {
            painter.setPen(QPen(QColor(200, 0, 160), 2));
            painter.drawLine(QPointF(needX, area.top() + 3 * rowH), QPointF(needX, area.bottom()));
        }
    }

    const int count = static_cast<int>(schedule.items.size());
    for (int i = view.firstRow; i < count; ++i) {
        const double top = area.top() + (kChartHeaderRows + i - view.firstRow) * rowH;
        if (top > area.bottom())
            break;
        const ScheduleItem& item = schedule.items[static_cast<size_t>(i)];
        if ((i & 1) == 0)
            painter.fillRect(QRectF(area.left(), top, area.width(), rowH), QColor(244, 246, 250));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left() + 3, top, view.labelWidth - 6, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                         item.label);
        const double x = left + (item.start / 24 - view.firstDay) * ppd;
        const double w = std::max(2.0, item.length / 24 * ppd);
        painter.save();
        painter.setClipRect(QRectF(left, top, area.right() - left, rowH));
        const QRectF bar(x, top + rowH * 0.2, w, rowH * 0.6);
        QLinearGradient shade(bar.topLeft(), bar.bottomLeft());
        const QColor colour = StatusColour(item.status);
        shade.setColorAt(0, colour.lighter(150));
        shade.setColorAt(1, colour.darker(130));
        painter.fillRect(bar, shade);
        painter.setPen(QColor(40, 40, 40));
        painter.drawRect(bar);
        if (item.kind == ScheduleKind::Task && item.percent > 0)
            painter.fillRect(QRectF(x, bar.bottom() - 2, w * std::min(1.0, item.percent / 100), 2), Qt::black);
        if (item.late) {
            painter.setPen(QColor(160, 0, 0));
            painter.drawText(QRectF(x + w + 4, top, 40 * rowH, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                             Translate(QStringLiteral("Late")));
        }
        painter.restore();
    }
    painter.restore();
}

int FirstBarDay(const Schedule& schedule)
{
    if (schedule.items.empty())
        return 0;
    double first = schedule.items.front().start;
    for (const ScheduleItem& item : schedule.items)
        first = std::min(first, item.start);
    return static_cast<int>(std::floor(first / 24));
}

QString ScheduleItemToolTip(const Schedule& schedule, const ScheduleItem& item)
{
    const QLocale c = QLocale::c();
    // Chart hours count 24 to a day from the base midnight.
    auto dayText = [&](double hours) {
        return c.toString(schedule.base.date().addDays(static_cast<qint64>(std::floor(hours / 24))),
                          QStringLiteral("yyyy-MM-dd"));
    };
    auto storedDate = [](const QString& text) { return text.left(10); };
    auto line = [](const QString& label, const QString& value) {
        return TranslateLabel(label + QLatin1Char(':')) + QLatin1Char(' ') + value;
    };
    QStringList lines;
    if (item.kind == ScheduleKind::PurchaseOrder) {
        lines << Format("%s %s", {Translate(QStringLiteral("Purchase Order")), item.label});
        lines << line(QStringLiteral("Vendor"), item.vendor);
        lines << line(QStringLiteral("Date"), storedDate(item.ordered));
        lines << line(QStringLiteral("Need Date"), item.needed.isEmpty() ? Translate(QStringLiteral("Not set"))
                                                                         : storedDate(item.needed));
    } else {
        lines << Format("%s %i: %s", {Translate(QStringLiteral("Task")), item.taskNumber, item.label});
        lines << line(QStringLiteral("Step"), item.step);
        lines << line(QStringLiteral("Resource"), item.resource);
        lines << line(QStringLiteral("Hours"), Format("%g (%g x %g)", {item.hours, item.stepHours,
                                                                        item.count > 0 ? item.count : 1.0}));
        lines << line(QStringLiteral("Actual"), Format("%g", {item.actual}));
        // The last day the bar covers: it ends at that day's midnight or earlier.
        const double end = item.length > 0 ? item.start + item.length - 1e-6 : item.start;
        lines << Format("%s %s %s", {dayText(item.start), QStringLiteral("-"), dayText(end)});
    }
    lines << line(QStringLiteral("Status"), item.statusText); // a stored value, shown as stored
    if (item.late)
        lines << Translate(QStringLiteral("Late")) + QStringLiteral(": ") + LateText(schedule.lateDays);
    return lines.join(QLatin1Char('\n'));
}

int ScheduleItemAt(const Schedule& schedule, const ChartView& view, const QRectF& area, const QPointF& point)
{
    const int row = static_cast<int>(std::floor((point.y() - area.top()) / view.rowHeight)) - kChartHeaderRows;
    if (row < 0)
        return -1;
    const int index = row + view.firstRow;
    if (index >= static_cast<int>(schedule.items.size()))
        return -1;
    const ScheduleItem& item = schedule.items[static_cast<size_t>(index)];
    const double left = area.left() + view.labelWidth;
    const double x = left + (item.start / 24 - view.firstDay) * view.pixelsPerDay;
    const double w = std::max(2.0, item.length / 24 * view.pixelsPerDay);
    if (point.x() < x - view.rowHeight || point.x() > x + w + view.rowHeight)
        return -1;
    return index;
}
