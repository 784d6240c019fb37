#pragma once

#include <cstdint>
#include <span>

#include "fuzz_report.h"

// Fills an in-memory settings key with values of any name, storage type and
// size taken from the input, loads the settings from it, and reads the same
// bytes as the text form of every setting. Checks that ListCount stays in its
// range, that a key that cannot be opened changes nothing, that saving and
// loading again keeps every value, and that the text form of every stored
// value reads back as the same bytes.
FuzzReport fuzzSettings(std::span<const std::uint8_t> data);
