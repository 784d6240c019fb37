#pragma once

#include <cstdint>

#include "link/meter_reading.h"

// The built-in demo: a walk through the meter's functions, each shown for a while with a
// slowly varying value, some with a held display, relative or manual range, one running
// into over-range. Endless: frame index i and i + kDemoCycleFrames give the same reading.
inline constexpr std::uint64_t kDemoSceneFrames = 24;
extern const std::uint64_t kDemoCycleFrames;

MeterReading demoReading(std::uint64_t frameIndex);
