#pragma once
// The timeline chart painted on any device: a calendar header of three rows,
// then one row per schedule item with its label and its status-coloured bar.
#include "schedule/schedule.h"

#include <QColor>
#include <QPainter>
#include <QRectF>

struct ChartView
{
    double pixelsPerDay = 8; // the window's width / 365 × zoom
    int firstDay = 0;        // horizontal scroll, in days from base
    int firstRow = 0;        // vertical scroll, in items
    double rowHeight = 20;
    double labelWidth = 120;
};

constexpr int kChartHeaderRows = 3;

// The header cell text of a unit: 1 weekday letter, 2 "%d", 3 "%d-%b",
// 4 "%B", 5 "%B-%Y", 6 "%Y", anything else "X".
QString HeaderLabel(int unit, const QDate& date);
QColor StatusColour(int status);

void PaintScheduleChart(QPainter& painter, const QRectF& area, const Schedule& schedule, const ChartView& view);
// The day the first bar starts on (days from base; before base when an order
// is dated earlier), where the chart opens; 0 without bars.
int FirstBarDay(const Schedule& schedule);
// The tooltip of a bar: a purchase order with its vendor and dates, a task
// with its step, hours and dates.
QString ScheduleItemToolTip(const Schedule& schedule, const ScheduleItem& item);

// The item whose row holds point and whose bar lies within one row height of
// it; -1 for none.
int ScheduleItemAt(const Schedule& schedule, const ChartView& view, const QRectF& area, const QPointF& point);
