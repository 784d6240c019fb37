#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "fuzz_report.h"

// Takes the input (after a capacity byte) as the content of a log file and
// loads it into a list and a small ring. Checks the row and ring counts, that
// rows hold no line ends and respect the line limit, that every sample value
// is finite, and that saving the list and loading it again gives the same
// rows and samples.
FuzzReport fuzzLogFile(std::span<const std::uint8_t> data, const std::filesystem::path& scratch);
