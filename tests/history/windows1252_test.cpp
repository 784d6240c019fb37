#include "history/windows1252.h"

#include <gtest/gtest.h>

namespace {

TEST(Windows1252, EveryByteRoundTripsThroughUtf16) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    auto back = utf16ToWindows1252(windows1252ToUtf16(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Windows1252, MapsSignsOfTheUnitTexts) {
    EXPECT_EQ(windows1252ToUtf16("\xB5"
                                 "A DC"),
              u"\u00B5A DC");
    EXPECT_EQ(windows1252ToUtf16("\xB0"
                                 "C"),
              u"\u00B0C");
    EXPECT_EQ(windows1252ToUtf16("\x80"), u"\u20AC");
    EXPECT_EQ(utf16ToWindows1252(u"\u2122"), std::string("\x99"));
    // One, two and three bytes of UTF-8.
    EXPECT_EQ(windows1252ToUtf8("\xB5"
                                "A DC, \xB0"
                                "C \x80"),
              "\u00B5A DC, \u00B0C \u20AC");
}

TEST(Windows1252, RejectsCharactersWithoutAByte) {
    EXPECT_FALSE(utf16ToWindows1252(u"\u2126").has_value());  // ohm sign
    EXPECT_FALSE(utf16ToWindows1252(u"probe \u4E2D").has_value());
    EXPECT_TRUE(utf16ToWindows1252(u"probe moved, \u00E9t\u00E9").has_value());
}

}  // namespace
