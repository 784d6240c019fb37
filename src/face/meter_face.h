#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "drawing/canvas.h"
#include "face/meter_face_state.h"
#include "link/meter_reading.h"
#include "time/clock.h"

struct Settings;

// Text sizes of the face, in pixels.
namespace face {
inline constexpr float kTextSize = 14.0f;
inline constexpr float kLargeTextSize = 18.0f;
inline constexpr float kSmallTextSize = 11.0f;
inline constexpr int kBarSegments = 41;
}  // namespace face

// The last lit bar-graph segment for a count shown with `decimalPosition`
// digits before the point; above 40 the bar is past its end.
int barValue(std::uint16_t count, int decimalPosition, std::uint8_t function);

// Left edge of bar-graph segment i (0-40); odd segments fall on half pixels.
constexpr float barSegmentX(int i) {
    return 29.0f + 7.5f * static_cast<float>(i);
}
// Height of bar-graph segment i: long at multiples of 10, medium at 5.
constexpr float barSegmentHeight(int i) {
    return i % 10 == 0 ? 15.0f : (i % 5 == 0 ? 13.0f : 10.0f);
}

// How a MAX or MIN value v >= 0 fills its four small digits.
struct PanelDigits {
    std::uint32_t n = 0;  // only the last four digits are shown
    int pointSlot = -1;   // digit slot the point follows; -1 for none
    friend bool operator==(const PanelDigits&, const PanelDigits&) = default;
};
PanelDigits panelDigits(double v);

// Thousands, hundreds, tens and units of n: only its last four digits.
std::array<int, 4> splitFourDigits(std::uint32_t n);

// The face's date line: "%2d/%02d/%d %2d:%02d:%02d%cM" on the 12-hour clock.
std::u16string formatDateLine(const LocalDateTime& t);

// Draws "MAX" and "MIN" with their small digits, points and MIN's minus mark.
void drawMinMaxPanel(Canvas& canvas, const MeterFaceState& face, Argb colour, float textSize);

// The face's bookkeeping for the stored reading: what the next paint shows,
// the over-range verdict, the arrow flag, MIN and MAX and the saved Switch and
// Mode. A "no reading yet" record (function 10) is rewritten in place, after
// its fields were taken for the digits. Returns true when the function or
// sub-function differs from the saved one: MIN and MAX were reset, and the
// chart's scale must be reset with them.
bool updateMeterFace(MeterReading& stored, MeterFaceState& face, Settings& settings);

// Redraws the whole meter face from what the last update decided, the stored
// reading's sign, delta and HOLD flags and the clock. Changes nothing.
void drawMeterFace(Canvas& canvas, const MeterReading& stored, const MeterFaceState& face,
                   const Settings& settings, const Clock& clock);
