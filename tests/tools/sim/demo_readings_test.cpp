#include "demo_readings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

// Over-range limits by function code, as the program judges them (0 = none).
unsigned limitOf(const MeterReading& r) {
    switch (r.function()) {
        case 3:
            return r.subfunction() == 1 ? 20000 : 42000;
        case 4:
            return 2400;
        case 5:
        case 9:
            return 42000;
        default:
            return 0;
    }
}

TEST(DemoReadings, WalksThroughEveryFunctionAndRepeats) {
    std::set<unsigned> functions;
    std::set<std::pair<unsigned, unsigned>> modes;
    for (std::uint64_t i = 0; i < kDemoCycleFrames; ++i) {
        const MeterReading r = demoReading(i);
        functions.insert(r.function());
        modes.insert({r.function(), r.subfunction()});
        EXPECT_EQ(demoReading(i + kDemoCycleFrames), r);
        EXPECT_EQ(demoReading(i + 7 * kDemoCycleFrames), r);
        EXPECT_EQ(r.leadByte(), 0);
        EXPECT_EQ(r.tailByte(), 0);
    }
    EXPECT_EQ(functions, (std::set<unsigned>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // Resistance, diode, continuity and capacitance are all shown.
    for (unsigned sub = 0; sub < 4; ++sub) EXPECT_EQ(modes.count({3, sub}), 1u) << sub;
}

TEST(DemoReadings, ShowsHoldRelativeManualAndOverRange) {
    struct Seen {
        int hold = 0, relative = 0, manual = 0, overRange = 0, negative = 0;
    } seen;
    for (std::uint64_t i = 0; i < kDemoCycleFrames; ++i) {
        const MeterReading r = demoReading(i);
        const unsigned limit = limitOf(r);
        seen.hold += r.hold();
        seen.relative += r.relative();
        seen.manual += r.manualRange();
        seen.negative += r.negative();
        seen.overRange += limit != 0 && r.count() >= limit;
    }
    EXPECT_GT(seen.hold, 0);
    EXPECT_GT(seen.relative, 0);
    EXPECT_GT(seen.manual, 0);
    EXPECT_GT(seen.negative, 0);
    // Over range is an episode, not the rule.
    EXPECT_GT(seen.overRange, 0);
    EXPECT_LT(seen.overRange, static_cast<int>(kDemoSceneFrames));
}

TEST(DemoReadings, ValuesChangeSlowlyAndHoldFreezesThem) {
    for (std::uint64_t i = 1; i < kDemoCycleFrames; ++i) {
        const MeterReading before = demoReading(i - 1);
        const MeterReading now = demoReading(i);
        if (now.function() != before.function() || now.subfunction() != before.subfunction()) {
            continue;  // a new scene
        }
        const bool overRangeEdge = limitOf(now) != 0 && (now.count() >= limitOf(now)) !=
                                                            (before.count() >= limitOf(before));
        if (overRangeEdge) continue;
        const int change =
            (now.negative() ? -1 : 1) * now.count() - (before.negative() ? -1 : 1) * before.count();
        SCOPED_TRACE(i);
        // A fraction of the full scale per frame at most.
        EXPECT_LE(std::abs(change), 5000);
        if (now.hold()) {
            EXPECT_EQ(now.count(), before.count());
        }
    }
}

}  // namespace
