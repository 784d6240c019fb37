#include "garbage_maker.h"

namespace {

constexpr std::uint64_t kMaxStray = 6;
static_assert(kMaxStray + 2 <= kFrameSize);

}  // namespace

GarbageMaker::GarbageMaker(double probability, std::uint64_t seed)
    : hit_(probability), random_(seed) {}

std::vector<std::uint8_t> GarbageMaker::before(const std::array<std::uint8_t, kFrameSize>& frame) {
    std::vector<std::uint8_t> junk;
    if (!hit_(random_)) return junk;

    const std::uint64_t stray = random_() % (kMaxStray + 1);
    for (std::uint64_t i = 0; i < stray; ++i) {
        // Any byte but one with nibble 14 on top, which would end the junk early.
        auto b = static_cast<std::uint8_t>(random_() % 240);
        if (b >= 0xE0) b = static_cast<std::uint8_t>(b + 16);
        junk.push_back(b);
    }
    // Short enough that the junk never reaches the length of a frame.
    const std::uint64_t maxTail = kFrameSize - 1 - stray;
    const std::uint64_t tail = 1 + random_() % maxTail;
    junk.insert(junk.end(), frame.end() - static_cast<std::ptrdiff_t>(tail), frame.end());
    return junk;
}
