#include "win32/win32_gdiplus_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "drawing/canvas_contract.h"
#include "drawing/lcd_glyphs.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kGreen = 0xFF00FF00;

GdiplusImage sheetFile(const char* name) {
    std::ifstream in(std::string(ZINTAVO_RES_DIR) + "/" + name, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    return GdiplusImage::fromBytes(bytes.data(), bytes.size());
}

bool near(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 2)
            return false;
    return true;
}

// At twice the size a logical pixel is two by two device pixels, a
// translucent clear is kept premultiplied, and the 2x sheet's pixels land
// 1:1 on the device; the rules at 1:1 are the canvas contract's.
TEST(GdiplusCanvas, ScaledDrawingCoversItsDevicePixels) {
    const GdiplusLibrary library;
    ASSERT_TRUE(library.started());
    struct Probe {
        int x;
        int y;
        std::uint32_t expected;
    };
    struct Case {
        const char* what;
        void (*draw)(GdiplusCanvas&);
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"translucent clear",
         [](GdiplusCanvas& c) { c.clear(0x80FF0000); },
         {{0, 0, 0x80800000}, {79, 59, 0x80800000}}},
        {"whole rectangle",
         [](GdiplusCanvas& c) { c.fillRect(2, 3, 4, 5, kGreen); },
         {{4, 6, kGreen}, {11, 15, kGreen}, {12, 6, kWhite}, {3, 6, kWhite}}},
        {"line along a row",
         [](GdiplusCanvas& c) {
             c.drawLine(2, 3, 5, 3, Pen{kGreen, false});
         },
         {{4, 6, kGreen}, {11, 7, kGreen}, {12, 6, kWhite}, {4, 8, kWhite}, {4, 5, kWhite}}},
        {"clipped, by the canvas and by the library",
         [](GdiplusCanvas& c) {
             c.clipTo(6, 6, 12, 12);
             c.clear(kGreen);
             c.clipTo(14, 6, 20, 12);
             c.fillRectF(0.5f, 0.5f, 30.0f, 20.0f, kGreen);
         },
         {{6, 6, kGreen},
          {11, 11, kGreen},
          {14, 6, kGreen},
          {19, 11, kGreen},
          {5, 6, kWhite},
          {12, 8, kWhite},
          {21, 8, kWhite},
          {16, 12, kWhite}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GdiplusCanvas canvas(80, 60, 2.0f);
        ASSERT_TRUE(canvas.usable());
        EXPECT_EQ(canvas.width(), 40);
        canvas.clear(kWhite);
        c.draw(canvas);
        for (const Probe& p : c.probes)
            EXPECT_PRED2(near, canvas.pixel(p.x, p.y), p.expected) << p.x << "," << p.y;
    }

    const GdiplusImage sheet = sheetFile("lcd_sprites_2x.png");
    ASSERT_TRUE(sheet.valid());
    const std::vector<std::uint32_t>& pixels = sheet.premultipliedPixels();
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(sheet.width() * sheet.height()));
    GdiplusCanvas canvas(240, 220, 2.0f, &sheet, 2);
    canvas.clear(0);
    const SpriteCell eight = lcd::bigGlyph(8);
    canvas.drawSprite(5, 3, eight.w, eight.h, eight.x, eight.y);
    int differ = 0;
    for (int y = 0; y < eight.h * 2; ++y)
        for (int x = 0; x < eight.w * 2; ++x)
            differ += canvas.pixel(10 + x, 6 + y) !=
                      pixels[static_cast<std::size_t>((eight.y * 2 + y) * sheet.width() +
                                                      eight.x * 2 + x)];
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(canvas.pixel(8, 6), 0u);
}

struct GdiplusCanvasUnderTest final : CanvasUnderTest {
    GdiplusLibrary library;
    GdiplusImage sheet;
    GdiplusCanvas surface;
    GdiplusCanvasUnderTest(int width, int height, bool withSheet)
        : sheet(withSheet ? sheetFile("lcd_sprites.png") : GdiplusImage()),
          surface(width, height, 1.0f, &sheet) {}
    Canvas& canvas() override { return surface; }
    Argb pixel(int x, int y) const override { return surface.pixel(x, y); }
    Argb sheetPixel(int x, int y) const override {
        return sheet.premultipliedPixels()[static_cast<std::size_t>(y * sheet.width() + x)];
    }
};

INSTANTIATE_TEST_SUITE_P(
    Gdiplus, CanvasContract,
    ::testing::Values(CanvasFactory{
        "gdiplus",
        [](int width, int height, bool withSheet) -> std::unique_ptr<CanvasUnderTest> {
            return std::make_unique<GdiplusCanvasUnderTest>(width, height, withSheet);
        }}),
    canvasName);

}  // namespace
