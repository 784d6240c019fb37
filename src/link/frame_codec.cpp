#include "link/frame_codec.h"

namespace {

// Nibble pairs P0..P6 map to record bytes R0..R6 with P1 and P2 exchanged, so
// that the count, sent most significant nibble first, lands as a little-endian
// 16-bit number inside valueWord.
constexpr std::size_t recordIndexOfPair(std::size_t pair) {
    return pair == 1 ? 2 : pair == 2 ? 1 : pair;
}

}  // namespace

std::optional<MeterReading> unpackFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kFrameSize) return std::nullopt;
    MeterReading reading;
    for (std::size_t i = 0; i < kFrameSize; ++i) {
        if ((bytes[i] >> 4) != i + 1) return std::nullopt;
        const auto nibble = static_cast<std::uint8_t>(bytes[i] & 0x0F);
        auto& target = reading.bytes[recordIndexOfPair(i / 2)];
        target = static_cast<std::uint8_t>(target | (i % 2 == 0 ? nibble << 4 : nibble));
    }
    return reading;
}

std::array<std::uint8_t, kFrameSize> packFrame(const MeterReading& reading) {
    std::array<std::uint8_t, kFrameSize> frame{};
    for (std::size_t i = 0; i < kFrameSize; ++i) {
        const std::uint8_t pair = reading.bytes[recordIndexOfPair(i / 2)];
        const auto nibble = static_cast<std::uint8_t>(i % 2 == 0 ? pair >> 4 : pair & 0x0F);
        frame[i] = static_cast<std::uint8_t>((i + 1) << 4 | nibble);
    }
    return frame;
}
