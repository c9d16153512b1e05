#pragma once
// The load of each labour resource per day across every open requirement:
// each task's planned work spread over the working days its bar covers, so
// a planner sees the days a resource is asked for more than the hours it has.
#include "schedule/schedule.h"

#include <QDate>
#include <QHash>
#include <QMap>
#include <QPainter>
#include <QStringList>

class QPagedPaintDevice;

struct ResourceLoad
{
    QStringList resources;                      // sorted; "" is a step without one
    QHash<QString, QMap<QDate, double>> hours;  // resource -> day -> hours
    QDate first;                                // first day with work; invalid when none
    QDate last;
    int hoursPerDay = 8;
    bool over(const QString& resource, const QDate& day) const
    {
        return hours.value(resource).value(day) > hoursPerDay + 1e-6;
    }
};

// Adds the work of the schedule's unfinished tasks, day by day.
void AddScheduleLoad(const Schedule& schedule, ResourceLoad& load);

// Every open requirement with tasks, scheduled as the timeline shows it at `now`.
ResourceLoad ComputeResourceLoad(const QDateTime& now);

// A table of resources (rows) by day (columns) from `firstDay` on, as many
// days as fit; days over the hours per day are filled red. Returns the number
// of days painted.
int PaintResourceLoad(QPainter& painter, const QRectF& area, const ResourceLoad& load, const QDate& firstDay);
// The load as a printed page (landscape); false when nothing could be painted.
bool PaintResourceLoadPage(QPagedPaintDevice* device, const ResourceLoad& load, const QDateTime& printed);
