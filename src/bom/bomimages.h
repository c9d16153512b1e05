#pragma once
// The small pictures of the bill-of-materials views, drawn rather than loaded
// so they scale and need no files beside the program.
#include <QImage>

// The chart's category pictures (32 x 32): 0 component, 1 circuit board,
// 2 wire or cable, 3 packaging or shipping.
QImage ChartCategoryIcon(int index);

// The navigation tree's pictures (24 x 24), cells 0 to 10 (see bomtree.h).
QImage TreeIcon(int cell);
