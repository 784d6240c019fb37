#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "link/frame_codec.h"

// Line junk to put before a frame: a few stray bytes followed by the cut-off tail of a
// frame. The junk is shorter than a frame and its only byte with position nibble 14 is
// its last, so a receiver that cuts frames at that nibble drops the junk as one piece
// and the frame after it still decodes.
class GarbageMaker {
  public:
    GarbageMaker(double probability, std::uint64_t seed);

    // Junk for before this frame; empty when the dice say no.
    std::vector<std::uint8_t> before(const std::array<std::uint8_t, kFrameSize>& frame);

  private:
    std::bernoulli_distribution hit_;
    std::mt19937_64 random_;
};
