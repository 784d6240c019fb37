#include "chart/chart_renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "chart/chart_view.h"
#include "drawing/recording_canvas.h"
#include "history/sample_history.h"
#include "settings/settings.h"

// Readable failure messages for recorded texts.
void PrintTo(const RecordingCanvas::Text& t, std::ostream* os) {
    *os << "text(" << t.x << ", " << t.y << ", \"";
    for (char16_t ch : t.text) *os << static_cast<char>(ch < 128 ? ch : '?');
    *os << "\", " << t.size << ", " << std::hex << t.colour << std::dec << ")";
}

namespace {

using Line = RecordingCanvas::Line;
using Text = RecordingCanvas::Text;

// One chart with its inputs; H = 200 puts zero at 185 and the full scale 180 px above it.
struct Chart {
    explicit Chart(int width = 638, int height = 200, std::uint32_t capacity = 32768)
        : canvas(width, height), history(std::make_unique<SampleHistory>(capacity)) {}

    void add(float value, int minute = 0, int second = 30, bool tagged = false) {
        history->append(value, packTimeOfDay(10, minute, second), tagged);
    }
    void draw() {
        canvas.reset();
        renderer.drawChart(canvas, view, *history, minMax, settings, [](std::size_t row) {
            return u"row " + std::u16string(1, static_cast<char16_t>(u'0' + row % 10));
        });
    }
    std::vector<PointF> points() const {
        const auto polylines = canvas.polylines();
        return polylines.empty() ? std::vector<PointF>{} : polylines.front().points;
    }
    std::vector<Line> linesOf(Argb colour) const {
        std::vector<Line> out;
        for (const Line& l : canvas.lines())
            if (l.pen.colour == colour) out.push_back(l);
        return out;
    }

    RecordingCanvas canvas;
    std::unique_ptr<SampleHistory> history;
    ChartView view;
    MinMaxLines minMax;
    Settings settings;
    ChartRenderer renderer;
};

Text label(float x, float y, const char16_t* text, Argb colour = Settings{}.colorChartText) {
    return Text{x, y, text, 11.0f, colour};
}

TEST(ChartRenderer, EmptyHistoryDrawsOnlyZeroLineGridAndLabels) {
    Chart c(100, 200);
    c.draw();
    const Settings s;
    const Pen solid{s.colorChartGrid, false};
    const Pen dashed{s.colorChartGrid, true};
    using RC = RecordingCanvas;
    const std::vector<RC::Call> expected = {
        RC::Clear{s.colorChart},        label(4, 180, u"     0"),
        Line{36, 185, 99, 185, solid},  label(3, 135, u"0.25"),
        Line{36, 140, 99, 140, dashed}, label(0, 225, u"-0.25"),
        Line{36, 230, 99, 230, dashed}, label(3, 90, u"0.50"),
        Line{36, 95, 99, 95, dashed},   label(0, 270, u"-0.50"),
        Line{36, 275, 99, 275, dashed}, label(3, 45, u"0.75"),
        Line{36, 50, 99, 50, dashed},   label(0, 315, u"-0.75"),
        Line{36, 320, 99, 320, dashed}, label(3, 0, u"1.00"),
        Line{36, 5, 99, 5, dashed},     label(0, 360, u"-1.00"),
        Line{36, 365, 99, 365, dashed},
    };
    ASSERT_EQ(c.canvas.calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(c.canvas.calls[i].index(), expected[i].index()) << "call " << i;
        if (const auto* t = std::get_if<Text>(&expected[i])) {
            EXPECT_EQ(std::get<Text>(c.canvas.calls[i]), *t) << "call " << i;
        } else if (const auto* l = std::get_if<Line>(&expected[i])) {
            EXPECT_EQ(std::get<Line>(c.canvas.calls[i]), *l) << "call " << i;
        }
    }
    EXPECT_TRUE(c.canvas.polylines().empty());
}

TEST(ChartRenderer, ScaleLabelsLineUpByDigitCount) {
    struct Expect {
        const char16_t* text;
        float x;
    };
    struct Case {
        float fullScale;
        std::vector<Expect> labels;
    };
    const Case cases[] = {
        {4.0f, {{u"1", 20}, {u"4", 20}, {u"-1", 17}, {u"-4", 17}}},
        {100.0f, {{u"25", 14}, {u"50", 14}, {u"75", 14}, {u"100", 8}, {u"-25", 11}, {u"-100", 5}}},
        {4000.0f, {{u"1000", 3}, {u"4000", 3}, {u"-1000", 0}, {u"-3000", 0}}},
        {20.0f, {{u"5", 20}, {u"10", 14}, {u"-15", 11}, {u"-20", 11}}},
        {1.0f, {{u"0.25", 3}, {u"-1.00", 0}}},
    };
    for (const Case& k : cases) {
        Chart c;
        c.view.fullScale = k.fullScale;
        c.draw();
        for (const Expect& e : k.labels) {
            const Text* t = c.canvas.findText(e.text);
            ASSERT_NE(t, nullptr) << k.fullScale;
            EXPECT_EQ(t->x, e.x) << k.fullScale;
        }
    }
}

TEST(ChartRenderer, AutoscaleClimbsOneRungPerColumn) {
    struct Case {
        float start;
        std::vector<float> values;  // newest last
        float fullScale;
    };
    const Case cases[] = {
        {1.0f, std::vector<float>(8, 30.0f), 40.0f},
        {1.0f, {1.0f}, 1.0f},  // equal to the full scale: no climb
        {1.0f, {1.0001f}, 4.0f},
        {1.0f, {-1.5f}, 4.0f},
        {40.0f, {150.0f, 150.0f}, 200.0f},
        {100.0f, {401.0f, 401.0f, 401.0f}, 800.0f},
        {3.0f, {5.0f}, 6.0f},  // not a rung: doubled
    };
    for (const Case& k : cases) {
        Chart c;
        c.view.fullScale = k.start;
        for (float v : k.values) c.add(v);
        c.draw();
        EXPECT_EQ(c.view.fullScale, k.fullScale) << k.values.back();
    }

    // The frame that climbs is drawn again: what reaches the canvas is one
    // scale, for the grid and every column alike.
    Chart c;
    for (int i = 0; i < 8; ++i) c.add(30.0f);
    c.add(1e6f);  // climbs one rung a pass, one column against the old scale each time
    c.draw();
    EXPECT_EQ(c.view.fullScale, 1638400.0f);
    EXPECT_NE(c.canvas.findText(u"1638400"), nullptr);
    EXPECT_EQ(c.canvas.findText(u"1.00"), nullptr);
    for (const PointF& p : c.points())
        EXPECT_GT(p.y, 0.0f) << "drawn above the top at an old scale";
}

// A frame drawn over the kept background is the frame drawn from nothing,
// whatever changed since the background was kept.
TEST(ChartRenderer, KeptBackgroundNeverShowsAStaleGrid) {
    struct Case {
        const char* what;
        void (*change)(Chart&);
        int restores;  // backgrounds put back by the second frame; a frame
                       // whose trace moves the scale puts it back, then draws anew
    };
    const Case cases[] = {
        {"a new sample in scale", [](Chart& c) { c.add(0.5f); }, 1},
        {"a sample above the scale", [](Chart& c) { c.add(3.0f); }, 1},
        {"a negative sample", [](Chart& c) { c.add(-0.5f); }, 1},
        {"the scale reset", [](Chart& c) { resetScale(c.view); }, 0},
        {"the grid colour", [](Chart& c) { c.settings.colorChartGrid = 0xFF102030; }, 0},
        {"the label colour", [](Chart& c) { c.settings.colorChartText = 0xFF405060; }, 0},
        {"the chart colour", [](Chart& c) { c.settings.colorChart = 0xFF708090; }, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Chart kept;
        kept.view.fullScale = 2.0f;
        kept.add(0.25f);
        kept.draw();
        k.change(kept);
        kept.draw();
        EXPECT_EQ(kept.canvas.restores, k.restores);

        Chart fresh;
        fresh.view = kept.view;
        fresh.settings = kept.settings;
        fresh.history = std::make_unique<SampleHistory>(*kept.history);
        fresh.draw();
        EXPECT_EQ(kept.canvas.calls, fresh.canvas.calls);
    }
}

TEST(ChartRenderer, NegativeSampleMovesTheZeroLineInTheSameFrame) {
    Chart c;
    c.add(2.0f);
    c.add(-0.5f);
    c.draw();
    EXPECT_TRUE(c.view.negativeSeen);
    const int zeroY = (200 - 15) / 2 + 5;
    EXPECT_EQ(c.canvas.texts()[0], label(4, static_cast<float>(zeroY - 5), u"     0"));
    EXPECT_EQ(c.canvas.lines()[0].y1, zeroY);
    resetScale(c.view);
    c.history->reset();
    c.draw();
    EXPECT_EQ(c.canvas.lines()[0].y1, 185);
}

TEST(ChartRenderer, ColumnsAndPeaks) {
    struct Case {
        int width, zoom, offset;
        std::vector<float> values;  // newest last
        std::vector<PointF> points;
    };
    // yOf(v) at full scale 1 = 185 - 180 v, limited to 0..200.
    const Case cases[] = {
        // Peaks take in the next column's first sample: (1, -3, 2) and (2, 3); the
        // frame settles at full scale 4 with zero at 97: yOf(v) = 97 - 23 v.
        {638, -2, 0, {3, 2, -3, 1}, {{637, 166}, {636, 28}}},
        {638, 1, 0, {0.5f, 0.25f}, {{637, 140}, {636, 95}}},
        {638, 3, 0, {0.5f, 0.25f, 0}, {{637, 185}, {634, 140}, {631, 95}}},
        {638, 1, 1, {0.5f, 0.25f, 0}, {{637, 140}, {636, 95}}},  // scrolled by one
        {638, 1, 3, {0.5f, 0.25f, 0}, {}},                       // scrolled past the oldest
        {36, 1, 0, {0.5f}, {}},                                  // no column right of 35
        {37, 1, 0, {0.5f, 0.25f}, {{36, 140}}},
        {40, 2, 0, {0.5f, 0.25f, 0}, {{39, 185}, {37, 140}}},
        {638, -3, 0, {-0.5f, 0.5f, 0.25f}, {{637, 95}}},  // equal size: the newer keeps its sign
    };
    for (const Case& k : cases) {
        Chart c(k.width);
        c.view.zoom = k.zoom;
        c.view.scrollOffset = k.offset;
        for (float v : k.values) c.add(v);
        c.draw();
        const std::vector<PointF> p = c.points();
        ASSERT_EQ(p.size(), k.points.size()) << "zoom " << k.zoom << " width " << k.width;
        for (std::size_t i = 0; i < p.size(); ++i) {
            EXPECT_EQ(p[i].x, k.points[i].x) << i;
            EXPECT_FLOAT_EQ(p[i].y, k.points[i].y) << "zoom " << k.zoom << " column " << i;
        }
        EXPECT_LE(c.canvas.polylines().size(), 1u);
    }
}

TEST(ChartRenderer, TraceIsBoundOnlyByTheEdgeTheBufferAndTheStoredSamples) {
    struct Case {
        int width, zoom;
        std::uint32_t capacity, samples;
        bool wrapOnLoad;
        std::size_t points;
        float lastX;
    };
    const Case cases[] = {
        {3000, 1, 32768, 5000, false, 2048, 952},  // the buffer is full first
        {5000, 2, 32768, 5000, false, 2048, 905},
        {3000, -50, 32768, 32768, true, 656, 2344},  // a full ring ends at its oldest sample
        {638, 1, 10, 10, false, 10, 628},            // a small ring still draws its trace
        {638, 1, 68, 40, false, 40, 598},
        {638, 1, 1000, 1000, false, 602, 36},  // only the edge ends it
        {638, 1, 10, 25, true, 10, 628},       // loaded past capacity: no repeats
    };
    for (const Case& k : cases) {
        Chart c(k.width, 200, k.capacity);
        c.view.zoom = k.zoom;
        for (std::uint32_t i = 0; i < k.samples; ++i) {
            c.add(static_cast<float>(i % 7) * 0.1f);
            if (k.wrapOnLoad && c.history->position() == c.history->capacity()) c.history->wrap();
        }
        c.draw();
        const std::vector<PointF> p = c.points();
        ASSERT_EQ(p.size(), k.points) << k.width << " zoom " << k.zoom << " cap " << k.capacity;
        EXPECT_EQ(p.back().x, k.lastX);
    }
}

TEST(ChartRenderer, WrappedRingWalksFromNewestToOldest) {
    Chart c(638, 200, 4);
    for (int line = 1; line <= 6; ++line) {
        c.add(static_cast<float>(line) * 0.1f);
        if (c.history->position() == c.history->capacity()) c.history->wrap();
    }
    c.draw();
    const std::vector<PointF> p = c.points();
    ASSERT_EQ(p.size(), 4u);
    const float expected[] = {0.6f, 0.5f, 0.4f, 0.3f};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(p[i].y, 185.0f - expected[i] * 180.0f, 1e-3) << i;
    }
}

TEST(ChartRenderer, TimeMarksAtWholeMinutes) {
    struct Sample {
        int minute, second;
    };
    struct Expect {
        const char16_t* text;
        float x;
    };
    struct Case {
        int zoom;
        std::vector<Sample> samples;  // newest last
        std::vector<Expect> marks;
    };
    const Case cases[] = {
        {-3, {{12, 0}, {13, 0}, {14, 0}, {15, 0}}, {{u"10:15", 625}, {u"10:12", 624}}},
        // One mark a minute, at its newest sample in second 0.
        {1, {{5, 0}, {5, 0}, {5, 30}, {6, 0}}, {{u"10:06", 625}, {u"10:05", 623}}},
        {1, {{5, 0}, {5, 0}, {5, 0}, {6, 0}, {6, 0}}, {{u"10:06", 625}, {u"10:05", 623}}},
        {3, {{4, 59}, {5, 0}, {6, 0}}, {{u"10:06", 625}, {u"10:05", 622}}},
        {-5, {{10, 0}, {7, 0}, {5, 0}}, {{u"10:05", 625}}},  // only multiples of 5, once a column
        {2, {{5, 1}}, {}},
    };
    for (const Case& k : cases) {
        Chart c;
        c.view.zoom = k.zoom;
        for (const Sample& s : k.samples) c.add(0.1f, s.minute, s.second);
        c.draw();
        std::vector<Text> marks;
        for (const Text& t : c.canvas.texts())
            if (t.y == 200 - 12) marks.push_back(t);
        ASSERT_EQ(marks.size(), k.marks.size()) << "zoom " << k.zoom;
        std::vector<Line> dashedVerticals;
        for (const Line& l : c.canvas.lines())
            if (l.pen.dashed && l.x1 == l.x2) dashedVerticals.push_back(l);
        ASSERT_EQ(dashedVerticals.size(), k.marks.size());
        for (std::size_t i = 0; i < marks.size(); ++i) {
            EXPECT_EQ(marks[i], label(k.marks[i].x, 188, k.marks[i].text)) << "zoom " << k.zoom;
            EXPECT_EQ(dashedVerticals[i], (Line{static_cast<int>(k.marks[i].x) + 12, 7,
                                                static_cast<int>(k.marks[i].x) + 12, 186,
                                                Pen{Settings{}.colorChartGrid, true}}));
        }
    }
}

TEST(ChartRenderer, TagMarksShowTheOldestTaggedSampleOfAColumn) {
    struct Case {
        int zoom;
        std::vector<bool> tagged;  // newest last; slot i is list row i
        std::vector<std::u16string> labels;
    };
    const Case cases[] = {
        {-3, {true, false, true}, {u"row 0"}},
        {-3, {false, true, false, false, false, true}, {u"row 5", u"row 1"}},
        {1, {true, false, true}, {u"row 2", u"row 0"}},
    };
    const Argb tagColour = Settings{}.colorChartTag;
    for (const Case& k : cases) {
        Chart c;
        c.view.zoom = k.zoom;
        for (bool t : k.tagged) c.add(0.5f, 1, 1, t);
        c.draw();
        std::vector<Text> tags;
        for (const Text& t : c.canvas.texts())
            if (t.colour == tagColour) tags.push_back(t);
        ASSERT_EQ(tags.size(), k.labels.size()) << "zoom " << k.zoom;
        for (std::size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(tags[i].text, k.labels[i]);
        const std::vector<Line> lines = c.linesOf(tagColour);
        ASSERT_EQ(lines.size(), k.labels.size());
        EXPECT_EQ(lines[0], (Line{static_cast<int>(tags[0].x) - 1, 7,
                                  static_cast<int>(tags[0].x) - 1, 95, Pen{tagColour, false}}));
    }
}

TEST(ChartRenderer, LongTagTextsAreCutAndMissingLabelsStillMark) {
    Chart c;
    c.add(0.5f, 1, 1, true);
    c.canvas.reset();
    c.renderer.drawChart(c.canvas, c.view, *c.history, c.minMax, c.settings,
                         [](std::size_t) { return std::u16string(300, u'x'); });
    EXPECT_NE(c.canvas.findText(std::u16string(127, u'x')), nullptr);
    c.canvas.reset();
    c.renderer.drawChart(c.canvas, c.view, *c.history, c.minMax, c.settings, {});
    EXPECT_NE(c.canvas.findText(u""), nullptr);
    EXPECT_EQ(c.linesOf(c.settings.colorChartTag).size(), 1u);
}

TEST(ChartRenderer, SelectionMarkerLines) {
    struct Case {
        int zoom, first, second;
        std::vector<int> xs;
    };
    const Case cases[] = {
        {1, 0, 7, {}},          // no first marker: none drawn
        {1, 5, 5, {633}},       // equal markers: one line
        {1, 5, 0, {633, 638}},  // a second marker of 0 lies at the right edge
        {2, 100, 400, {438}},   // 638 - 800 is left of the trace area
        {-10, 50, 20, {633, 636}},
    };
    for (const Case& k : cases) {
        Chart c;
        c.view.zoom = k.zoom;
        c.view.firstMarker = k.first;
        c.view.secondMarker = k.second;
        c.draw();
        const std::vector<Line> lines = c.linesOf(c.settings.colorChartSelect);
        ASSERT_EQ(lines.size(), k.xs.size()) << k.first << "/" << k.second;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], (Line{k.xs[i], 7, k.xs[i], 186, Pen{c.settings.colorChartSelect}}));
    }
}

TEST(ChartRenderer, MinAndMaxLinesAreLimitedToTheChart) {
    struct Case {
        float min, max;
        std::vector<int> ys;
    };
    const Case cases[] = {
        {0.0f, 0.0f, {}},
        {-1000.0f, 1000.0f, {200, 0}},  // far outside: bottom row and top row
        {0.25f, 0.5f, {140, 95}},
        {0.0f, -0.1f, {200}},  // 203 is below the chart
        {1e30f, -std::numeric_limits<float>::infinity(), {0, 200}},
    };
    for (const Case& k : cases) {
        Chart c;
        c.minMax.minValue = k.min;
        c.minMax.maxValue = k.max;
        c.draw();
        const std::vector<Line> lines = c.linesOf(c.settings.colorChartMinMax);
        ASSERT_EQ(lines.size(), k.ys.size()) << k.min << " " << k.max;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i],
                      (Line{30, k.ys[i], 633, k.ys[i], Pen{c.settings.colorChartMinMax}}));
    }
}

TEST(ChartRenderer, ExtremeValuesSaturateInsteadOfOverflowing) {
    Chart c(3000);
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {1e30f, -1e30f, 3e38f, inf, -inf, std::nanf(""), 0.5f};
    for (int i = 0; i < 700; ++i) c.add(values[i % 7]);
    c.minMax.maxValue = 1e30f;
    c.draw();
    c.draw();
    EXPECT_EQ(c.view.fullScale, std::numeric_limits<float>::max());
    EXPECT_TRUE(c.view.negativeSeen);
    const Text* top = c.canvas.findText(u"2147483647");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->x, 3.0f);
    EXPECT_NE(c.canvas.findText(u"-2147483647"), nullptr);
    const std::vector<PointF> p = c.points();
    ASSERT_EQ(p.size(), 700u);
    for (const PointF& pt : p) {
        EXPECT_GE(pt.y, 0.0f);
        EXPECT_LE(pt.y, 200.0f);
    }
}

TEST(ChartRenderer, EveryTextIsElevenPixels) {
    Chart c;
    for (int i = 0; i < 20; ++i) c.add(0.5f, i, 0, i % 3 == 0);
    c.draw();
    ASSERT_GT(c.canvas.texts().size(), 9u + 20u);
    for (const Text& t : c.canvas.texts()) EXPECT_EQ(t.size, 11.0f);
}

}  // namespace
