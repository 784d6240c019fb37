#include "win32/win32_gdiplus_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// Fills and clears land on whole device pixels at any whole scale, blend
// like the library's (premultiplied, source over), and soften half pixels.
TEST(GdiplusCanvas, FillsCoverTheirDevicePixels) {
    const GdiplusLibrary library;
    ASSERT_TRUE(library.started());
    struct Probe {
        int x;
        int y;
        std::uint32_t expected;
    };
    struct Case {
        const char* what;
        float scale;
        void (*draw)(Canvas&);
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"clear, opaque and translucent",
         1.0f,
         [](Canvas& c) { c.clear(0x80FF0000); },
         {{0, 0, 0x80800000}, {39, 29, 0x80800000}}},
        {"whole rectangle",
         1.0f,
         [](Canvas& c) { c.fillRect(2, 3, 4, 5, kGreen); },
         {{2, 3, kGreen}, {5, 7, kGreen}, {6, 3, kWhite}, {1, 3, kWhite}, {2, 8, kWhite}}},
        {"whole rectangle at twice the size",
         2.0f,
         [](Canvas& c) { c.fillRect(2, 3, 4, 5, kGreen); },
         {{4, 6, kGreen}, {11, 15, kGreen}, {12, 6, kWhite}, {3, 6, kWhite}}},
        {"translucent over white",
         1.0f,
         [](Canvas& c) { c.fillRect(0, 0, 3, 3, 0x80000000); },
         {{1, 1, 0xFF7F7F7F}, {3, 3, kWhite}}},
        {"float rectangle on whole pixels",
         1.0f,
         [](Canvas& c) { c.fillRectF(10.0f, 0.0f, 3.0f, 4.0f, kGreen); },
         {{10, 1, kGreen}, {12, 3, kGreen}, {13, 1, kWhite}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GdiplusCanvas canvas(static_cast<int>(40 * c.scale), static_cast<int>(30 * c.scale),
                             c.scale);
        ASSERT_TRUE(canvas.usable());
        EXPECT_EQ(canvas.width(), 40);
        canvas.clear(kWhite);
        c.draw(canvas);
        for (const Probe& p : c.probes)
            EXPECT_PRED2(near, canvas.pixel(p.x, p.y), p.expected) << p.x << "," << p.y;
    }
    // On half pixels the three pixels' worth spread over the four columns
    // touched (smoothed, or rounded as Wine does), and nothing beyond.
    GdiplusCanvas canvas(40, 30);
    canvas.clear(kWhite);
    canvas.fillRectF(10.5f, 0.0f, 3.0f, 4.0f, kGreen);
    int covered = 0;
    for (int x = 9; x <= 14; ++x) covered += 255 - static_cast<int>(canvas.pixel(x, 1) & 0xFF);
    EXPECT_NEAR(covered, 3 * 255, 8);
    EXPECT_EQ(canvas.pixel(11, 1), kGreen);
    EXPECT_EQ(canvas.pixel(9, 1), kWhite);
    EXPECT_EQ(canvas.pixel(14, 1), kWhite);
}

// Sprites are the sheet's own pixels, 1:1 on the device: the plain sheet at
// 96 dpi, the 2x sheet at twice the size; text has its box's corner at (x, y).
TEST(GdiplusCanvas, SpritesAndTextLandWhereTheFaceWantsThem) {
    const GdiplusLibrary library;
    const GdiplusImage sheets[] = {sheetFile("lcd_sprites.png"), sheetFile("lcd_sprites_2x.png")};
    for (int k : {1, 2}) {
        SCOPED_TRACE(k);
        const GdiplusImage& sheet = sheets[k - 1];
        ASSERT_TRUE(sheet.valid());
        const std::vector<std::uint32_t>& pixels = sheet.premultipliedPixels();
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(sheet.width() * sheet.height()));
        GdiplusCanvas canvas(120 * k, 110 * k, static_cast<float>(k), &sheet, k);
        canvas.clear(0);
        const SpriteCell eight = lcd::bigGlyph(8);
        canvas.drawSprite(5, 3, eight.w, eight.h, eight.x, eight.y);
        int differ = 0;
        for (int y = 0; y < eight.h * k; ++y)
            for (int x = 0; x < eight.w * k; ++x)
                differ += canvas.pixel(5 * k + x, 3 * k + y) !=
                          pixels[static_cast<std::size_t>((eight.y * k + y) * sheet.width() +
                                                          eight.x * k + x)];
        EXPECT_EQ(differ, 0);
        EXPECT_EQ(canvas.pixel(4 * k, 3 * k), 0u);
    }

    GdiplusCanvas canvas(120, 60);
    canvas.clear(kWhite);
    canvas.drawText(20.0f, 10.0f, u"88", 14.0f, 0xFF000000);
    int left = 120;
    int top = 60;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x)
            if ((canvas.pixel(x, y) & 0xFF) < 0x80) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
    EXPECT_GE(left, 20);
    EXPECT_LE(left, 26);
    EXPECT_GE(top, 10);
    EXPECT_LE(top, 16);

    GdiplusCanvas none(0, 0);
    EXPECT_FALSE(none.usable());
    none.clear(kWhite);
    none.fillRect(0, 0, 5, 5, kGreen);
    none.drawText(0.0f, 0.0f, u"x", 14.0f, kGreen);
    EXPECT_EQ(none.pixel(0, 0), 0u);
}

}  // namespace
