#include "drawing/canvas_contract.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawing/lcd_glyphs.h"

namespace {

constexpr Argb kBlack = 0xFF000000;
constexpr Argb kWhite = 0xFFFFFFFF;
constexpr Argb kGreen = 0xFF00FF00;

int channel(Argb colour, int shift) {
    return static_cast<int>(colour >> shift & 0xFF);
}

Argb premultiplied(Argb colour) {
    const int a = channel(colour, 24);
    Argb out = static_cast<Argb>(a) << 24;
    for (int shift = 0; shift < 24; shift += 8)
        out |= static_cast<Argb>((channel(colour, shift) * a + 127) / 255) << shift;
    return out;
}

// A premultiplied colour over an opaque ground.
Argb over(Argb source, Argb ground) {
    const int keep = 255 - channel(source, 24);
    Argb out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8)
        out |=
            static_cast<Argb>(channel(source, shift) + (channel(ground, shift) * keep + 127) / 255)
            << shift;
    return out;
}

bool near(Argb a, Argb b) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(channel(a, shift) - channel(b, shift)) > 2) return false;
    return true;
}

TEST_P(CanvasContract, WholePixelFillsAreCrisp) {
    struct Probe {
        int x;
        int y;
        Argb expected;
    };
    struct Case {
        const char* what;
        void (*draw)(Canvas&);
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"whole rectangle",
         [](Canvas& c) { c.fillRect(2, 3, 4, 5, kGreen); },
         {{2, 3, kGreen},
          {5, 7, kGreen},
          {6, 3, kWhite},
          {1, 3, kWhite},
          {2, 8, kWhite},
          {2, 2, kWhite}}},
        {"translucent over white",
         [](Canvas& c) { c.fillRect(0, 0, 3, 3, 0x80000000); },
         {{1, 1, 0xFF7F7F7F}, {3, 3, kWhite}}},
        {"float rectangle on whole pixels",
         [](Canvas& c) { c.fillRectF(10.0f, 0.0f, 3.0f, 4.0f, kGreen); },
         {{10, 1, kGreen}, {12, 3, kGreen}, {13, 1, kWhite}, {9, 1, kWhite}, {10, 4, kWhite}}},
        {"past the top-left corner",
         [](Canvas& c) { c.fillRect(-3, -2, 5, 4, kGreen); },
         {{0, 0, kGreen}, {1, 1, kGreen}, {2, 0, kWhite}, {0, 2, kWhite}}},
        {"past the bottom-right corner",
         [](Canvas& c) { c.fillRect(38, 28, 5, 5, kGreen); },
         {{39, 29, kGreen}, {38, 28, kGreen}, {37, 29, kWhite}, {39, 27, kWhite}}},
        {"empty and negative sizes",
         [](Canvas& c) {
             c.fillRect(5, 5, 0, 3, kGreen);
             c.fillRect(5, 5, -2, -2, kGreen);
         },
         {{5, 5, kWhite}, {4, 4, kWhite}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto under = make(40, 30);
        under->canvas().clear(kWhite);
        c.draw(under->canvas());
        for (const Probe& p : c.probes)
            EXPECT_PRED2(near, under->pixel(p.x, p.y), p.expected) << p.x << "," << p.y;
    }
    // On half pixels the three pixels' worth spread over the four columns
    // touched (smoothed, or rounded to whole pixels), and nothing beyond.
    const auto under = make(40, 30);
    under->canvas().clear(kWhite);
    under->canvas().fillRectF(10.5f, 0.0f, 3.0f, 4.0f, kGreen);
    int covered = 0;
    for (int x = 9; x <= 14; ++x) covered += 255 - channel(under->pixel(x, 1), 0);
    EXPECT_NEAR(covered, 3 * 255, 8);
    EXPECT_EQ(under->pixel(11, 1), kGreen);
    EXPECT_EQ(under->pixel(9, 1), kWhite);
    EXPECT_EQ(under->pixel(14, 1), kWhite);
}

// Each pixel from one end to the other, both included, in dashes of four
// with gaps of two counted from the first end; nothing beside or beyond.
// A see-through line is blended once everywhere, however long.
TEST_P(CanvasContract, AxisLinesCoverExactlyTheirPixels) {
    struct Case {
        int x1, y1, x2, y2;
    };
    const Case cases[] = {{5, 3, 290, 3}, {290, 3, 5, 3}, {7, 4, 7, 286},
                          {7, 286, 7, 4}, {5, 5, 6, 5},   {5, 5, 10, 5},
                          {5, 5, 11, 5},  {5, 6, 5, 13},  {10, 3, 10, 131}};
    for (const Argb colour : {0xFF408040u, 0x60FFFFFFu}) {
        for (const bool dashed : {false, true}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(::testing::Message()
                             << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2 << " dashed "
                             << dashed << " colour " << std::hex << colour);
                const auto under = make(300, 300);
                under->canvas().clear(kBlack);
                under->canvas().drawLine(c.x1, c.y1, c.x2, c.y2, Pen{colour, dashed});
                const int dx = c.x2 > c.x1 ? 1 : c.x2 < c.x1 ? -1 : 0;
                const int dy = c.y2 > c.y1 ? 1 : c.y2 < c.y1 ? -1 : 0;
                const int length = std::max(std::abs(c.x2 - c.x1), std::abs(c.y2 - c.y1));
                const Argb lit = over(premultiplied(colour), kBlack);
                int wrong = 0;
                for (int i = -1; i <= length + 1; ++i) {
                    const int x = c.x1 + i * dx;
                    const int y = c.y1 + i * dy;
                    const bool on = i >= 0 && i <= length && (!dashed || i % 6 < 4);
                    wrong += near(under->pixel(x, y), on ? lit : kBlack) ? 0 : 1;
                    wrong += under->pixel(x + dy, y + dx) == kBlack ? 0 : 1;
                    wrong += under->pixel(x - dy, y - dx) == kBlack ? 0 : 1;
                }
                EXPECT_EQ(wrong, 0);
            }
        }
    }
}

TEST_P(CanvasContract, SpritesAreCopiedOneToOne) {
    for (const SpriteCell& cell : {lcd::bigGlyph(8), lcd::kArrow}) {
        SCOPED_TRACE(cell.x);
        const auto under = make(120, 110, true);
        under->canvas().clear(kGreen);
        drawSpriteCell(under->canvas(), 5, 3, cell);
        int wrong = 0;
        int inked = 0;
        for (int y = 0; y < cell.h; ++y) {
            for (int x = 0; x < cell.w; ++x) {
                const Argb source = under->sheetPixel(cell.x + x, cell.y + y);
                const Argb got = under->pixel(5 + x, 3 + y);
                inked += source >> 24 == 0xFF ? 1 : 0;
                // The ground shows exactly where the sheet is clear.
                wrong +=
                    (source >> 24 == 0 ? got == kGreen : near(got, over(source, kGreen))) ? 0 : 1;
            }
        }
        EXPECT_GT(inked, 10);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(under->pixel(4, 3), kGreen);
        EXPECT_EQ(under->pixel(5 + cell.w, 3 + cell.h - 1), kGreen);
    }
    // Without a sheet a copy draws nothing, and the rest still draws.
    const auto bare = make(120, 110, false);
    bare->canvas().clear(kGreen);
    drawSpriteCell(bare->canvas(), 5, 3, lcd::bigGlyph(8));
    bare->canvas().fillRect(100, 100, 2, 2, kBlack);
    int drawn = 0;
    for (int y = 3; y < 103; ++y)
        for (int x = 5; x < 62; ++x) drawn += bare->pixel(x, y) != kGreen ? 1 : 0;
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(bare->pixel(101, 101), kBlack);
}

// The ink starts a little inside the box (side bearing, internal leading,
// the toolkit's padding), and its height follows the size.
TEST_P(CanvasContract, TextIsPlacedByItsBoxCorner) {
    struct Case {
        std::u16string text;
        float size;
        float x, y;
    };
    const Case cases[] = {
        {u"HOLD", 18, 40, 30},     {u"AUTO", 14, 120, 100}, {u"1/03/2026  3:07:09PM", 11, 10, 150},
        {u"K\u2126", 14, 200, 60}, {u"HOLD", 36, 40, 160},  {u"88", 14, 20, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()) + " " + std::to_string(c.size));
        const auto under = make(350, 237);
        under->canvas().clear(kWhite);
        under->canvas().drawText(c.x, c.y, c.text, c.size, kBlack);
        int left = 350, top = 237, bottom = -1;
        for (int y = 0; y < 237; ++y) {
            for (int x = 0; x < 350; ++x) {
                if (channel(under->pixel(x, y), 8) >= 128) continue;
                left = std::min(left, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        ASSERT_GE(bottom, 0) << "no ink";
        EXPECT_GE(left, static_cast<int>(c.x) - 1);
        EXPECT_LE(left, static_cast<int>(c.x) + c.size * 0.45f);
        EXPECT_GE(top, static_cast<int>(c.y));
        EXPECT_LE(top, static_cast<int>(c.y) + c.size * 0.45f);
        const int height = bottom - top + 1;
        EXPECT_GT(height, c.size * 0.55f);
        EXPECT_LT(height, c.size * 1.2f);
    }
}

// A kept picture comes back whole, and only under the key it was kept by.
TEST_P(CanvasContract, AKeptBackgroundComesBackUnderItsKey) {
    const BackgroundKey grid{{1, 2, 3, 4}};
    const BackgroundKey other{{1, 2, 3, 5}};
    const auto under = make(40, 30);
    Canvas& canvas = under->canvas();
    EXPECT_FALSE(canvas.restoreBackground(grid));
    canvas.clear(kWhite);
    canvas.fillRect(2, 3, 4, 5, kGreen);
    canvas.keepBackground(grid);
    canvas.clear(kBlack);
    EXPECT_FALSE(canvas.restoreBackground(other));
    EXPECT_EQ(under->pixel(3, 4), kBlack);
    EXPECT_TRUE(canvas.restoreBackground(grid));
    EXPECT_EQ(under->pixel(3, 4), kGreen);
    EXPECT_EQ(under->pixel(39, 29), kWhite);
    // Drawn on after it came back, and back again: every pixel as kept.
    const PointF trace[] = {{0.0f, 29.0f}, {17.5f, 3.2f}, {39.0f, 20.0f}};
    canvas.drawPolyline(trace, Pen{kBlack, false});
    canvas.drawLine(30, 0, 30, 29, Pen{kBlack, true});
    canvas.drawText(20, 12, u"Wg", 11, kBlack);
    canvas.fillRectF(5.5f, 20.5f, 3.0f, 3.0f, kBlack);
    EXPECT_TRUE(canvas.restoreBackground(grid));
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inRect = x >= 2 && x < 6 && y >= 3 && y < 8;
            ASSERT_EQ(under->pixel(x, y), inRect ? kGreen : kWhite) << x << "," << y;
        }
    }
}

TEST_P(CanvasContract, ASurfaceThatCouldNotBeMadeIgnoresEveryCall) {
    const auto under = make(0, 0, true);
    Canvas& canvas = under->canvas();
    EXPECT_EQ(canvas.width(), 0);
    EXPECT_EQ(canvas.height(), 0);
    const PointF points[] = {{0, 0}, {5, 5}};
    canvas.clear(kBlack);
    canvas.fillRect(0, 0, 5, 5, kGreen);
    canvas.fillRectF(1, 1, 5, 5, kGreen);
    canvas.drawSprite(0, 0, 10, 10, 0, 0);
    canvas.drawLine(0, 0, 9, 0, Pen{kGreen, true});
    canvas.drawPolyline(points, Pen{kGreen, false});
    canvas.drawText(0, 0, u"x", 11, kGreen);
    canvas.keepBackground({});
    EXPECT_FALSE(canvas.restoreBackground({}));
    EXPECT_EQ(canvas.width(), 0);
}

}  // namespace

std::string canvasName(const ::testing::TestParamInfo<CanvasFactory>& info) {
    return info.param.name;
}
