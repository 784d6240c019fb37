#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Integer conversions that clamp instead of overflowing: values from a damaged
// log or a very long run must not turn into undefined behaviour.

inline int saturatingInt(std::int64_t v) {
    constexpr std::int64_t lo = std::numeric_limits<int>::min();
    constexpr std::int64_t hi = std::numeric_limits<int>::max();
    return static_cast<int>(v < lo ? lo : (v > hi ? hi : v));
}

// Truncation toward zero, limited to the int range; NaN gives 0.
inline int truncSaturated(double v) {
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(v);
}
