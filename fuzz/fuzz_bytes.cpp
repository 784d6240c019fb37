#include "fuzz_bytes.h"

#include <algorithm>

std::uint8_t FuzzBytes::byte() {
    if (data_.empty()) return 0;
    const std::uint8_t b = data_.front();
    data_ = data_.subspan(1);
    return b;
}

std::uint32_t FuzzBytes::u32() {
    std::uint32_t v = 0;
    const std::span<const std::uint8_t> bytes = take(4);
    for (std::size_t i = 0; i < bytes.size(); ++i) v |= std::uint32_t{bytes[i]} << (8 * i);
    return v;
}

std::uint32_t FuzzBytes::inRange(std::uint32_t lo, std::uint32_t hi) {
    if (hi <= lo) return lo;
    const std::uint64_t span = std::uint64_t{hi} - lo + 1;
    // As few bytes as the span needs, so that small choices stay cheap to mutate.
    std::uint64_t raw = 0;
    for (std::uint64_t reach = 1; reach < span; reach <<= 8) raw = raw << 8 | byte();
    return static_cast<std::uint32_t>(lo + raw % span);
}

std::span<const std::uint8_t> FuzzBytes::take(std::size_t n) {
    const std::size_t k = std::min(n, data_.size());
    const std::span<const std::uint8_t> taken = data_.first(k);
    data_ = data_.subspan(k);
    return taken;
}

std::string_view FuzzBytes::restAsText() {
    const std::span<const std::uint8_t> bytes = rest();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
