#pragma once

#include <cstdint>

#include "face/meter_face_state.h"

// A rectangle of the meter panel to redraw: left and top inclusive, right and
// bottom exclusive, in panel pixels.
struct FaceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const FaceRect&, const FaceRect&) = default;
};

namespace face {
inline constexpr FaceRect kLinkSpriteRect{12, 28, 38, 46};
inline constexpr FaceRect kArrowRect{334, 188, 346, 212};
inline constexpr std::uint32_t kBlinkTicks = 3;  // the arrow toggles every fourth tick
}  // namespace face

// The date line: the panel's full width, from 14 to 2 pixels above its bottom.
constexpr FaceRect clockLineRect(int panelWidth, int panelHeight) {
    return {0, panelHeight - 14, panelWidth, panelHeight - 2};
}

// The face's part of a 50 ms tick: hides the link sprite once the link's
// activity countdown has run out and blinks the over-range arrow. On the tick
// the clock's second turns, a toggle that is not due yet starts its count
// again: from then on the toggles fall on the ticks that draw the clock line
// anyway, and one paint a second shows both instead of two.
void faceTick(MeterFaceState& face, std::uint32_t linkActivity, bool secondTurned);
