#include "history/logged_reading.h"

#include <gtest/gtest.h>

#include "history/sample_history.h"
#include "support/reading_builder.h"

namespace {

// A clock that counts its readings, so that "read once" can be checked.
struct CountingClock final : Clock {
    LocalDateTime time{2021, 3, 7, 14, 5, 9};
    mutable int reads = 0;
    LocalDateTime now() const override {
        ++reads;
        return time;
    }
};

TEST(DecideLogging, LogsOnlyHeldFreeInRangeReadings) {
    const struct {
        const char* name;
        MeterReading r;
        bool logged;
    } cases[] = {
        {"resistance 41999", makeReading(3, 0, 0, 41999), true},
        {"resistance 42000", makeReading(3, 0, 0, 42000), false},
        {"diode 20000", makeReading(3, 1, 0, 20000), false},
        {"temperature 2400", makeReading(4, 0, 0, 2400), false},
        {"held", makeReading(1, 0, 3, 345, false, true), false},
        {"no reading yet", makeReading(10, 0, 2, 100), false},
        {"uA at full count", makeReading(8, 0, 2, 65535), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MeterReading stored = c.r;
        CountingClock clock;
        const auto logged = decideLogging(stored, clock);
        EXPECT_EQ(logged.has_value(), c.logged);
        EXPECT_EQ(clock.reads, c.logged ? 1 : 0);
    }
}

TEST(DecideLogging, LineValueAndTimeComeFromOneClockReading) {
    MeterReading stored = makeReading(1, 0, 3, 12, true);
    CountingClock clock;
    const auto logged = decideLogging(stored, clock);
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->line, " 3/07/2021  2:05:09PM   -0.12 VDC");
    EXPECT_EQ(logged->value, -(12.0f * 0.01f));
    EXPECT_EQ(logged->timeOfDay, packTimeOfDay(14, 5, 9));
    EXPECT_EQ(logged->when.hour, 14);
    EXPECT_EQ(logged->valueField, "  -0.12");
    EXPECT_EQ(logged->unit, "VDC");
}

}  // namespace
