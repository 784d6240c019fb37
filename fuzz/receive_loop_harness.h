#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "fuzz_report.h"

// Plays the input as a serial line: raw bytes, well-formed frames, ticks that
// drain the port, device failures and re-opens, clock changes and repaints.
// Every frame goes through the receive loop, the decoder and the reading
// handler into a small ring, so full rings are saved to `scratch` (or, when
// the input makes the folder unusable, kept and wrapped). Checks that the list
// holds exactly the logged lines, that every saved log reads back as the rows
// it was written from, and that the frame buffer never overruns.
FuzzReport fuzzReceiveLoop(std::span<const std::uint8_t> data,
                           const std::filesystem::path& scratch);
