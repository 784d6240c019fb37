#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "drawing/lcd_glyphs.h"
#include "support/face_harness.h"

namespace {

using Text = RecordingCanvas::Text;

struct Legend {
    std::u16string text;
    float x, y, size;
};

struct LegendCase {
    const char* name;
    ReadingSpec reading;
    std::vector<Legend> legends;
    std::optional<SpriteCell> sprite;  // diode or continuity, with its destination in x/y
    bool autoShown;
};

// The texts drawn above the digits (legend row, y 48-50).
std::vector<Legend> legendsOf(const RecordingCanvas& canvas) {
    std::vector<Legend> out;
    for (const Text& t : canvas.texts()) {
        if (t.y == 48.0f || t.y == 50.0f) out.push_back({t.text, t.x, t.y, t.size});
    }
    return out;
}

TEST(MeterFaceLegends, EachFunctionDrawsItsLegendsSpriteAndAuto) {
    const std::u16string acTrms = u"AC        TRMS";
    const std::vector<LegendCase> cases = {
        {"AC volts", {0, 0}, {{acTrms, 44, 50, 14}, {u"V", 234, 50, 14}}, {}, true},
        {"AC frequency kHz", {0, 1, 2}, {{u"KHz", 189, 50, 14}}, {}, true},
        {"AC percent", {0, 2}, {{u"%", 324, 48, 18}}, {}, true},
        {"AC other", {0, 7}, {}, {}, true},
        {"DC volts", {1, 0}, {{u"DC", 74, 50, 14}, {u"V", 234, 50, 14}}, {}, true},
        {"frequency Hz", {2, 0, 1}, {{u"Hz", 200, 50, 14}}, {}, true},
        {"frequency MHz", {2, 0, 5}, {{u"MHz", 189, 50, 14}}, {}, true},
        {"frequency percent", {2, 1}, {{u"%", 324, 48, 18}}, {}, true},
        {"ohms", {3, 0, 0}, {{u"\u2126", 188, 50, 14}}, {}, true},
        {"kilo-ohms", {3, 0, 3}, {{u"K\u2126", 176, 50, 14}}, {}, true},
        {"mega-ohms", {3, 0, 4}, {{u"M\u2126", 176, 50, 14}}, {}, true},
        {"ohms range 6", {3, 0, 6}, {}, {}, true},
        {"diode", {3, 1}, {{u"V", 234, 50, 14}}, SpriteCell{228, 173, 18, 18}, false},
        {"continuity", {3, 2}, {{u"\u2126", 188, 50, 14}}, SpriteCell{250, 173, 24, 18}, false},
        {"nanofarads", {3, 3, 2}, {{u"nF", 276, 50, 14}}, {}, true},
        {"microfarads", {3, 3, 3}, {{u"\u00B5F", 276, 50, 14}}, {}, true},
        {"millifarads", {3, 3, 7}, {{u"mF", 276, 50, 14}}, {}, true},
        {"resistance other", {3, 9}, {}, {}, false},
        {"celsius", {4, 0}, {{u"\u00B0C", 280, 48, 18}}, {}, false},
        {"fahrenheit", {4, 1}, {{u"\u00B0F", 300, 48, 18}}, {}, false},
        {"amps DC", {5, 0}, {{u"DC", 74, 50, 14}, {u"A", 255, 50, 14}}, {}, false},
        {"amps AC", {5, 1}, {{acTrms, 44, 50, 14}, {u"A", 255, 50, 14}}, {}, false},
        {"milliamps", {6, 0}, {{u"DC", 74, 50, 14}, {u"mA", 245, 50, 14}}, {}, true},
        {"percent", {7, 0}, {{u"%", 324, 48, 18}}, {}, false},
        {"microamps AC", {8, 1}, {{acTrms, 44, 50, 14}, {u"\u00B5A", 248, 50, 14}}, {}, true},
        {"millivolts other", {9, 4}, {{u"mV", 221, 50, 14}}, {}, false},
        {"unknown function", {13, 0}, {}, {}, false},
    };
    for (const LegendCase& c : cases) {
        SCOPED_TRACE(c.name);
        FaceHarness h;
        h.show(c.reading);
        h.paint();
        const std::vector<Legend> got = legendsOf(h.canvas);
        ASSERT_EQ(got.size(), c.legends.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].text, c.legends[i].text);
            EXPECT_EQ(got[i].x, c.legends[i].x);
            EXPECT_EQ(got[i].y, c.legends[i].y);
            EXPECT_EQ(got[i].size, c.legends[i].size);
        }
        const bool diode = h.canvas.hasSprite({228, 173, 18, 18, 256, 105});
        const bool continuity = h.canvas.hasSprite({250, 173, 24, 18, 350, 109});
        EXPECT_EQ(diode, c.sprite && c.sprite->x == 228);
        EXPECT_EQ(continuity, c.sprite && c.sprite->x == 250);
        EXPECT_EQ(h.canvas.findText(u"AUTO") != nullptr, c.autoShown);
    }
}

struct DigitsCase {
    const char* name;
    ReadingSpec reading;
    std::string digits;
    int pointSlot;
    int lit;
    float scaledValue;
    bool inRange;
    bool minusBar;
    bool barMinus;
    bool arrowRaised;
};

TEST(MeterFaceDigits, DigitsPointBarAndValueFollowTheReading) {
    const std::vector<DigitsCase> cases = {
        {"DC 123", {1, 0, 0, 123}, "00123", -1, 2, 123.0f, true, false, false, false},
        {"DC 123.45", {1, 0, 3, 12345}, "12345", 2, 13, 123.45f, true, false, false, false},
        {"mV over range", {9, 0, 0, 42000}, "  0L ", 2, 41, 0.0f, false, false, false, true},
        {"mV 41999", {9, 0, 0, 41999}, "41999", 2, 41, 419.99f, true, false, false, true},
        {"diode 20000", {3, 1, 0, 20000}, "  0L ", 0, 41, 0.0f, false, false, false, true},
        {"temperature 2400", {4, 0, 0, 2400}, "  0L ", 3, 41, 0.0f, false, false, false, true},
        {"frequency 050.00", {2, 0, 1, 5000}, "05000", 2, 6, 50.0f, true, false, false, false},
        {"bar at 40", {6, 0, 0, 4000}, "04000", 1, 41, 4.0f, true, false, false, false},
        {"bar at 41", {6, 0, 0, 4100}, "04100", 1, 41, 4.1f, true, false, false, true},
        {"negative zero", {1, 0, 0, 0, true}, "00000", -1, 1, 0.0f, true, true, false, false},
        {"negative small", {1, 0, 1, 5, true}, "00005", 0, 1, -0.0005f, true, true, false, false},
        {"negative bar", {1, 0, 0, 500, true}, "00500", -1, 6, -500.0f, true, true, true, false},
        {"over range ignores sign",
         {9, 0, 0, 50000, true},
         "  0L ",
         2,
         41,
         0.0f,
         false,
         false,
         true,
         true},
        {"point past the digits",
         {8, 0, 2, 1234},
         "01234",
         4,
         41,
         1234.0f,
         true,
         false,
         false,
         true},
    };
    for (const DigitsCase& c : cases) {
        SCOPED_TRACE(c.name);
        FaceHarness h;
        h.show(c.reading);
        h.paint();
        EXPECT_EQ(h.bigDigits(), c.digits);
        EXPECT_EQ(h.bigPointSlot(), c.pointSlot);
        EXPECT_EQ(h.litSegments(), c.lit);
        EXPECT_EQ(h.face.inRange, c.inRange);
        EXPECT_EQ(h.canvas.hasRect(12, 113, 20, 8), c.minusBar);
        EXPECT_EQ(h.canvas.hasRect(14, 201, 10, 4), c.barMinus);
        EXPECT_EQ(h.face.overRangeArrow, c.arrowRaised);
        // MIN/MAX follow the signed value: a negative value shows up in MIN.
        if (c.scaledValue < 0.0f) {
            EXPECT_FLOAT_EQ(h.face.minValue, c.scaledValue);
        } else {
            EXPECT_FLOAT_EQ(h.face.maxValue, c.scaledValue);
        }
    }
}

TEST(MeterFaceBar, BarValueDependsOnPointAndFunctionGroup) {
    struct Case {
        int count, d, function, expected;
    };
    const std::vector<Case> cases = {
        {12345, 0, 1, 123}, {12345, 0, 6, 12345}, {12345, 1, 3, 12}, {12345, 1, 2, 1234},
        {12345, 2, 0, 12},  {12345, 2, 9, 123},   {12345, 3, 1, 12}, {12345, 3, 7, 12},
        {65535, 4, 1, 0},   {12345, 4, 4, 1},     {777, 5, 8, 777},  {777, 9, 1, 777},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(barValue(static_cast<std::uint16_t>(c.count), c.d,
                           static_cast<std::uint8_t>(c.function)),
                  c.expected)
            << c.count << " d=" << c.d << " function " << c.function;
    }
}

TEST(MeterFaceBar, SegmentsAndTicksSitAtTheirPlaces) {
    FaceHarness h;
    h.show({1, 0, 3, 12345});
    h.paint();
    std::vector<RecordingCanvas::FillRectF> segments, ticks;
    for (const auto& r : h.canvas.rectsF()) (r.y == 192.0f ? segments : ticks).push_back(r);
    ASSERT_EQ(segments.size(), 13u);
    EXPECT_EQ(segments[1].x, 36.5f);
    EXPECT_EQ(segments[10].x, 104.0f);
    EXPECT_EQ(segments[0].h, 15.0f);
    EXPECT_EQ(segments[5].h, 13.0f);
    EXPECT_EQ(segments[7].h, 10.0f);
    EXPECT_EQ(segments[12].w, 3.0f);
    ASSERT_EQ(ticks.size(), 4u);
    const float tickX[] = {66.5f, 141.5f, 216.5f, 291.5f};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ticks[i].x, tickX[i]);
        EXPECT_EQ(ticks[i].y, 213.0f);
        EXPECT_EQ(ticks[i].w, 2.0f);
        EXPECT_EQ(ticks[i].h, 4.0f);
    }
}

TEST(MeterFaceAnnunciators, AutoAndHoldAtTheSizeTheLegendsLeft) {
    struct Case {
        const char* name;
        ReadingSpec reading;
        bool autoShown;
        float holdSize;  // 0 = no HOLD
    };
    const std::vector<Case> cases = {
        {"DC held", {1, 0, 0, 5, false, true}, true, 14},
        {"DC manual range", {1, 0, 0, 5, false, false, false, true}, false, 0},
        {"temperature held", {4, 0, 0, 2400, false, true}, false, 18},
        {"temperature without legend", {4, 7, 0, 5, false, true}, false, 18},
        {"percent held", {7, 0, 0, 5, false, true}, false, 18},
        {"AC percent held", {0, 2, 0, 5, false, true}, true, 18},
        {"diode over range", {3, 1, 0, 20000}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaceHarness h;
        h.show(c.reading);
        h.paint();
        const Text* autoText = h.canvas.findText(u"AUTO");
        EXPECT_EQ(autoText != nullptr, c.autoShown);
        if (autoText != nullptr) {
            EXPECT_EQ(autoText->x, 44.0f);
            EXPECT_EQ(autoText->y, 171.0f);
        }
        const Text* hold = h.canvas.findText(u"HOLD");
        ASSERT_EQ(hold != nullptr, c.holdSize != 0);
        if (hold != nullptr) {
            EXPECT_EQ(hold->size, c.holdSize);
            EXPECT_EQ(hold->x, 184.0f);
            EXPECT_EQ(hold->y, 171.0f);
        }
    }
}

TEST(MeterFaceAnnunciators, SymbolsScaleAndDateLine) {
    FaceHarness h;
    h.show({1, 0, 0, 5, false, false, true});
    h.face.linkSpriteVisible = true;
    h.paint();
    EXPECT_TRUE(h.canvas.hasSprite({14, 92, 18, 14, 308, 108}));     // delta
    EXPECT_TRUE(h.canvas.hasSprite({14, 28, 24, 18, 280, 105}));     // link
    EXPECT_FALSE(h.canvas.hasSprite({334, 190, 12, 14, 332, 108}));  // arrow
    const Text* date = h.canvas.findText(u" 1/03/2026  3:07:09PM");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->x, 220.0f);
    EXPECT_EQ(date->y, 223.0f);
    EXPECT_EQ(date->size, 11.0f);
    const std::pair<std::u16string, float> labels[] = {
        {u"0", 26}, {u"10", 98}, {u"20", 174}, {u"30", 248}, {u"40", 322}};
    for (const auto& [text, x] : labels) {
        const Text* t = h.canvas.findText(text);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->x, x);
        EXPECT_EQ(t->y, 210.0f);
        EXPECT_EQ(t->size, 11.0f);
    }
    // Colours come from the settings.
    EXPECT_EQ(std::get<RecordingCanvas::Clear>(h.canvas.calls.front()).colour, 0xFFF0F0F0u);
    for (const Text& t : h.canvas.texts()) EXPECT_EQ(t.colour, 0xFF000000u);

    h.settings.colorMeterBG = 0xFF112233;
    h.settings.colorMeterText = 0xFF445566;
    h.show({1, 0, 0, 500, true});
    h.paint();
    EXPECT_EQ(std::get<RecordingCanvas::Clear>(h.canvas.calls.front()).colour, 0xFF112233u);
    for (const Text& t : h.canvas.texts()) EXPECT_EQ(t.colour, 0xFF445566u);
    for (const auto& r : h.canvas.rects()) EXPECT_EQ(r.colour, 0xFF445566u);
    for (const auto& r : h.canvas.rectsF()) EXPECT_EQ(r.colour, 0xFF445566u);
}

TEST(MeterFaceAnnunciators, ArrowDrawnOnlyInItsVisiblePhase) {
    FaceHarness h;
    h.show({9, 0, 0, 42000});
    h.face.arrowVisible = true;
    h.paint();
    EXPECT_TRUE(h.canvas.hasSprite({334, 190, 12, 14, 332, 108}));
    EXPECT_TRUE(h.face.overRangeArrow);
    h.face.arrowVisible = false;
    h.paint();
    EXPECT_FALSE(h.canvas.hasSprite({334, 190, 12, 14, 332, 108}));
    // Back in range: the arrow's flag and phase are both dropped.
    h.face.arrowVisible = true;
    h.show({9, 0, 0, 41});
    h.paint();
    EXPECT_FALSE(h.face.overRangeArrow);
    EXPECT_FALSE(h.face.arrowVisible);
    EXPECT_FALSE(h.canvas.hasSprite({334, 190, 12, 14, 332, 108}));
}

TEST(MeterFaceDateLine, TwelveHourClockWithPaddedFields) {
    struct Case {
        LocalDateTime t;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {{2026, 1, 3, 15, 7, 9}, u" 1/03/2026  3:07:09PM"},
        {{2025, 12, 31, 0, 0, 0}, u"12/31/2025 12:00:00AM"},
        {{2025, 6, 9, 11, 59, 59}, u" 6/09/2025 11:59:59AM"},
        {{2025, 6, 9, 12, 30, 5}, u" 6/09/2025 12:30:05PM"},
        {{2025, 6, 9, 23, 1, 2}, u" 6/09/2025 11:01:02PM"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatDateLine(c.t), c.expected);
}

TEST(MinMaxPanel, RoundsWithTheFaceConstant) {
    struct Case {
        double v;
        std::uint32_t n;
        int pointSlot;
        std::array<int, 4> digits;
    };
    const std::vector<Case> cases = {
        {static_cast<double>(1.2345f), 1235, 0, {1, 2, 3, 5}},
        {12.5, 1250, 1, {1, 2, 5, 0}},
        {static_cast<double>(123.45f), 1235, 2, {1, 2, 3, 5}},
        {1234.5, 1235, -1, {1, 2, 3, 5}},
        {static_cast<double>(1234.4f), 1234, -1, {1, 2, 3, 4}},
        {static_cast<double>(9.9996f), 10000, 0, {0, 0, 0, 0}},
        {42000.0, 42000, -1, {2, 0, 0, 0}},
        {0.0, 0, 0, {0, 0, 0, 0}},
        {static_cast<double>(0.0004f), 0, 0, {0, 0, 0, 0}},
        {static_cast<double>(0.00045f), 1, 0, {0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(panelDigits(c.v), (PanelDigits{c.n, c.pointSlot}));
        EXPECT_EQ(splitFourDigits(c.n), c.digits);
    }
}

TEST(MinMaxPanel, DrawsBothPanelsWithMinusMarkOnlyForNegativeMin) {
    RecordingCanvas canvas;
    MeterFaceState face;
    face.maxValue = 12.5f;
    face.minValue = -1.2345f;
    drawMinMaxPanel(canvas, face, 0xFF010203, 11.0f);
    FaceHarness h;  // reuse its panel readers on this canvas
    h.canvas = canvas;
    EXPECT_EQ(h.maxPanel(), "1250@1");
    EXPECT_EQ(h.minPanel(), "1235@0");
    EXPECT_TRUE(canvas.hasSprite({236, 22, 12, 20, 267, 122}));  // MIN's first point
    EXPECT_TRUE(canvas.hasRect(208, 19, 10, 4));
    ASSERT_NE(canvas.findText(u"MAX"), nullptr);
    EXPECT_EQ(canvas.findText(u"MAX")->x, 13.0f);
    EXPECT_EQ(canvas.findText(u"MIN")->x, 186.0f);
    EXPECT_EQ(canvas.findText(u"MIN")->y, 29.0f);

    canvas.reset();
    face.minValue = 3.0f;
    drawMinMaxPanel(canvas, face, 0xFF010203, 11.0f);
    EXPECT_FALSE(canvas.hasRect(208, 19, 10, 4));
}

struct MinMaxCase {
    const char* name;
    std::vector<ReadingSpec> readings;  // one repaint each
    std::string maxShown;               // panels of the last repaint
    std::string minShown;
    float maxValue;
    float minValue;
};

TEST(MinMaxBookkeeping, SequencesOfReadings) {
    const std::vector<MinMaxCase> cases = {
        {"positive: latch takes the first",
         {{1, 0, 0, 5}, {1, 0, 0, 7}, {1, 0, 0, 3}},
         "7000@0",
         "3000@0",
         7,
         3},
        {"negative: MAX stays 0",
         {{1, 0, 0, 2, true}, {1, 0, 0, 5, true}},
         "0000@0",
         "5000@0",
         0,
         -5},
        {"over range pulls MIN to 0",
         {{9, 0, 0, 5000}, {9, 0, 0, 3000}, {9, 0, 0, 42000}},
         "5000@1",
         "0000@0",
         50,
         0},
        {"repeats change nothing",
         {{1, 0, 3, 12345}, {1, 0, 3, 12345}},
         "1235@2",
         "1235@2",
         123.45f,
         123.45f},
    };
    for (const MinMaxCase& c : cases) {
        SCOPED_TRACE(c.name);
        FaceHarness h;
        for (const ReadingSpec& r : c.readings) {
            h.show(r);
            h.paint();
        }
        EXPECT_FLOAT_EQ(h.face.maxValue, c.maxValue);
        EXPECT_FLOAT_EQ(h.face.minValue, c.minValue);
        EXPECT_EQ(h.maxPanel(), c.maxShown);
        EXPECT_EQ(h.minPanel(), c.minShown);
    }
}

TEST(MinMaxBookkeeping, FunctionChangeResetsAndIsSaved) {
    FaceHarness h;
    for (int count : {5, 7, 3}) {
        h.show({1, 0, 0, count});
        h.paint();
    }
    h.view.fullScale = 8.0f;
    h.view.negativeSeen = true;
    h.show({9, 1, 0, 2500}, false);
    h.paint();
    EXPECT_EQ(h.maxPanel(), "0000@0");
    EXPECT_EQ(h.minPanel(), "0000@0");
    EXPECT_FALSE(h.face.minLatched);
    EXPECT_EQ(h.view.fullScale, 1.0f);
    EXPECT_FALSE(h.view.negativeSeen);
    EXPECT_EQ(h.settings.switch_, 9u);
    EXPECT_EQ(h.settings.mode, 1u);
    h.paint();
    EXPECT_EQ(h.maxPanel(), "2500@1");  // 25.00 mV
    EXPECT_EQ(h.minPanel(), "2500@1");
    // A change of sub-function alone resets as well.
    h.show({9, 0, 0, 2500}, false);
    h.paint();
    EXPECT_EQ(h.maxPanel(), "0000@0");
    EXPECT_EQ(h.settings.mode, 0u);
}

TEST(MeterFaceNoReading, StartUpRepaintsShowThePatternInTwoSteps) {
    FaceHarness h;  // Switch and Mode at their defaults of 10
    MeterReading startUp;
    startUp.setFunction(10);
    h.stored = startUp;

    h.paint();
    EXPECT_EQ(h.bigDigits(), "00000");
    EXPECT_EQ(h.bigPointSlot(), -1);
    EXPECT_TRUE(h.canvas.hasRect(12, 113, 20, 8));                // minus bar
    EXPECT_TRUE(h.canvas.hasSprite({14, 92, 18, 14, 308, 108}));  // delta
    EXPECT_NE(h.canvas.findText(u"HOLD"), nullptr);
    EXPECT_EQ(h.canvas.findText(u"AUTO"), nullptr);
    EXPECT_EQ(h.litSegments(), 1);
    EXPECT_FALSE(h.canvas.hasRect(14, 201, 10, 4));
    EXPECT_EQ(h.stored.count(), 23352);
    EXPECT_TRUE(h.stored.negative());
    EXPECT_TRUE(h.stored.hold());
    EXPECT_TRUE(h.stored.relative());
    EXPECT_EQ(h.stored.function(), 10);
    EXPECT_EQ(h.settings.mode, 0u);

    h.paint();
    EXPECT_EQ(h.bigDigits(), "23352");
    EXPECT_EQ(h.bigPointSlot(), -1);
    EXPECT_TRUE(h.canvas.hasRect(12, 113, 20, 8));
    EXPECT_NE(h.canvas.findText(u"HOLD"), nullptr);
    EXPECT_EQ(h.canvas.findText(u"AUTO"), nullptr);
    EXPECT_EQ(h.litSegments(), 41);
    EXPECT_TRUE(h.canvas.hasRect(14, 201, 10, 4));
    EXPECT_TRUE(h.face.overRangeArrow);
    EXPECT_EQ(h.minPanel(), "3352");
    EXPECT_TRUE(h.canvas.hasRect(208, 19, 10, 4));
    EXPECT_EQ(h.maxPanel(), "0000@0");
}

TEST(MeterFaceNoReading, ManualRangeIsClearedButOtherBitsKept) {
    FaceHarness h;
    h.show({10, 3, 5, 999, false, false, false, true});
    h.stored.bytes[6] = 0x5A;
    h.paint();
    EXPECT_EQ(h.bigDigits(), "00999");
    EXPECT_EQ(h.bigPointSlot(), 4);  // d = range 5 as received
    EXPECT_FALSE(h.stored.manualRange());
    EXPECT_EQ(h.stored.range(), 0);
    EXPECT_EQ(h.stored.subfunction(), 3);
    EXPECT_EQ(h.stored.tailByte(), 0x5A);
}

TEST(LcdGlyphs, OperationsCopyTheirCellsToFixedPlaces) {
    struct Case {
        const char* name;
        void (*draw)(Canvas&);
        RecordingCanvas::Sprite expected;
    };
    const std::vector<Case> cases = {
        {"big 7 slot 0", [](Canvas& c) { drawBigDigit(c, 7, 0); }, {37, 72, 57, 100, 401, 0}},
        {"big L slot 3",
         [](Canvas& c) { drawBigDigit(c, lcd::kBigL, 3); },
         {223, 72, 57, 100, 572, 0}},
        {"big 0 slot 4", [](Canvas& c) { drawBigDigit(c, 0, 4); }, {285, 72, 57, 100, 2, 0}},
        {"small 9 MAX 3",
         [](Canvas& c) { drawSmallDigit(c, 9, 3, MinMaxPanel::max); },
         {127, 3, 23, 38, 226, 102}},
        {"small 0 MIN 0",
         [](Canvas& c) { drawSmallDigit(c, 0, 0, MinMaxPanel::min); },
         {219, 3, 23, 38, 1, 102}},
        {"small 4 MIN 3",
         [](Canvas& c) { drawSmallDigit(c, 4, 3, MinMaxPanel::min); },
         {297, 3, 23, 38, 101, 102}},
        {"big point 2", [](Canvas& c) { drawBigPoint(c, 2); }, {209, 152, 14, 20, 284, 124}},
        {"small point 0", [](Canvas& c) { drawSmallPoint(c, 0); }, {66, 22, 12, 20, 267, 122}},
        {"small point 2", [](Canvas& c) { drawSmallPoint(c, 2); }, {118, 22, 12, 20, 267, 122}},
        {"small point 3", [](Canvas& c) { drawSmallPoint(c, 3); }, {236, 22, 12, 20, 267, 122}},
        {"small point 5", [](Canvas& c) { drawSmallPoint(c, 5); }, {288, 22, 12, 20, 267, 122}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        c.draw(canvas);
        ASSERT_EQ(canvas.sprites().size(), 1u);
        EXPECT_EQ(canvas.sprites()[0], c.expected);
    }
}

}  // namespace
