#include "line_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;
using Duration = LineSchedule::Duration;

// Reserves frames of the given sizes and returns the offset of each frame's first byte.
std::vector<Duration> frameStarts(LineSchedule& schedule, const std::vector<int>& sizes) {
    std::vector<Duration> starts;
    for (const int size : sizes) {
        schedule.startFrame();
        starts.push_back(schedule.nextByte());
        for (int i = 1; i < size; ++i) schedule.nextByte();
    }
    return starts;
}

TEST(LineSchedule, ByteTimesFollowTheBaudRate) {
    EXPECT_EQ(LineSchedule::bytesDuration(0), Duration{0});
    EXPECT_EQ(LineSchedule::bytesDuration(1), nanoseconds{4'166'666});
    EXPECT_EQ(LineSchedule::bytesDuration(14), nanoseconds{58'333'333});
    EXPECT_EQ(LineSchedule::bytesDuration(240), seconds{1});
    EXPECT_EQ(LineSchedule::bytesDuration(240 * 3600), seconds{3600});
    EXPECT_EQ(LineSchedule::bytesDuration(240 * 14, 14), seconds{1});
}

TEST(LineSchedule, FramesStartInTheirSlotsOrWhenTheLineIsFree) {
    const Duration frame14 = LineSchedule::bytesDuration(14);
    struct Case {
        const char* name;
        double rate;
        std::vector<int> sizes;
        std::vector<Duration> starts;
    };
    const Case cases[] = {
        {"two a second", 2, {14, 14, 14}, {milliseconds{0}, milliseconds{500}, seconds{1}}},
        {"ten a second", 10, {14, 14}, {milliseconds{0}, milliseconds{100}}},
        {"faster than the line: back to back",
         20,
         {14, 14, 14, 14},
         {Duration{0}, frame14, LineSchedule::bytesDuration(28), LineSchedule::bytesDuration(42)}},
        {"no slots: back to back", 0, {14, 14}, {Duration{0}, frame14}},
        {"a long frame pushes the next, the one after is on time",
         2,
         {200, 14, 14},
         {Duration{0}, LineSchedule::bytesDuration(200), seconds{1}}},
        {"just faster than the line", 17.5, {14, 14}, {Duration{0}, frame14}},
        {"slot just after the line is free",
         1000.0 / 60.0,
         {14, 14},
         {Duration{0}, milliseconds{60}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LineSchedule schedule(c.rate);
        EXPECT_EQ(frameStarts(schedule, c.sizes), c.starts);
    }
}

TEST(LineSchedule, BytesOfAFrameFollowEachOther) {
    LineSchedule schedule(2);
    schedule.startFrame();
    Duration previous = schedule.nextByte();
    for (int i = 1; i < 14; ++i) {
        const Duration now = schedule.nextByte();
        const auto gap = (now - previous).count();
        EXPECT_TRUE(gap == 4'166'666 || gap == 4'166'667) << gap;
        previous = now;
    }
    EXPECT_EQ(schedule.lineFreeAt(), LineSchedule::bytesDuration(14));
}

TEST(LineSchedule, DoesNotDriftOverLongRuns) {
    struct Case {
        double rate;
        int frames;
        Duration lastStart;
    };
    const Case cases[] = {
        {2, 100'001, seconds{50'000}},
        {3, 30'001, seconds{10'000}},
        {0, 24'001, LineSchedule::bytesDuration(14 * 24'000)},
        {50, 24'001, LineSchedule::bytesDuration(14 * 24'000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        LineSchedule schedule(c.rate);
        const std::vector<int> sizes(static_cast<std::size_t>(c.frames), 14);
        EXPECT_EQ(frameStarts(schedule, sizes).back(), c.lastStart);
    }
}

}  // namespace
