#include "face/face_look.h"

#include <algorithm>

#include "drawing/lcd_glyphs.h"
#include "reading/reading_interpretation.h"

namespace {

// The bands of the panel each part draws in (left and right: the panel's width).
constexpr int kMinMaxBottom = 46;    // MAX, MIN, their digits and MIN's minus
constexpr int kDisplayTop = 40;      // legends from y = 48 ...
constexpr int kDisplayBottom = 196;  // ... to AUTO and HOLD at up to 18 px from y = 171
constexpr int kDigitsTop = 72;       // the big digits, their point, the minus and the delta ...
constexpr int kDigitsBottom = 172;   // ... down to the digits' last row
constexpr int kBarTop = 188;         // segments from y = 192, ticks, scale labels
constexpr int kBarBottom = 224;

// The digits' band, or of it only the slots whose digit differs when the
// count alone changed (the point, the sign and the delta where they were).
FaceRect digitsRect(const FaceLook& before, const FaceLook& after, int panelWidth) {
    const bool countAlone = before.decimalPosition == after.decimalPosition && before.inRange &&
                            after.inRange && before.negative == after.negative &&
                            before.relative == after.relative;
    if (!countAlone) return {0, kDigitsTop, panelWidth, kDigitsBottom};
    const CountDigits from = countDigits(before.count);
    const CountDigits to = countDigits(after.count);
    int first = lcd::kBigDigitSlots;
    int last = -1;
    for (int slot = 0; slot < lcd::kBigDigitSlots; ++slot) {
        const auto k = static_cast<std::size_t>(lcd::kBigDigitSlots - 1 - slot);
        if (from[k] == to[k]) continue;
        first = std::min(first, slot);
        last = slot;
    }
    // The count differs, so some digit does. A smoothed glyph edge may reach
    // a pixel past its cell.
    constexpr int kEdge = 2;
    return {lcd::bigDigitLeft(first) - kEdge, kDigitsTop,
            lcd::bigDigitLeft(last) + lcd::bigGlyph(0).w + kEdge, kDigitsBottom};
}

}  // namespace

FaceLook faceLook(const MeterReading& stored, const MeterFaceState& face,
                  const Settings& settings) {
    return {
        face.shownCount,         face.shownRange,       face.shownFunction,
        face.shownSubfunction,   face.shownManualRange, face.decimalPosition,
        face.barValue,           face.inRange,          stored.negative(),
        stored.relative(),       stored.hold(),         face.overRangeArrow && face.arrowVisible,
        face.linkSpriteVisible,  face.minValue,         face.maxValue,
        settings.colorMeterText, settings.colorMeterBG};
}

FaceChanges faceChanges(const FaceLook& before, const FaceLook& after, int panelWidth,
                        int panelHeight) {
    FaceChanges changes;
    const auto add = [&changes](FaceRect rect) { changes.rects[changes.count++] = rect; };
    if (before.ink != after.ink || before.background != after.background) {
        add({0, 0, panelWidth, panelHeight});
        return changes;
    }
    if (before.minValue != after.minValue || before.maxValue != after.maxValue)
        add({0, 0, panelWidth, kMinMaxBottom});
    // A new value on the same function changes the digits alone: only their
    // band is drawn again, not the legends around them.
    const bool legends = before.range != after.range || before.function != after.function ||
                         before.subfunction != after.subfunction ||
                         before.manualRange != after.manualRange || before.hold != after.hold;
    const bool digits = before.count != after.count ||
                        before.decimalPosition != after.decimalPosition ||
                        before.inRange != after.inRange || before.negative != after.negative ||
                        before.relative != after.relative;
    if (legends) {
        add({0, kDisplayTop, panelWidth, kDisplayBottom});
    } else if (digits) {
        add(digitsRect(before, after, panelWidth));
    }
    if (before.barValue != after.barValue || before.inRange != after.inRange ||
        before.negative != after.negative)
        add({0, kBarTop, panelWidth, kBarBottom});
    if (before.linkShown != after.linkShown) add(face::kLinkSpriteRect);
    if (before.arrowShown != after.arrowShown) add(face::kArrowRect);
    return changes;
}
