#include "history/sample_history.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeOfDay, PacksTwelveHourClock) {
    struct Case {
        int hour, minute, second;
        std::uint16_t packed;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, 0, 49152, "12:00:00"},
        {12, 0, 0, 49152, "12:00:00"},
        {23, 59, 59, 48891, "11:59:59"},
        {13, 5, 9, 4096 + 5 * 64 + 9, "1:05:09"},
        {9, 30, 0, 9 * 4096 + 30 * 64, "9:30:00"},
    };
    for (const Case& c : cases) {
        Sample s;
        s.timeOfDay = packTimeOfDay(c.hour, c.minute, c.second);
        EXPECT_EQ(s.timeOfDay, c.packed) << c.hour << ":" << c.minute;
        EXPECT_EQ(formatTimeOfDay(s), c.text);
    }
}

TEST(SampleHistory, LoadingWrapKeepsTheLastCapacitySamples) {
    SampleHistory h(8);
    for (int line = 1; line <= 10; ++line) {
        h.append(static_cast<float>(line), 0, false);
        if (h.position() == h.capacity()) h.wrap();
    }
    EXPECT_EQ(h.position(), 2u);
    EXPECT_EQ(h.count(), 8u);
    EXPECT_EQ(h.atAge(1).value, 10.0f);
    EXPECT_EQ(&h.atAge(1), &h.slot(1));
    EXPECT_EQ(h.atAge(8).value, 3.0f);
    EXPECT_EQ(&h.atAge(8), &h.slot(2));
}

TEST(SampleHistory, FullRingAtPositionZeroWrapsAgeOneToTheLastSlot) {
    SampleHistory h(4);
    for (int i = 0; i < 4; ++i) h.append(static_cast<float>(i), 0, false);
    h.wrap();
    EXPECT_EQ(&h.atAge(1), &h.slot(3));
    EXPECT_EQ(&h.atAge(4), &h.slot(0));
}

TEST(SampleHistory, LiveAppendFillsThenResetEmptiesEverySlot) {
    SampleHistory h(3);
    h.append(1.0f, 7, true);
    EXPECT_FALSE(h.isFull());
    h.append(2.0f, 7, false);
    h.append(3.0f, 7, false);
    EXPECT_TRUE(h.isFull());
    h.reset();
    EXPECT_EQ(h.position(), 0u);
    EXPECT_EQ(h.count(), 0u);
    EXPECT_EQ(h.slot(0).value, 0.0f);
    EXPECT_FALSE(h.slot(0).tagged());
    h.append(5.0f, 1, false);
    EXPECT_FALSE(h.atAge(1).tagged()) << "a new live sample is never tagged";
}

TEST(SampleHistory, CapacityIsBoundedToOneAndTheSlotCount) {
    EXPECT_EQ(SampleHistory(0).capacity(), 1u);
    EXPECT_EQ(SampleHistory(100000).capacity(), SampleHistory::kSlots);
    SampleHistory one(1);
    one.append(4.0f, 0, false);
    EXPECT_TRUE(one.isFull());
}

}  // namespace
