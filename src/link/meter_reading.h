#pragma once

#include <array>
#include <cstdint>

// The 7-byte reading decoded from one meter frame. The bytes are kept whole,
// uninterpreted bits included; every accessor reads or writes its field in place.
//
//   R0-R3  valueWord (little-endian): leadByte 0-7, count 8-23, range 24-26,
//          rangeSpare 27, negative 28, signSpare 29-31
//   R4     modeByte: function (low nibble), subfunction (high nibble)
//   R5     status: hold 0x80, relative 0x40, manualRange 0x20, statusSpare 0x1F
//   R6     tailByte
struct MeterReading {
    static constexpr std::uint8_t kHold = 0x80;
    static constexpr std::uint8_t kRelative = 0x40;
    static constexpr std::uint8_t kManualRange = 0x20;

    std::array<std::uint8_t, 7> bytes{};

    std::uint32_t valueWord() const {
        return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
               std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    }
    std::uint8_t leadByte() const { return bytes[0]; }
    std::uint16_t count() const { return static_cast<std::uint16_t>(bytes[1] | bytes[2] << 8); }
    void setCount(std::uint16_t c) {
        bytes[1] = static_cast<std::uint8_t>(c & 0xFF);
        bytes[2] = static_cast<std::uint8_t>(c >> 8);
    }
    std::uint8_t range() const { return bytes[3] & 0x07; }
    void setRange(std::uint8_t r) {
        bytes[3] = static_cast<std::uint8_t>((bytes[3] & ~0x07) | (r & 0x07));
    }
    bool negative() const { return (bytes[3] & 0x10) != 0; }
    void setNegative(bool on) { setBit(bytes[3], 0x10, on); }

    std::uint8_t modeByte() const { return bytes[4]; }
    std::uint8_t function() const { return bytes[4] & 0x0F; }
    void setFunction(std::uint8_t f) {
        bytes[4] = static_cast<std::uint8_t>((bytes[4] & 0xF0) | (f & 0x0F));
    }
    std::uint8_t subfunction() const { return bytes[4] >> 4; }
    void setSubfunction(std::uint8_t s) {
        bytes[4] = static_cast<std::uint8_t>((bytes[4] & 0x0F) | (s & 0x0F) << 4);
    }

    std::uint8_t status() const { return bytes[5]; }
    bool hold() const { return (bytes[5] & kHold) != 0; }
    void setHold(bool on) { setBit(bytes[5], kHold, on); }
    bool relative() const { return (bytes[5] & kRelative) != 0; }
    void setRelative(bool on) { setBit(bytes[5], kRelative, on); }
    bool manualRange() const { return (bytes[5] & kManualRange) != 0; }
    void setManualRange(bool on) { setBit(bytes[5], kManualRange, on); }

    std::uint8_t tailByte() const { return bytes[6]; }

    friend bool operator==(const MeterReading&, const MeterReading&) = default;

  private:
    static void setBit(std::uint8_t& b, std::uint8_t mask, bool on) {
        b = static_cast<std::uint8_t>(on ? (b | mask) : (b & ~mask));
    }
};

static_assert(sizeof(MeterReading) == 7);
