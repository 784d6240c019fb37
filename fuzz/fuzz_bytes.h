#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Reads a fuzzer's input front to back as small typed choices. Once the input
// runs out every read returns zero or an empty span, so a harness never has to
// check how much is left before it asks.
class FuzzBytes {
  public:
    explicit FuzzBytes(std::span<const std::uint8_t> data) : data_(data) {}

    bool empty() const { return data_.empty(); }
    std::size_t remaining() const { return data_.size(); }

    std::uint8_t byte();
    bool flag() { return (byte() & 1) != 0; }
    // Little-endian, from as many bytes as are left (at most four).
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    // A value in lo..hi (both included); lo when hi < lo.
    std::uint32_t inRange(std::uint32_t lo, std::uint32_t hi);
    // The next n bytes, or fewer when the input ends first.
    std::span<const std::uint8_t> take(std::size_t n);
    std::span<const std::uint8_t> rest() { return take(data_.size()); }
    std::string_view restAsText();

  private:
    std::span<const std::uint8_t> data_;
};
