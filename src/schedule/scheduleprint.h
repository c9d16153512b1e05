#pragma once
// The printed schedule: header "Schedule:" with the requirement entry and
// the print time, then the whole chart fitted to the page.
#include "schedule/schedule.h"

class QPagedPaintDevice;

// False when the device could not be painted on.
bool PaintSchedulePage(QPagedPaintDevice* device, const Schedule& schedule, const QString& entry,
                       const QDateTime& printTime);
bool PrintSchedulePdf(const QString& orderNumber, const QString& file);
