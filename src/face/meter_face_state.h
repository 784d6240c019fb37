#pragma once

#include <cstdint>

// The meter face's shared values. updateMeterFace decides them once per
// reading and once per tick; the paint only reads them; the tick blinks the
// arrow and hides the link sprite; the chart draws MIN and MAX.
struct MeterFaceState {
    // The reading as the next paint shows its digits, point and bar: its
    // fields as they were before a no-reading record was rewritten.
    std::uint16_t shownCount = 0;
    std::uint8_t shownRange = 0;
    std::uint8_t shownFunction = 10;
    std::uint8_t shownSubfunction = 0;
    bool shownManualRange = false;
    int decimalPosition = 0;
    int barValue = 0;  // last lit bar-graph segment

    bool inRange = true;             // the stored reading is not over range
    bool overRangeArrow = true;      // while set, the tick blinks the arrow
    bool arrowVisible = false;       // blink phase of the over-range arrow
    bool linkSpriteVisible = false;  // toggled per reading while data flows
    float maxValue = 0.0f;
    float minValue = 0.0f;
    bool minLatched = false;
    std::uint32_t blinkCountdown = 0;  // ticks until the arrow's next toggle
};

// MIN and MAX back to 0 with the first-minimum latch open.
inline void resetMinMax(MeterFaceState& face) {
    face.maxValue = 0.0f;
    face.minValue = 0.0f;
    face.minLatched = false;
}
