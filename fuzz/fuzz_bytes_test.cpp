#include "fuzz_bytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

TEST(FuzzBytes, ReadsChoicesFrontToBackAndZeroOnceExhausted) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> input;
        std::function<std::uint32_t(FuzzBytes&)> read;
        std::uint32_t expected;
        std::size_t left;
    };
    const std::vector<Case> cases = {
        {"u32 is little-endian",
         {1, 2, 3, 4, 5},
         [](FuzzBytes& in) { return in.u32(); },
         0x04030201,
         1},
        {"u32 from a short tail", {0x34, 0x12}, [](FuzzBytes& in) { return in.u32(); }, 0x1234, 0},
        {"byte past the end is 0", {}, [](FuzzBytes& in) { return in.byte(); }, 0, 0},
        {"flag is the low bit", {0xFE}, [](FuzzBytes& in) { return in.flag() ? 1u : 0u; }, 0, 0},
        {"small range takes one byte",
         {17, 9},
         [](FuzzBytes& in) { return in.inRange(1, 16); },
         2,
         1},
        {"wide range takes two bytes",
         {0x03, 0xE8, 7},
         [](FuzzBytes& in) { return in.inRange(0, 1000); },
         1000,
         1},
        {"range wraps around its span",
         {0x03, 0xE9},
         [](FuzzBytes& in) { return in.inRange(0, 1000); },
         0,
         0},
        {"single value takes nothing", {9}, [](FuzzBytes& in) { return in.inRange(5, 5); }, 5, 1},
        {"reversed bounds give lo", {9}, [](FuzzBytes& in) { return in.inRange(7, 3); }, 7, 1},
        {"full 32-bit range",
         {0xFF, 0xFF, 0xFF, 0xFF},
         [](FuzzBytes& in) { return in.inRange(0, 0xFFFFFFFF); },
         0xFFFFFFFF,
         0},
        {"take stops at the end",
         {1, 2},
         [](FuzzBytes& in) { return static_cast<std::uint32_t>(in.take(3).size()); },
         2,
         0},
        {"text is the rest",
         {'a', 'b', 'c'},
         [](FuzzBytes& in) {
             in.byte();
             return static_cast<std::uint32_t>(in.restAsText() == "bc");
         },
         1,
         0},
    };
    for (const Case& c : cases) {
        FuzzBytes in(c.input);
        EXPECT_EQ(c.read(in), c.expected) << c.name;
        EXPECT_EQ(in.remaining(), c.left) << c.name;
    }
}

}  // namespace
