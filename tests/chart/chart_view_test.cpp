#include "chart/chart_view.h"

#include <gtest/gtest.h>

namespace {

ChartView viewAt(int zoom, int scrollOffset = 0) {
    ChartView v;
    v.zoom = zoom;
    v.scrollOffset = scrollOffset;
    return v;
}

TEST(ChartView, ConversionsBetweenAgesAndColumns) {
    struct Case {
        int zoom, offset, width;
        int visible;     // visibleSamples(width)
        int distance;    // cursor distance from the right edge
        int atDistance;  // markerAtDistance(distance)
        int marker;
        int x;  // markerX(marker, width)
    };
    const Case cases[] = {
        {1, 0, 638, 600, 100, 100, 100, 538}, {2, 0, 638, 300, 41, 20, 1, 636},
        {4, 10, 638, 150, 40, 20, 20, 598},   {-10, 0, 638, 6000, 7, 70, 70, 631},
        {-3, 5, 638, 1800, 0, 5, 2, 639},  // newer than the right edge: x beyond W
        {-2, 0, 638, 1200, 3, 6, 5, 636},  // 5 / -2 truncates toward zero
        {50, 0, 87, 0, 10, 0, 1, 37},      // narrower than one sample
        {1, 0, 30, 0, 0, 0, 1, 29},        // W below the margin: nothing visible
        {-50, 0, 20, 0, 1, 50, 1, 20},
    };
    for (const Case& c : cases) {
        const ChartView v = viewAt(c.zoom, c.offset);
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " offset " << c.offset);
        EXPECT_EQ(visibleSamples(v, c.width), c.visible);
        EXPECT_EQ(scrollPage(v, c.width), c.visible == 0 ? 1 : c.visible);
        EXPECT_EQ(markerAtDistance(v, c.distance), c.atDistance);
        EXPECT_EQ(markerX(v, c.marker, c.width), c.x);
    }
}

TEST(ChartView, ZoomStepsSkipZeroAndMinusOne) {
    struct Case {
        int from;
        bool in;
        int to;
    };
    const Case cases[] = {
        {-2, true, 1},  {1, false, -2},  {50, true, 50}, {-50, false, -50},
        {-3, true, -2}, {-2, false, -3}, {1, true, 2},   {2, false, 1},
    };
    for (const Case& c : cases) {
        ChartView v = viewAt(c.from, 7);
        v.firstMarker = 3;
        c.in ? zoomIn(v) : zoomOut(v);
        EXPECT_EQ(v.zoom, c.to) << c.from << (c.in ? " in" : " out");
        EXPECT_EQ(v.scrollOffset, 7);
        EXPECT_EQ(v.firstMarker, 3);
    }
}

TEST(ChartView, ZoomWalksAllNinetyNineLevels) {
    ChartView v = viewAt(-50);
    int levels = 1;
    while (v.zoom != 50) {
        zoomIn(v);
        EXPECT_NE(v.zoom, 0);
        EXPECT_NE(v.zoom, -1);
        ++levels;
    }
    EXPECT_EQ(levels, 99);  // 49 negative and 50 positive
}

TEST(ChartView, ShiftMarkersMovesOnlySetMarkers) {
    struct Case {
        int first, second, firstAfter, secondAfter;
    };
    const Case cases[] = {
        {5, 0, 6, 0},
        {0, 0, 0, 0},
        {3, 9, 4, 10},
        {2147483647, 1, 2147483647, 2},
    };
    for (const Case& c : cases) {
        ChartView v;
        v.firstMarker = c.first;
        v.secondMarker = c.second;
        shiftMarkers(v);
        EXPECT_EQ(v.firstMarker, c.firstAfter);
        EXPECT_EQ(v.secondMarker, c.secondAfter);
    }
}

TEST(ChartView, ScrollBarRangePageAndPosition) {
    struct Case {
        int zoom, offset, width, count;
        ScrollBarState bar;
    };
    const Case cases[] = {
        {1, 0, 638, 0, {0, 0, 600, 0}},                // empty: nothing to scroll
        {1, 0, 638, 100, {0, 99, 600, 0}},             // fewer samples than a page
        {1, 0, 638, 5000, {0, 4999, 600, 4400}},       // thumb at the right end
        {1, 12, 638, 5000, {0, 4999, 600, {}}},        // scrolled: position kept
        {50, 0, 638, 32768, {0, 32767, 2730, 30038}},  // long history widens the thumb
        {1, 0, 30, 10, {0, 9, 9, 1}},                  // page 0 counts as 1
        {1, 0, 38, 0, {0, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        const ScrollBarState bar = scrollBarState(viewAt(c.zoom, c.offset), c.width, c.count);
        EXPECT_EQ(bar, c.bar) << "count " << c.count << " width " << c.width;
    }
}

TEST(ChartView, ScrollRequestsMoveTheOffsetAndThumb) {
    struct Case {
        ScrollRequest request;
        int thumb, count, offset;
        int newOffset, newThumb;
    };
    const Case cases[] = {
        {ScrollRequest::PageLeft, 0, 100, 0, 0, -501},  // limit C - page is negative
        {ScrollRequest::PageRight, 0, 100, 0, 0, -501},
        {ScrollRequest::PageLeft, 0, 5000, 4000, 4400, -1},
        {ScrollRequest::LineLeft, 0, 5000, 3000, 3600, 799},
        {ScrollRequest::LineRight, 0, 5000, 3000, 2400, 1999},
        {ScrollRequest::PageRight, 0, 5000, 600, 0, 4399},  // not more than a page: to 0
        {ScrollRequest::PageRight, 0, 5000, 601, 1, 4398},
        {ScrollRequest::ThumbTrack, 1234, 5000, 0, 3166, 1233},
        {ScrollRequest::ThumbPosition, 4400, 5000, 77, 0, 4399},
        {ScrollRequest::ThumbTrack, 4900, 5000, 77, 0, 4399},  // past the end: clamped to 0
        {ScrollRequest::EndScroll, 10, 5000, 77, 77, 4322},
        {ScrollRequest::Top, 10, 5000, 77, 77, 4322},
    };
    for (const Case& c : cases) {
        ChartView v = viewAt(1, c.offset);
        const int thumb = scrollChart(v, c.request, c.thumb, 638, c.count);
        EXPECT_EQ(v.scrollOffset, c.newOffset) << static_cast<int>(c.request) << " @" << c.offset;
        EXPECT_EQ(thumb, c.newThumb) << static_cast<int>(c.request) << " @" << c.offset;
    }
}

TEST(ChartView, NarrowChartScrollsOneSampleAtATime) {
    ChartView v = viewAt(4, 10);
    scrollChart(v, ScrollRequest::LineLeft, 0, 40, 50);  // (40 - 38) / 4 = 0 visible
    EXPECT_EQ(v.scrollOffset, 11);
    scrollChart(v, ScrollRequest::LineRight, 0, 40, 50);
    EXPECT_EQ(v.scrollOffset, 10);
}

TEST(ChartView, RevealListRowBringsTheMarkerIntoView) {
    struct Case {
        int zoom, offset, row, rowCount;
        int marker, newOffset;
    };
    const Case cases[] = {
        {2, 0, 99, 100, 1, 0},           // newest row at offset 0: x = W - 2, unchanged
        {2, 10, 99, 100, 1, 0},          // newest row while scrolled: back to 0
        {1, 0, 0, 5000, 5000, 4400},     // far left: to the left margin
        {1, 0, 4800, 5000, 200, 0},      // already visible
        {1, 300, 4800, 5000, 200, 199},  // right of the visible span
        {1, 0, 4400, 5000, 600, 0},      // x = 38 is still inside
        {1, 0, 4399, 5000, 601, 1},      // x = 37 is left of it
        {1, 0, 120, 100, -20, 0},        // a row past the end never gives a negative offset
    };
    for (const Case& c : cases) {
        ChartView v = viewAt(c.zoom, c.offset);
        const int thumb = revealListRow(v, c.row, c.rowCount, 638, c.rowCount);
        EXPECT_EQ(v.firstMarker, c.marker) << "row " << c.row;
        EXPECT_EQ(v.scrollOffset, c.newOffset) << "row " << c.row;
        EXPECT_EQ(thumb, c.rowCount - c.newOffset);
    }
}

TEST(ChartView, HoldOnSelectionHoldsAndFindsTheRow) {
    struct Case {
        int firstMarker, rowCount;
        std::optional<int> row;
    };
    const Case cases[] = {
        {1, 10, 9}, {10, 10, 0}, {0, 10, std::nullopt}, {11, 10, std::nullopt}, {1, 0, {}},
    };
    for (const Case& c : cases) {
        ChartView v;
        v.firstMarker = c.firstMarker;
        EXPECT_EQ(holdOnSelection(v, c.rowCount), c.row) << c.firstMarker;
        EXPECT_TRUE(v.held);
        EXPECT_EQ(v.firstMarker, c.firstMarker);
    }
    ChartView v;
    toggleHold(v);
    EXPECT_TRUE(v.held);
    toggleHold(v);
    EXPECT_FALSE(v.held);
}

}  // namespace
