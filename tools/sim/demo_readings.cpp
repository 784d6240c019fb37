#include "demo_readings.h"

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <numbers>

namespace {

enum class Twist {
    none,
    holdTail,  // the display freezes near the end of the scene
    openTail,  // the probes come off: over range at the end of the scene
    relative,
    manual,
};

struct Scene {
    std::uint8_t function, subfunction, range;
    int centre;  // count at the middle of the swing
    int swing;   // amplitude of the slow sine
    Twist twist;
};

// Values as the meter would show them (function, subfunction, range give the point).
constexpr Scene kScenes[] = {
    {1, 0, 1, 12000, 3000, Twist::holdTail},  // 1.2000 V DC
    {0, 0, 3, 23000, 400, Twist::none},       // 230.00 V AC
    {0, 1, 0, 50000, 20, Twist::none},        // 50.000 Hz of the mains
    {9, 0, 0, 0, 15000, Twist::relative},     // ±150.00 mV DC, crossing zero
    {2, 0, 3, 10000, 50, Twist::none},        // 10.000 kHz
    {2, 1, 0, 5000, 2000, Twist::none},       // 50.00 % duty cycle
    {3, 0, 1, 4700, 30, Twist::openTail},     // 4.7000 kOhm, then open
    {3, 1, 0, 6200, 80, Twist::none},         // 0.6200 V diode drop
    {3, 2, 0, 150, 100, Twist::none},         // 001.50 Ohm continuity
    {3, 3, 3, 1000, 50, Twist::manual},       // 0.1000 uF
    {4, 0, 0, 235, 15, Twist::none},          // 23.5 °C
    {4, 1, 0, 743, 27, Twist::none},          // 74.3 °F
    {5, 0, 0, 12000, 2000, Twist::none},      // 1.2000 A DC
    {6, 1, 0, 35000, 1000, Twist::none},      // 35.000 mA AC
    {7, 0, 0, 7500, 500, Twist::none},        // 75.00 %
    {8, 0, 0, 12345, 300, Twist::none},       // 123.45 uA DC
};

constexpr std::uint64_t kTailFrames = 5;
constexpr int kOpenCount = 60000;

int sceneValue(const Scene& s, std::uint64_t step) {
    const double phase =
        2 * std::numbers::pi * static_cast<double>(step) / static_cast<double>(kDemoSceneFrames);
    return s.centre + static_cast<int>(std::lround(s.swing * std::sin(phase)));
}

}  // namespace

const std::uint64_t kDemoCycleFrames = std::size(kScenes) * kDemoSceneFrames;

MeterReading demoReading(std::uint64_t frameIndex) {
    const std::uint64_t inCycle = frameIndex % kDemoCycleFrames;
    const Scene& s = kScenes[inCycle / kDemoSceneFrames];
    std::uint64_t step = inCycle % kDemoSceneFrames;
    const bool inTail = step >= kDemoSceneFrames - kTailFrames;

    MeterReading r;
    r.setFunction(s.function);
    r.setSubfunction(s.subfunction);
    r.setRange(s.range);
    r.setRelative(s.twist == Twist::relative);
    r.setManualRange(s.twist == Twist::manual);
    if (s.twist == Twist::holdTail && inTail) {
        r.setHold(true);
        step = kDemoSceneFrames - kTailFrames - 1;  // keeps showing the last live value
    }
    const int value = s.twist == Twist::openTail && inTail ? kOpenCount : sceneValue(s, step);
    r.setNegative(value < 0);
    r.setCount(static_cast<std::uint16_t>(std::abs(value)));
    return r;
}
