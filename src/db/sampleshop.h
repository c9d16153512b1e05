#pragma once
// The small sample shop the screenshots are taken of: two assemblies with
// prices and a routing, three vendors and one requirement, not processed.
#include <QDateTime>

void SeedSampleShop(const QDateTime& requirementCreated);
// A change to AMP-100 after its first revision was kept: one quantity and its
// designators, one line added.
void ChangeSampleBill();
