#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "link/meter_reading.h"

// The meter's wire format: 14 bytes, byte i (from 0) carrying i + 1 in its high
// nibble and a data nibble in its low nibble; no checksum.
inline constexpr std::size_t kFrameSize = 14;

// Validates one candidate frame and packs its nibbles into a reading. Nothing
// unless the candidate is exactly 14 bytes with position nibbles 1..14.
std::optional<MeterReading> unpackFrame(std::span<const std::uint8_t> bytes);

// The exact inverse of unpackFrame: the frame a meter sends for this reading.
std::array<std::uint8_t, kFrameSize> packFrame(const MeterReading& reading);
