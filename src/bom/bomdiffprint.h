#pragma once
// The printed comparison of two bills: a heading naming both sides, then
// one row per change with its kind, part, old and new values and note.
#include "bom/bomdiff.h"

class QPagedPaintDevice;

// Paints every page; the number of pages (a comparison without changes is
// one page that says so), 0 when the device could not be painted.
int PrintBomComparison(const QString& before, const QString& after, const std::vector<BomChange>& changes,
                       QPagedPaintDevice& device);
