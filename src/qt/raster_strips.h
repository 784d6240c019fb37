#pragma once

#include <QRect>
#include <algorithm>

// Qt's raster engine hands any primitive that covers more than about a
// hundred rows to its thread pool in slices. For the small surfaces of this
// window waking the pool costs far more than the drawing itself: a fill or a
// copy taller than this is done in strips of at most this many rows.
inline constexpr int kMaxRasterRows = 64;

// Calls `draw` with each strip of `area`, top to bottom.
template <typename Draw>
void forEachRasterStrip(const QRect& area, Draw&& draw) {
    for (int top = area.top(); top <= area.bottom(); top += kMaxRasterRows) {
        draw(QRect(area.left(), top, area.width(),
                   std::min(kMaxRasterRows, area.bottom() + 1 - top)));
    }
}
