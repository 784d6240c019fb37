#include "settings/settings_text.h"

#include <gtest/gtest.h>

namespace {

const SettingDescriptor kNumber{"ColorChart", StorageType::RegDword, 4};
const SettingDescriptor kWindow{"Window", StorageType::RegBinary, 16};
const SettingDescriptor kText{"LogFile", StorageType::RegSz, 128};

std::optional<std::uint32_t> numberOf(std::string_view text) {
    const auto bytes = parseSettingText(kNumber, text);
    if (!bytes) return std::nullopt;
    EXPECT_EQ(bytes->size(), 4u);
    return std::uint32_t{(*bytes)[0]} | std::uint32_t{(*bytes)[1]} << 8 |
           std::uint32_t{(*bytes)[2]} << 16 | std::uint32_t{(*bytes)[3]} << 24;
}

TEST(SettingText, Numbers) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {"3", 3u},
        {" 2400 ", 2400u},
        {"4294967295", 0xFFFFFFFFu},
        {"0xFF00FF00", 0xFF00FF00u},
        {"0X60ffffff", 0x60FFFFFFu},
        {"0x0000000000000001", 1u},
        {"4294967296", std::nullopt},
        {"0x100000000", std::nullopt},
        {"-1", std::nullopt},
        {"+5", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"0x", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"0xGG", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(numberOf(c.text), c.value) << '"' << c.text << '"';
}

TEST(SettingText, WindowRectangle) {
    struct Case {
        const char* text;
        bool parses;
        std::int32_t parts[4];
    };
    const Case cases[] = {
        {"100, 100, 658, 480", true, {100, 100, 658, 480}},
        {"-1920,-8,1920,1080", true, {-1920, -8, 1920, 1080}},
        {" 0 , 0 , 0 , 0 ", true, {0, 0, 0, 0}},
        {"-2147483648, 2147483647, 1, 1", true, {INT32_MIN, INT32_MAX, 1, 1}},
        {"100, 100, 658", false, {}},
        {"100, 100, 658, 480, 5", false, {}},
        {"100, 100, 658, 2147483648", false, {}},
        {"100, , 658, 480", false, {}},
        {"a, b, c, d", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        const auto bytes = parseSettingText(kWindow, c.text);
        ASSERT_EQ(bytes.has_value(), c.parses) << c.text;
        if (!bytes) continue;
        std::vector<std::uint8_t> expected;
        for (std::int32_t part : c.parts)
            for (int i = 0; i < 4; ++i)
                expected.push_back(
                    static_cast<std::uint8_t>(static_cast<std::uint32_t>(part) >> (8 * i)));
        EXPECT_EQ(*bytes, expected) << c.text;
        EXPECT_EQ(parseSettingText(kWindow, *formatSettingText(kWindow, *bytes)), bytes) << c.text;
    }
}

TEST(SettingText, FormatsEachType) {
    const std::vector<std::uint8_t> colour{0x00, 0xFF, 0x00, 0xFF};
    const std::vector<std::uint8_t> window{0xF8, 0xFF, 0xFF, 0xFF, 20, 0, 0, 0,
                                           0,    4,    0,    0,    0,  3, 0, 0};
    const std::string path = "/tmp/a b,c.log";
    struct Case {
        const SettingDescriptor* setting;
        std::vector<std::uint8_t> bytes;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {&kNumber, colour, "4278255360"},           {&kNumber, {1, 2}, std::nullopt},
        {&kWindow, window, "-8, 20, 1024, 768"},    {&kWindow, colour, std::nullopt},
        {&kText, {path.begin(), path.end()}, path},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatSettingText(*c.setting, c.bytes), c.text) << c.setting->name;
        if (c.text) {
            EXPECT_EQ(parseSettingText(*c.setting, *c.text), c.bytes) << c.setting->name;
        }
    }
}

}  // namespace
