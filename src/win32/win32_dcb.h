#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/serial_device.h"

// The Win32 device control block (DCB) as its 28 little-endian bytes. The line
// setup is worked out on this image, so it is the same code, and tested the
// same way, on every platform; the Win32 device copies it in and out of a DCB.
struct DcbImage {
    static constexpr std::size_t kSize = 28;
    // Byte offsets of the members the link reads or writes.
    static constexpr std::size_t kLength = 0;
    static constexpr std::size_t kBaudRate = 4;
    static constexpr std::size_t kFlags = 8;  // the packed bit fields, fBinary in bit 0
    static constexpr std::size_t kXonLim = 14;
    static constexpr std::size_t kXoffLim = 16;
    static constexpr std::size_t kByteSize = 18;
    static constexpr std::size_t kParity = 19;
    static constexpr std::size_t kStopBits = 20;
    static constexpr std::size_t kXonChar = 21;
    static constexpr std::size_t kXoffChar = 22;
    static constexpr std::size_t kEofChar = 24;

    std::array<std::uint8_t, kSize> bytes{};

    constexpr std::uint32_t get32(std::size_t at) const {
        return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
               std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
    }
    constexpr void put32(std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    constexpr std::uint16_t get16(std::size_t at) const {
        return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
    }
    constexpr void put16(std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
};

// The packed flags word for the meter's line: no flow control of any kind
// (fOutxCtsFlow 0x4, fOutxDsrFlow 0x8, fOutX 0x100, fInX 0x200 cleared), DTR
// and RTS held on (fDtrControl and fRtsControl 1), fBinary and fParity set.
// Every other flag keeps what the driver reported.
inline constexpr std::uint32_t kDcbFlagsKept = 0xFFFFDCD3;
inline constexpr std::uint32_t kDcbFlagsSet = 0x1013;

constexpr std::uint32_t meterDcbFlags(std::uint32_t reported) {
    return (reported & kDcbFlagsKept) | kDcbFlagsSet;
}

// The DCB codes of the line's parity and stop bits (NOPARITY 0, ODDPARITY 1,
// EVENPARITY 2; ONESTOPBIT 0, TWOSTOPBITS 2).
constexpr std::uint8_t dcbParity(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::odd:
            return 1;
        case LineSettings::Parity::even:
            return 2;
        case LineSettings::Parity::none:
            break;
    }
    return 0;
}
constexpr std::uint8_t dcbStopBits(LineSettings::StopBits stopBits) {
    return stopBits == LineSettings::StopBits::two ? 2 : 0;
}

// Turns the state GetCommState reported into the one SetCommState is given:
// only the members of the meter's line change.
constexpr void applyLineSettings(DcbImage& dcb, const LineSettings& line) {
    dcb.put32(DcbImage::kBaudRate, line.baud);
    dcb.put32(DcbImage::kFlags, meterDcbFlags(dcb.get32(DcbImage::kFlags)));
    dcb.put16(DcbImage::kXonLim, 0);
    dcb.put16(DcbImage::kXoffLim, 384);
    dcb.bytes[DcbImage::kByteSize] = line.dataBits;
    dcb.bytes[DcbImage::kParity] = dcbParity(line.parity);
    dcb.bytes[DcbImage::kStopBits] = dcbStopBits(line.stopBits);
    dcb.bytes[DcbImage::kXonChar] = 0x11;
    dcb.bytes[DcbImage::kXoffChar] = 0x13;
    dcb.bytes[DcbImage::kEofChar] = 13;
}
