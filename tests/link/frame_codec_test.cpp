#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes allZeroFrame() {
    Bytes f;
    for (std::uint8_t i = 1; i <= 14; ++i) f.push_back(static_cast<std::uint8_t>(i << 4));
    return f;
}

TEST(FrameCodec, UnpacksValidFrames) {
    struct Case {
        const char* name;
        Bytes frame;
        std::array<std::uint8_t, 7> record;
        std::uint32_t valueWord;
        std::uint16_t count;
        std::uint8_t range, function, subfunction, status;
        bool negative, hold, relative, manualRange;
    };
    const Case cases[] = {
        {"plain",
         {0x10, 0x20, 0x31, 0x42, 0x53, 0x64, 0x70, 0x83, 0x90, 0xA1, 0xB0, 0xC0, 0xD0, 0xE0},
         {0x00, 0x34, 0x12, 0x03, 0x01, 0x00, 0x00},
         0x03123400,
         0x1234,
         3,
         1,
         0,
         0x00,
         false,
         false,
         false,
         false},
        {"negative held manual",
         {0x10, 0x20, 0x39, 0x4C, 0x54, 0x60, 0x71, 0x84, 0x91, 0xA5, 0xBA, 0xC0, 0xD0, 0xE0},
         {0x00, 0x40, 0x9C, 0x14, 0x15, 0xA0, 0x00},
         0x149C4000,
         40000,
         4,
         5,
         1,
         0xA0,
         true,
         true,
         false,
         true},
        {"all zero", allZeroFrame(), {}, 0, 0, 0, 0, 0, 0, false, false, false, false},
        {"full count",
         {0x10, 0x20, 0x3F, 0x4F, 0x5F, 0x6F, 0x70, 0x80, 0x90, 0xA0, 0xB4, 0xC0, 0xD0, 0xE0},
         {0x00, 0xFF, 0xFF, 0x00, 0x00, 0x40, 0x00},
         0x00FFFF00,
         65535,
         0,
         0,
         0,
         0x40,
         false,
         false,
         true,
         false},
        // Every bit nobody interprets is set: they must be carried, not masked.
        {"spare bits",
         {0x1A, 0x25, 0x30, 0x40, 0x50, 0x60, 0x7E, 0x88, 0x90, 0xA0, 0xB1, 0xCF, 0xDC, 0xE3},
         {0xA5, 0x00, 0x00, 0xE8, 0x00, 0x1F, 0xC3},
         0xE80000A5,
         0,
         0,
         0,
         0,
         0x1F,
         false,
         false,
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = unpackFrame(c.frame);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->bytes, c.record);
        EXPECT_EQ(r->valueWord(), c.valueWord);
        EXPECT_EQ(r->count(), c.count);
        EXPECT_EQ(r->range(), c.range);
        EXPECT_EQ(r->function(), c.function);
        EXPECT_EQ(r->subfunction(), c.subfunction);
        EXPECT_EQ(r->status(), c.status);
        EXPECT_EQ(r->negative(), c.negative);
        EXPECT_EQ(r->hold(), c.hold);
        EXPECT_EQ(r->relative(), c.relative);
        EXPECT_EQ(r->manualRange(), c.manualRange);
        const auto repacked = packFrame(*r);
        EXPECT_TRUE(std::equal(repacked.begin(), repacked.end(), c.frame.begin(), c.frame.end()));
    }
}

TEST(FrameCodec, DropsMalformedCandidates) {
    const Bytes good = {0x10, 0x20, 0x31, 0x42, 0x53, 0x64, 0x70,
                        0x83, 0x90, 0xA1, 0xB0, 0xC0, 0xD0, 0xE0};
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"bytes 12 and 13 exchanged",
         {0x10, 0x20, 0x31, 0x42, 0x53, 0x64, 0x70, 0x83, 0x90, 0xA1, 0xB0, 0xD0, 0xC0, 0xE0}},
        {"13 bytes",
         {0x10, 0x20, 0x31, 0x42, 0x53, 0x64, 0x70, 0x83, 0x90, 0xA1, 0xB0, 0xC0, 0xE0}},
        {"empty", {}},
    };
    Bytes fifteen = good;
    fifteen.push_back(0xF0);
    cases.emplace_back("15 bytes, first 14 right", fifteen);
    Bytes thirteen(good.begin(), good.end() - 1);
    cases.emplace_back("first 13 of a good frame", thirteen);
    // A wrong position nibble in any single byte, the last included.
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::size_t wrongHigh : {std::size_t{0}, std::size_t{15}, (i + 2) & 0xF}) {
            Bytes bad = good;
            bad[i] = static_cast<std::uint8_t>(wrongHigh << 4 | (good[i] & 0x0Fu));
            cases.emplace_back("byte " + std::to_string(i) + " high " + std::to_string(wrongHigh),
                               bad);
        }
    }
    for (const auto& [name, frame] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(unpackFrame(frame).has_value());
    }
}

TEST(FrameCodec, PackThenUnpackRoundTripsEveryBit) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 5000; ++n) {
        MeterReading r;
        for (auto& b : r.bytes) b = static_cast<std::uint8_t>(byte(rng));
        const auto frame = packFrame(r);
        for (std::size_t i = 0; i < frame.size(); ++i) ASSERT_EQ(frame[i] >> 4, i + 1);
        const auto back = unpackFrame(frame);
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(back->bytes, r.bytes);
    }
}

}  // namespace
