#include "session/window_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DialogUnits, ConvertAtNinetySixDpi) {
    struct Case {
        int units;
        int x;
        int y;
    };
    const std::vector<Case> cases{
        {0, 0, 0}, {1, 2, 2}, {2, 3, 3}, {146, 219, 237}, {233, 350, 379}, {-1, -2, -2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dialogUnitsToPixelsX(c.units), c.x) << c.units;
        EXPECT_EQ(dialogUnitsToPixelsY(c.units), c.y) << c.units;
    }
}

TEST(DialogUnits, ControlsStartWhereTheDialogPutsThem) {
    struct Case {
        const char* name;
        ControlRect rect;
        ControlRect expected;
    };
    const std::vector<Case> cases{
        {"face", controls::facePanel(), {3, 0, 350, 237}},
        {"chart", controls::chartPanel(), {2, 237, 594, 137}},
        {"list", controls::readingList(), {357, 28, 239, 206}},
        {"clear", controls::clearButton(), {515, 3, 80, 23}},
        {"hold", controls::holdButton(), {432, 3, 80, 23}},
        {"combo", controls::portCombo(), {357, 5, 72, 23}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.rect, c.expected) << c.name;
    EXPECT_EQ(controls::designClientWidth(), 599);
    EXPECT_EQ(controls::designClientHeight(), 393);
}

TEST(WindowLayout, ControlsFollowTheClientSize) {
    struct Case {
        int cw;
        int ch;
        WindowLayout expected;
    };
    const std::vector<Case> cases{
        {650,
         440,
         {{2, 237, 638, 177},
          {357, 28, 284, 206},
          {1, 424, 613, 17},
          {615, 424, 17, 16},
          {632, 424, 17, 16},
          30}},
        {599,
         393,
         {{2, 237, 587, 130},
          {357, 28, 233, 206},
          {1, 377, 562, 17},
          {564, 377, 17, 16},
          {581, 377, 17, 16},
          -21}},
        {1920,
         1000,
         {{2, 237, 1908, 737},
          {357, 28, 1554, 206},
          {1, 984, 1883, 17},
          {1885, 984, 17, 16},
          {1902, 984, 17, 16},
          1300}},
    };
    for (const Case& c : cases) EXPECT_EQ(layoutForClient(c.cw, c.ch), c.expected) << c.cw;
}

TEST(WindowLayout, TagColumnWidthIsKeptToSixteenBits) {
    struct Case {
        int cw;
        std::int16_t width;
    };
    const std::vector<Case> cases{
        {620, 0}, {0, -620}, {33387, 32767}, {33388, -32768}, {66156, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(layoutForClient(c.cw, 400).tagColumnWidth, c.width) << c.cw;
}

TEST(WindowLayout, TinyClientGivesNegativeSizesWithoutFailing) {
    const WindowLayout layout = layoutForClient(10, 10);
    EXPECT_LT(layout.chart.width, 0);
    EXPECT_LT(layout.chart.height, 0);
    EXPECT_LT(layout.list.width, 0);
    EXPECT_EQ(layout.list.height, 206);
    EXPECT_EQ(layout.zoomOut.x, -8);
}

// At 144 dpi every constant grows by half; at the smallest size the window
// allows, every control is whole at any dpi.
TEST(WindowLayout, ScalesWithTheDpiAndHasAMinimumSize) {
    const DialogMetrics at144{9, 20, 144};
    EXPECT_EQ(layoutForClient(975, 660, at144), (WindowLayout{{2, 365, 958, 256},
                                                              {536, 43, 427, 309},
                                                              {2, 636, 919, 26},
                                                              {922, 636, 26, 24},
                                                              {948, 636, 26, 24},
                                                              45}));
    struct Row {
        DialogMetrics metrics;
        ClientSize minimum;
    };
    const std::vector<Row> rows{{{}, {627, 343}}, {at144, {940, 524}}};
    for (const Row& r : rows) {
        EXPECT_EQ(minimumClientSize(r.metrics), r.minimum) << r.metrics.dpi;
        const WindowLayout l = layoutForClient(r.minimum.width, r.minimum.height, r.metrics);
        EXPECT_GE(l.list.width, r.metrics.px(kReadingColumnWidth + kListChrome)) << r.metrics.dpi;
        EXPECT_GE(l.chart.height, r.metrics.px(kMinChartHeight)) << r.metrics.dpi;
        EXPECT_GE(l.tagColumnWidth, 0) << r.metrics.dpi;
        EXPECT_GT(l.scrollBar.width, 0) << r.metrics.dpi;
        EXPECT_LE(
            dialogRect(343, 2, 53, 14, r.metrics).x + dialogRect(343, 2, 53, 14, r.metrics).width,
            r.minimum.width)
            << r.metrics.dpi;
    }
}

// The tag editor spans the free width of the row, at least the minimum where
// the list is that wide.
TEST(WindowLayout, TagEditorSpansTheFreeWidth) {
    struct Row {
        int readingRight;
        int listWidth;
        EditorSpan span;
    };
    const std::vector<Row> rows{
        {240, 600, {240, 360}},  // a wide list: the whole rest of the row
        {240, 280, {80, 200}},   // the default window: reaches back over the reading
        {240, 150, {0, 150}},    // narrower than the minimum: the whole list
        {-60, 600, {0, 600}},    // scrolled sideways past the reading text
    };
    for (const Row& r : rows)
        EXPECT_EQ(tagEditorSpan(r.readingRight, r.listWidth, kTagEditorMinWidth), r.span)
            << r.readingRight << " " << r.listWidth;
}

}  // namespace
