#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "fuzz_report.h"

// Loads the tail of the input as a log file into a ring, then draws the
// history chart on a recording canvas with a view (zoom, scroll offset,
// markers, autoscale rung), MIN/MAX, colours, canvas size and a scroll-bar
// request taken from the head of the input, and sums the selection. Checks
// that the trace stays inside the canvas, asks only for rows that exist and
// that the autoscale never shrinks or leaves its ladder.
FuzzReport fuzzChart(std::span<const std::uint8_t> data, const std::filesystem::path& scratch);
