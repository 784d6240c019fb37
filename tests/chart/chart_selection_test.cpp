#include "chart/chart_selection.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "chart/selection_statistics.h"
#include "history/sample_history.h"

namespace {

const ScreenRect kChart{400, 100, 1000, 300};

// A history of `n` samples of value `value`, one per second from 1:00:00.
std::unique_ptr<SampleHistory> constantHistory(int n, float value) {
    auto h = std::make_unique<SampleHistory>();
    for (int i = 0; i < n; ++i) h->append(value, packTimeOfDay(13, i / 60, i % 60), false);
    return h;
}

TEST(ChartSelection, PressStartsADragOnceAndReleaseEndsIt) {
    struct Case {
        ScreenPoint cursor;
        int storedStartX;
        int zoom;
        int startX, marker;
    };
    const Case cases[] = {
        {{900, 200}, 0, 1, 900, 100},
        {{1000, 300}, 0, 1, 1000, 0},    // bottom-right corner is inside
        {{400, 100}, 0, 4, 400, 150},    // top-left corner is inside
        {{1001, 200}, 950, 1, 950, 50},  // outside: the last start is reused
        {{900, 99}, 0, -10, 0, 10000},   // first drag from elsewhere starts at x = 0
    };
    for (const Case& c : cases) {
        ChartView v;
        v.zoom = c.zoom;
        v.dragStartX = c.storedStartX;
        trackChartButton(v, true, c.cursor, kChart);
        EXPECT_TRUE(v.dragging);
        EXPECT_EQ(v.dragStartX, c.startX) << c.cursor.x << "," << c.cursor.y;
        EXPECT_EQ(v.firstMarker, c.marker) << c.cursor.x << "," << c.cursor.y;

        // Repainting while still pressed must not move the start.
        trackChartButton(v, true, {500, 200}, kChart);
        EXPECT_EQ(v.firstMarker, c.marker);
        trackChartButton(v, false, {500, 200}, kChart);
        EXPECT_FALSE(v.dragging);
        EXPECT_EQ(v.firstMarker, c.marker);
    }
}

TEST(ChartSelection, DragTicksFollowTheCursorOnlyInsideTheChart) {
    auto h = constantHistory(200, 1.0f);
    ChartView v;
    SelectionStatistics stats;
    trackChartButton(v, true, {900, 200}, kChart);

    struct Tick {
        ScreenPoint cursor;
        int secondMarker;
        bool redraw, textChanged;
    };
    const Tick ticks[] = {
        {{900, 200}, 100, true, false},  // not moved: equal markers, no statistics
        {{950, 200}, 50, true, true},
        {{1200, 200}, 50, false, false},  // left the chart: nothing changes
        {{960, 301}, 50, false, false},
        {{960, 300}, 40, true, true},  // back on the bottom edge: resumes
    };
    for (const Tick& t : ticks) {
        const SelectionUpdate u = updateSelection(v, stats, *h, t.cursor, kChart);
        EXPECT_EQ(v.secondMarker, t.secondMarker) << t.cursor.x;
        EXPECT_EQ(u.redraw, t.redraw) << t.cursor.x;
        EXPECT_EQ(u.textChanged, t.textChanged) << t.cursor.x;
    }

    trackChartButton(v, false, {960, 300}, kChart);
    const SelectionUpdate idle = updateSelection(v, stats, *h, {920, 200}, kChart);
    EXPECT_FALSE(idle.redraw);
    EXPECT_EQ(v.secondMarker, 40);
}

TEST(ChartSelection, PressAndDragExampleSelectsFiftyOneSamples) {
    auto h = constantHistory(200, 2.0f);
    ChartView v;
    SelectionStatistics stats;
    trackChartButton(v, true, {900, 150}, kChart);
    ASSERT_EQ(v.firstMarker, 100);
    updateSelection(v, stats, *h, {950, 150}, kChart);
    ASSERT_EQ(v.secondMarker, 50);
    // Ages 50..100 are samples 100..150 of the run, seconds 1:01:40 .. 1:02:30.
    EXPECT_EQ(stats.text(),
              "1:01:40 - 1:02:30\nTotal:\t102.000000\nTime:\t0:00:51\nAvg:\t2.000000");
    EXPECT_EQ(stats.total(), 102.0f);
}

TEST(SelectionStatistics, TextForTwoSamples) {
    SampleHistory h;
    h.append(1.5f, packTimeOfDay(13, 5, 9), false);
    h.append(2.5f, packTimeOfDay(13, 5, 10), false);
    SelectionStatistics stats;
    ASSERT_TRUE(stats.compute(h, 1, 2));
    EXPECT_EQ(stats.text(), "1:05:09 - 1:05:10\nTotal:\t4.000000\nTime:\t0:00:02\nAvg:\t2.000000");
}

TEST(SelectionStatistics, DurationIsTheSampleCountAsSeconds) {
    struct Case {
        std::uint32_t k;
        const char* text;
    };
    const Case cases[] = {
        {59, "0:00:59"}, {60, "0:01:00"}, {3725, "1:02:05"}, {1, "0:00:01"}, {32768, "9:06:08"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(formatDuration(c.k).data(), c.text) << c.k;
    }

    auto h = constantHistory(4000, 0.5f);
    SelectionStatistics stats;
    ASSERT_TRUE(stats.compute(*h, 10, 10 + 3725 - 1));
    EXPECT_NE(stats.text().find("\nTime:\t1:02:05\n"), std::string_view::npos) << stats.text();
}

TEST(SelectionStatistics, BothDragDirectionsGiveTheSameText) {
    SampleHistory h;
    for (int i = 0; i < 30; ++i)
        h.append(static_cast<float>(i) * 0.1f, packTimeOfDay(9, 0, i), false);
    SelectionStatistics forward, backward;
    ASSERT_TRUE(forward.compute(h, 3, 17));
    ASSERT_TRUE(backward.compute(h, 17, 3));
    EXPECT_EQ(forward.text(), backward.text());
    EXPECT_EQ(forward.total(), backward.total());
}

TEST(SelectionStatistics, SelectionIsLimitedToTheStoredSamples) {
    struct Case {
        int first, second;
        bool built;
        const char* text;
    };
    // Ages 1..3 hold 3, 2, 1 (newest first) at 9:00:02, 9:00:01, 9:00:00.
    const Case cases[] = {
        {0, 2, true, "9:00:01 - 9:00:02\nTotal:\t5.000000\nTime:\t0:00:02\nAvg:\t2.500000"},
        {2, 40, true, "9:00:00 - 9:00:01\nTotal:\t3.000000\nTime:\t0:00:02\nAvg:\t1.500000"},
        {-5, 99, true, "9:00:00 - 9:00:02\nTotal:\t6.000000\nTime:\t0:00:03\nAvg:\t2.000000"},
        {4, 9, false, nullptr},  // all older than the oldest sample
        {0, 0, false, nullptr},
    };
    SampleHistory h(8);
    for (int i = 1; i <= 3; ++i) h.append(static_cast<float>(i), packTimeOfDay(9, 0, i - 1), false);
    for (const Case& c : cases) {
        SelectionStatistics stats;
        EXPECT_EQ(stats.compute(h, c.first, c.second), c.built) << c.first << ".." << c.second;
        EXPECT_EQ(stats.text(), c.built ? std::string_view(c.text) : std::string_view())
            << c.first << ".." << c.second;
    }
}

TEST(SelectionStatistics, EmptySelectionKeepsThePreviousText) {
    SampleHistory h;
    h.append(7.0f, packTimeOfDay(10, 0, 0), false);
    h.append(7.0f, packTimeOfDay(10, 0, 1), false);
    SelectionStatistics stats;
    ASSERT_TRUE(stats.compute(h, 1, 2));
    const std::string before(stats.text());
    h.reset();
    EXPECT_FALSE(stats.compute(h, 1, 2));
    EXPECT_EQ(stats.text(), before);
    EXPECT_EQ(stats.total(), 14.0f);
}

TEST(SelectionStatistics, SumsInDoublePrecisionOverAWrappedRing) {
    SampleHistory h(4);
    // A loaded log of 6 lines in a ring of 4 keeps lines 3..6.
    const float lines[] = {100.0f, 100.0f, 16777216.0f, 1.0f, 1.0f, -16777216.0f};
    for (float v : lines) {
        h.append(v, 0, false);
        if (h.position() == h.capacity()) h.wrap();
    }
    SelectionStatistics stats;
    ASSERT_TRUE(stats.compute(h, 1, 4));
    // In float, 16777216 + 1 + 1 loses both ones.
    EXPECT_EQ(stats.total(), 2.0f);
}

TEST(SelectionStatistics, ExtremeValuesStayPrintable) {
    SampleHistory h;
    h.append(3e38f, 0, false);
    h.append(3e38f, 0, false);
    SelectionStatistics stats;
    ASSERT_TRUE(stats.compute(h, 1, 2));
    EXPECT_LT(stats.text().size(), SelectionStatistics::kTextCapacity);
    EXPECT_NE(stats.text().find("Total:\tinf\n"), std::string_view::npos) << stats.text();
    EXPECT_NE(stats.text().find("Avg:\t300000"), std::string_view::npos) << stats.text();
}

}  // namespace
