#pragma once

#include <cstdint>

#include "link/meter_reading.h"

// A reading as the meter would send it, for tests, benchmarks and fuzzers.
struct ReadingSpec {
    int function = 1;
    int subfunction = 0;
    int range = 0;
    int count = 0;
    bool negative = false;
    bool hold = false;
    bool relative = false;
    bool manualRange = false;
};

inline MeterReading makeReading(const ReadingSpec& s) {
    MeterReading r;
    r.setFunction(static_cast<std::uint8_t>(s.function));
    r.setSubfunction(static_cast<std::uint8_t>(s.subfunction));
    r.setRange(static_cast<std::uint8_t>(s.range));
    r.setCount(static_cast<std::uint16_t>(s.count));
    r.setNegative(s.negative);
    r.setHold(s.hold);
    r.setRelative(s.relative);
    r.setManualRange(s.manualRange);
    return r;
}

inline MeterReading makeReading(int function, int subfunction, int range, int count,
                                bool negative = false, bool hold = false) {
    return makeReading({.function = function,
                        .subfunction = subfunction,
                        .range = range,
                        .count = count,
                        .negative = negative,
                        .hold = hold});
}
