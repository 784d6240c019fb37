#include "reading/reading_interpretation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct RuleCase {
    int function, subfunction, range;
    unsigned count;
    bool negative;
    int decimalPosition;
    bool inRange;
    float value;
    const char* unit;
};

// Every function/subfunction row, the limits on both sides, positions above 4.
const RuleCase kRuleCases[] = {
    // AC voltage and its frequency/percent sub-functions: never over range.
    {0, 0, 3, 65535, false, 3, true, 655.35f, "Vac"},
    {0, 1, 2, 12345, false, 1, true, 1.2345f, "KHz"},
    {0, 1, 0, 100, false, 2, true, 0.1f, "Hz"},
    {0, 1, 7, 65535, false, 3, true, 655.35f, "MHz"},
    {0, 2, 1, 500, false, 1, true, 0.05f, "%"},
    {0, 3, 2, 7, false, 2, true, 0.007f, "NC"},
    {1, 0, 3, 345, false, 3, true, 3.45f, "VDC"},
    {1, 9, 4, 345, true, 4, true, -34.5f, "VDC"},
    {2, 0, 2, 12345, false, 1, true, 1.2345f, "KHz"},
    {2, 0, 5, 65535, false, 1, true, 6.5535f, "MHz"},
    {2, 1, 0, 65535, false, 3, true, 655.35f, "%"},
    {2, 2, 4, 1, false, 4, true, 0.1f, "NC"},
    // Resistance family.
    {3, 0, 0, 41999, false, 3, true, 419.99f, "Ohms"},
    {3, 0, 0, 42000, false, 3, false, 0.0f, "Ohms"},
    {3, 0, 1, 1234, false, 1, true, 0.1234f, "KOhms"},
    {3, 0, 3, 1234, false, 3, true, 12.34f, "KOhms"},
    {3, 0, 4, 1234, false, 1, true, 0.1234f, "MOhms"},
    {3, 0, 5, 1234, false, 2, true, 1.234f, "MOhms"},
    {3, 0, 6, 1234, false, 0, true, 1234.0f, "NC"},
    {3, 0, 7, 1234, false, 0, true, 1234.0f, "NC"},
    {3, 1, 5, 19999, false, 1, true, 1.9999f, "V.Diode"},
    {3, 1, 5, 20000, false, 1, false, 0.0f, "V.Diode"},
    {3, 2, 0, 41999, false, 3, true, 419.99f, "Ohms.Cont."},
    {3, 2, 0, 42000, false, 3, false, 0.0f, "Ohms.Cont."},
    {3, 3, 3, 1000, false, 1, true, 0.1f, "\265F"},
    {3, 3, 0, 1000, false, 2, true, 1.0f, "nF"},
    {3, 3, 6, 1000, false, 1, true, 0.1f, "mF"},
    {3, 3, 7, 42000, false, 2, false, 0.0f, "mF"},
    {3, 4, 6, 65535, false, 6, true, 65535.0f, "NC"},
    // Temperature.
    {4, 0, 0, 2399, false, 4, true, 239.9f, "\260C"},
    {4, 1, 0, 2400, false, 4, false, 0.0f, "\260F"},
    // Currents and the rest.
    {5, 0, 2, 41999, false, 3, true, 419.99f, "A DC"},
    {5, 1, 2, 42000, false, 3, false, 0.0f, "A AC"},
    {6, 0, 1, 65535, false, 3, true, 655.35f, "mA DC"},
    {6, 2, 3, 12345, false, 5, true, 12345.0f, "mA AC"},
    {7, 0, 0, 65535, false, 3, true, 655.35f, "%"},
    {7, 0, 7, 65535, false, 10, true, 65535.0f, "%"},
    {8, 0, 2, 12345, true, 5, true, -12345.0f, "\265A DC"},
    {8, 1, 1, 65535, false, 4, true, 6553.5f, "\265A AC"},
    {9, 0, 6, 41999, false, 3, true, 419.99f, "mV DC"},
    {9, 3, 0, 42000, true, 3, false, -0.0f, "mV AC"},
    {10, 0, 2, 65535, false, 2, true, 65.535f, "NC"},
    {11, 0, 1, 5, true, 1, true, -0.0005f, "NC"},
    {15, 15, 7, 7, false, 7, true, 7.0f, "NC"},
};

TEST(InterpretFields, FollowsTheRuleForEveryFunction) {
    for (const RuleCase& c : kRuleCases) {
        SCOPED_TRACE(testing::Message() << "function " << c.function << " sub " << c.subfunction
                                        << " range " << c.range << " count " << c.count);
        const auto r = interpretFields(
            static_cast<std::uint8_t>(c.function), static_cast<std::uint8_t>(c.subfunction),
            static_cast<std::uint8_t>(c.range), static_cast<std::uint16_t>(c.count), c.negative);
        EXPECT_EQ(r.decimalPosition, c.decimalPosition);
        EXPECT_EQ(r.inRange, c.inRange);
        EXPECT_FLOAT_EQ(r.value, c.value);
        EXPECT_EQ(std::signbit(r.value), c.negative);
        EXPECT_EQ(std::string(unitName(static_cast<std::uint8_t>(c.function),
                                       static_cast<std::uint8_t>(c.subfunction),
                                       static_cast<std::uint8_t>(c.range))),
                  c.unit);
    }
}

TEST(InterpretFields, NeverOverRangeFunctionsStayInRangeAtFullCount) {
    const int neverOver[][2] = {{0, 1}, {0, 0}, {1, 0}, {2, 0}, {2, 1}, {6, 0}, {7, 0}, {8, 0}};
    for (const auto& fs : neverOver) {
        for (std::uint8_t range = 0; range < 8; ++range) {
            EXPECT_TRUE(interpretFields(static_cast<std::uint8_t>(fs[0]),
                                        static_cast<std::uint8_t>(fs[1]), range, 65535, false)
                            .inRange)
                << fs[0] << "/" << fs[1] << " range " << int{range};
        }
    }
}

TEST(ScaleCount, ExactSinglePrecisionProducts) {
    struct Case {
        unsigned count;
        int position;
        bool inRange, negative;
        float expected;
    };
    const Case cases[] = {
        {12345, 2, true, false, 12345.0f * 0.001f},
        {12345, 4, true, true, -(12345.0f * 0.1f)},
        {12345, 0, true, false, 12345.0f},
        {5, 1, true, true, -(5.0f * 0.0001f)},
        {345, 3, true, false, 345.0f * 0.01f},
        {345, 5, true, false, 345.0f},
        {345, 10, true, true, -345.0f},
        {42000, 3, false, false, 0.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            scaleCount(static_cast<std::uint16_t>(c.count), c.position, c.inRange, c.negative),
            c.expected)
            << c.count << " at " << c.position;
    }
}

TEST(CountDigits, UnitsFirst) {
    EXPECT_EQ(countDigits(12345), (CountDigits{5, 4, 3, 2, 1}));
    EXPECT_EQ(countDigits(65535), (CountDigits{5, 3, 5, 5, 6}));
    EXPECT_EQ(countDigits(7), (CountDigits{7, 0, 0, 0, 0}));
    EXPECT_EQ(countDigits(0), (CountDigits{0, 0, 0, 0, 0}));
}

TEST(InterpretReading, FunctionTenRewritesTheStoredRecordButNotTheResult) {
    MeterReading stored;
    stored.bytes = {0xAB, 0x39, 0x30, 0x6A, 0x3A, 0x20, 0x77};  // count 12345, range 2
    ASSERT_EQ(stored.function(), 10);
    ASSERT_EQ(stored.count(), 12345);
    const auto r = interpretReading(stored);
    EXPECT_EQ(r.decimalPosition, 2);
    EXPECT_TRUE(r.inRange);
    EXPECT_FLOAT_EQ(r.value, 12.345f);

    EXPECT_EQ(stored.count(), 0x5B38);
    EXPECT_EQ(stored.range(), 0);
    EXPECT_TRUE(stored.negative());
    EXPECT_TRUE(stored.hold());
    EXPECT_TRUE(stored.relative());
    EXPECT_FALSE(stored.manualRange());
    // Function, sub-function and the uninterpreted bits are untouched.
    EXPECT_EQ(stored.function(), 10);
    EXPECT_EQ(stored.subfunction(), 3);
    EXPECT_EQ(stored.leadByte(), 0xAB);
    EXPECT_EQ(stored.bytes[3] & ~0x17, 0x6A & ~0x17);
    EXPECT_EQ(stored.status() & 0x1F, 0x00);
    EXPECT_EQ(stored.tailByte(), 0x77);
}

TEST(InterpretReading, OtherFunctionsLeaveTheRecordAlone) {
    MeterReading stored;
    stored.setFunction(3);
    stored.setCount(41999);
    stored.setManualRange(true);
    const MeterReading before = stored;
    const auto r = interpretReading(stored);
    EXPECT_TRUE(r.inRange);
    EXPECT_EQ(stored, before);
}

}  // namespace
