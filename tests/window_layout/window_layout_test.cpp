#include "window_layout/window_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <string>
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

// At every dpi the face panel is the face's surface (350 x 237 at 96 dpi)
// scaled once: base units rounded to the dpi first made it 234/243/240 high.
TEST(DialogUnits, ControlsStartWhereTheDialogPutsThem) {
    struct Case {
        DialogControl role;
        int dpi;
        ControlRect expected;
    };
    const std::vector<Case> cases{
        {DialogControl::FacePanel, 96, {3, 0, 350, 237}},
        {DialogControl::ChartPanel, 96, {2, 237, 594, 137}},
        {DialogControl::ReadingList, 96, {357, 28, 239, 206}},
        {DialogControl::Clear, 96, {515, 3, 80, 23}},
        {DialogControl::Hold, 96, {432, 3, 80, 23}},
        {DialogControl::PortCombo, 96, {357, 5, 72, 80}},
        {DialogControl::FacePanel, 120, {4, 0, 438, 296}},
        {DialogControl::FacePanel, 144, {5, 0, 525, 356}},
        {DialogControl::FacePanel, 168, {5, 0, 613, 415}},
    };
    for (const Case& c : cases) {
        const ControlRect r = templateRect(c.role, {6, 13, c.dpi});
        EXPECT_EQ(r, c.expected) << static_cast<int>(c.role) << " " << c.dpi;
        if (c.role == DialogControl::FacePanel) {
            EXPECT_EQ(std::lround(r.height * 96.0 / c.dpi), 237) << c.dpi;
        }
    }
}

// The resource script's dialog holds the table's controls, in its order.
TEST(DialogUnits, ResourceScriptMatchesTheTable) {
    std::map<std::string, int> ids;
    std::ifstream header(ZINTAVO_WIN32_WINDOW_DIR "/win32_resource_ids.h");
    const std::regex define(R"(#define (\w+) (\d+))");
    std::smatch m;
    for (std::string line; std::getline(header, line);)
        if (std::regex_match(line, m, define)) ids[m[1]] = std::stoi(m[2]);
    std::ifstream script(ZINTAVO_WIN32_WINDOW_DIR "/win32_resources.rc");
    const std::regex control(R"(\s*CONTROL "[^"]*", (\w+),.*, (\d+), (\d+), (\d+), (\d+)(, \w+)?)");
    std::size_t i = 0;
    for (std::string line; std::getline(script, line);) {
        if (!std::regex_match(line, m, control)) continue;
        ASSERT_LT(i, kTemplateControls.size());
        EXPECT_EQ(ids.at(m[1]), kTemplateControls[i].id) << i;
        EXPECT_EQ((ControlRect{std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5])}),
                  kTemplateControls[i++].units)
            << m[1];
    }
    EXPECT_EQ(i, kTemplateControls.size());
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
    const DialogMetrics at144{6, 13, 144};
    EXPECT_EQ(layoutForClient(975, 660, at144), (WindowLayout{{3, 356, 957, 265},
                                                              {536, 42, 426, 309},
                                                              {2, 636, 919, 26},
                                                              {922, 636, 26, 24},
                                                              {948, 636, 26, 24},
                                                              45}));
    struct Row {
        DialogMetrics metrics;
        ClientSize minimum;
    };
    const std::vector<Row> rows{{{}, {627, 343}}, {at144, {941, 515}}};
    for (const Row& r : rows) {
        EXPECT_EQ(minimumClientSize(r.metrics), r.minimum) << r.metrics.dpi;
        const WindowLayout l = layoutForClient(r.minimum.width, r.minimum.height, r.metrics);
        EXPECT_GE(l.list.width, r.metrics.px(kReadingColumnWidth + kListChrome)) << r.metrics.dpi;
        EXPECT_GE(l.chart.height, r.metrics.px(kMinChartHeight)) << r.metrics.dpi;
        EXPECT_GE(l.tagColumnWidth, 0) << r.metrics.dpi;
        EXPECT_GT(l.scrollBar.width, 0) << r.metrics.dpi;
        const ControlRect clear = templateRect(DialogControl::Clear, r.metrics);
        EXPECT_LE(clear.x + clear.width, r.minimum.width) << r.metrics.dpi;
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

// The tag column is the layout's width, but never past the visible width.
TEST(WindowLayout, TagColumnNeverPastTheVisibleWidth) {
    struct Row {
        int layoutWidth;
        int listWidth;
        int shown;
    };
    const std::vector<Row> rows{
        {38, 292, 38},   // room to spare
        {80, 292, 52},   // cut to the room right of the reading column
        {-200, 292, 0},  // a narrow window's negative width: no column
        {30, 200, 0},    // a list narrower than the reading column
    };
    for (const Row& r : rows)
        EXPECT_EQ(shownTagColumnWidth(r.layoutWidth, r.listWidth, kReadingColumnWidth), r.shown)
            << r.layoutWidth << " " << r.listWidth;
}

TEST(EscapeAction, EndsTheInnermostThingUnderWayFirst) {
    using enum EscapeAction;
    struct Row {
        bool editing;
        bool dropDown;
        bool dragging;
        EscapeAction action;
    };
    const std::vector<Row> rows{
        {true, true, true, CloseTagEditor}, {true, false, false, CloseTagEditor},
        {false, true, true, CloseDropDown}, {false, true, false, CloseDropDown},
        {false, false, true, CancelDrag},   {false, false, false, SaveAndClose},
    };
    for (const Row& r : rows)
        EXPECT_EQ(escapeAction(r.editing, r.dropDown, r.dragging), r.action)
            << r.editing << r.dropDown << r.dragging;
}

}  // namespace
