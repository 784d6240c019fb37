#include "win32/win32_dcb.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Win32Dcb, FlagsWordClearsFlowControlAndHoldsModemLinesOn) {
    struct Case {
        std::uint32_t reported;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {0x00000000, 0x00001013},  // nothing set: binary, parity check, DTR and RTS on
        {0xFFFFFFFF, 0xFFFFDCD3 | 0x1013}, {0x0000232C, 0x00001013},  // exactly the cleared bits
        {0x00003030, 0x00001013},  // DTR and RTS handshake become plain "enable"
        {0x00000020, 0x00001013},  // DTR_CONTROL_HANDSHAKE (2) becomes ENABLE (1)
        {0x00002000, 0x00001013},  // RTS_CONTROL_HANDSHAKE (2) becomes ENABLE (1)
        {0x00004000, 0x00005013},  // fAbortOnError is the driver's to keep
        {0x000000C0, 0x000010D3},  // fDsrSensitivity and fTXContinueOnXoff kept
        {0x00000C00, 0x00001C13},  // fErrorChar and fNull kept
        {0xFFFF0000, 0xFFFF1013},  // the reserved high bits are not touched
    };
    for (const Case& c : cases) {
        EXPECT_EQ(meterDcbFlags(c.reported), c.expected) << std::hex << "reported 0x" << c.reported;
        // The bit fields the line depends on, read back as a driver would.
        const std::uint32_t f = meterDcbFlags(c.reported);
        EXPECT_EQ(f & 0x1, 1u);        // fBinary
        EXPECT_EQ(f >> 1 & 0x1, 1u);   // fParity
        EXPECT_EQ(f >> 2 & 0x3, 0u);   // fOutxCtsFlow, fOutxDsrFlow
        EXPECT_EQ(f >> 4 & 0x3, 1u);   // fDtrControl
        EXPECT_EQ(f >> 8 & 0x3, 0u);   // fOutX, fInX
        EXPECT_EQ(f >> 12 & 0x3, 1u);  // fRtsControl
    }
}

TEST(Win32Dcb, LineMembersTakeTheSettingsAndNothingElseChanges) {
    struct Case {
        LineSettings line;
        std::uint8_t parity;
        std::uint8_t stopBits;
    };
    const Case cases[] = {
        {{2400, 8, LineSettings::Parity::none, LineSettings::StopBits::one}, 0, 0},
        {{9600, 7, LineSettings::Parity::odd, LineSettings::StopBits::two}, 1, 2},
        {{115200, 8, LineSettings::Parity::even, LineSettings::StopBits::one}, 2, 0},
        {{0, 5, LineSettings::Parity::none, LineSettings::StopBits::two}, 0, 2},
    };
    for (const Case& c : cases) {
        // A driver's state with every byte distinct, so a write to the wrong
        // member shows up.
        DcbImage reported;
        for (std::size_t i = 0; i < DcbImage::kSize; ++i)
            reported.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
        reported.put32(DcbImage::kLength, DcbImage::kSize);
        DcbImage dcb = reported;
        applyLineSettings(dcb, c.line);

        EXPECT_EQ(dcb.get32(DcbImage::kBaudRate), c.line.baud);
        EXPECT_EQ(dcb.get32(DcbImage::kFlags), meterDcbFlags(reported.get32(DcbImage::kFlags)));
        EXPECT_EQ(dcb.get16(DcbImage::kXonLim), 0);
        EXPECT_EQ(dcb.get16(DcbImage::kXoffLim), 384);
        EXPECT_EQ(dcb.bytes[DcbImage::kByteSize], c.line.dataBits);
        EXPECT_EQ(dcb.bytes[DcbImage::kParity], c.parity);
        EXPECT_EQ(dcb.bytes[DcbImage::kStopBits], c.stopBits);
        EXPECT_EQ(dcb.bytes[DcbImage::kXonChar], 0x11);
        EXPECT_EQ(dcb.bytes[DcbImage::kXoffChar], 0x13);
        EXPECT_EQ(dcb.bytes[DcbImage::kEofChar], 13);

        // DCBlength, wReserved, ErrorChar, EvtChar and wReserved1 are the driver's.
        for (std::size_t at : {0u, 1u, 2u, 3u, 12u, 13u, 23u, 25u, 26u, 27u})
            EXPECT_EQ(dcb.bytes[at], reported.bytes[at]) << "byte " << at;
    }
}

}  // namespace
