#include "qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QRegion>
#include <memory>
#include <string>
#include <vector>

#include "drawing/canvas_contract.h"
#include "drawing/lcd_glyphs.h"
#include "face/face_look.h"
#include "qt/qt_drawing_surfaces.h"
#include "qt/qt_resources.h"
#include "support/face_harness.h"

namespace {

constexpr Argb kWhite = 0xFFFFFFFF;
constexpr Argb kBlack = 0xFF000000;

bool dark(const QImage& img, int x, int y) {
    return qGray(img.pixel(x, y)) < 100;
}
bool light(const QImage& img, int x, int y) {
    return qGray(img.pixel(x, y)) > 200;
}

int darkCount(const QImage& img, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) n += dark(img, x, y) ? 1 : 0;
    }
    return n;
}

// The face drawn through the Qt canvas with the embedded sprite sheet.
struct QtFace {
    QtDrawingSurfaces surfaces{QSize(350, 237), QSize(600, 120)};
    FaceHarness state;

    const QImage& paint(const ReadingSpec& r) {
        state.show(r);
        updateMeterFace(state.stored, state.face, state.settings);
        drawMeterFace(surfaces.meterSurface(), state.stored, state.face, state.settings,
                      state.clock);
        return surfaces.meterSurface().image();
    }
};

// Every pixel that changes from one face to the next lies in a part the
// session asks to redraw for that change: what is left out would stay stale
// on screen, as a paint draws only those parts over the kept picture.
TEST(QtFacePixels, ChangedPixelsLieInTheChangedParts) {
    const ReadingSpec start{1, 0, 3, 1234};
    const struct {
        const char* name;
        ReadingSpec next;
        bool link;
        bool arrow;
    } cases[] = {
        {"another count", {1, 0, 3, 4321}, false, false},
        {"a count of five digits", {1, 0, 3, 39999}, false, false},
        {"the last digit", {1, 0, 3, 1238}, false, false},
        {"relative", {1, 0, 3, 1234, false, false, true}, false, false},
        {"another function", {9, 1, 0, 1234}, false, false},
        {"held, relative, manual", {1, 0, 3, 1234, false, true, true, true}, false, false},
        {"negative", {1, 0, 3, 1234, true}, false, false},
        {"over range", {3, 0, 0, 42000}, false, true},
        {"a temperature in large type", {4, 0, 0, 250, false, true}, false, false},
        {"the link sprite", start, true, false},
    };
    for (const auto& c : cases) {
        QtFace f;
        f.paint(start);
        const FaceLook beforeLook = faceLook(f.state.stored, f.state.face, f.state.settings);
        f.state.face.linkSpriteVisible = c.link;
        f.state.face.arrowVisible = c.arrow;
        f.state.show(c.next, false);
        updateMeterFace(f.state.stored, f.state.face, f.state.settings);
        const FaceChanges changes = faceChanges(
            beforeLook, faceLook(f.state.stored, f.state.face, f.state.settings), 350, 237);
        // A paint draws only the parts asked for over the kept picture.
        QRegion parts;
        for (std::size_t i = 0; i < changes.count; ++i) {
            const FaceRect& r = changes.rects[i];
            parts += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
        QtCanvas& kept = f.surfaces.meterSurface();
        kept.clipTo(parts);
        drawMeterFace(kept, f.state.stored, f.state.face, f.state.settings, f.state.clock);
        kept.clipTo({});
        QtDrawingSurfaces whole{QSize(350, 237), QSize(600, 120)};
        drawMeterFace(whole.meterSurface(), f.state.stored, f.state.face, f.state.settings,
                      f.state.clock);
        EXPECT_TRUE(kept.image() == whole.meterSurface().image()) << c.name;
    }
}

TEST(QtFacePixels, BarSegmentsFollowTheCount) {
    QtFace f;
    const QImage& img = f.paint({1, 0, 3, 12345});
    ASSERT_EQ(img.size(), QSize(350, 237));
    for (int i = 0; i < 41; ++i) {
        SCOPED_TRACE(i);
        const int x = static_cast<int>(barSegmentX(i) + 1.5f);  // middle of the 3-pixel segment
        if (i <= 12) {
            EXPECT_TRUE(dark(img, x, 197));
        } else {
            EXPECT_TRUE(light(img, x, 197));
        }
        // Between segments the background shows.
        EXPECT_TRUE(light(img, static_cast<int>(barSegmentX(i)) + 5, 197));
    }
}

TEST(QtFacePixels, DigitCellsCarryInkAndTheMinusBarOnlyWhenNegative) {
    struct Case {
        bool negative;
    };
    for (const Case c : {Case{false}, Case{true}}) {
        SCOPED_TRACE(c.negative);
        QtFace f;
        const QImage& img = f.paint({1, 0, 3, 12345, c.negative});
        for (int slot = 0; slot < 5; ++slot) {
            EXPECT_GT(darkCount(img, QRect(62 * slot + 37, 72, 57, 100)), 300) << "slot " << slot;
        }
        // The decimal point after slot 2 and nowhere else.
        EXPECT_GT(darkCount(img, QRect(62 * 2 + 85 + 2, 152 + 8, 10, 10)), 20);
        EXPECT_EQ(darkCount(img, QRect(62 * 0 + 85 + 2, 152 + 8, 10, 10)), 0);
        EXPECT_EQ(dark(img, 22, 117), c.negative);
        EXPECT_EQ(light(img, 22, 117), !c.negative);
    }
}

TEST(QtFacePixels, FaceColoursComeFromTheSettings) {
    QtFace f;
    f.state.settings.colorMeterBG = 0xFF203040;
    f.state.settings.colorMeterText = 0xFFFFFF00;
    const QImage& img = f.paint({1, 0, 3, 12345});
    EXPECT_EQ(img.pixel(345, 100), 0xFF203040u);
    EXPECT_EQ(img.pixel(30, 197), 0xFFFFFF00u);  // first bar segment
}

// Lines along a row or a column are filled, not stroked: the pixels must be
// those the raster engine's own one-pixel stroke gives, dashes included.
TEST(QtCanvasLines, AxisLinesAreThePixelsOfTheStroke) {
    struct Case {
        int x1, y1, x2, y2;
    };
    const Case cases[] = {{5, 3, 290, 3}, {290, 3, 5, 3}, {7, 4, 7, 286}, {7, 286, 7, 4},
                          {5, 5, 6, 5},   {5, 5, 10, 5},  {5, 5, 11, 5},  {5, 6, 5, 13}};
    for (const Argb colour : {0xFF408040u, 0x60FFFFFFu}) {
        for (const bool dashed : {false, true}) {
            for (const Case& c : cases) {
                QtCanvas canvas(300, 300);
                canvas.clear(kBlack);
                canvas.drawLine(c.x1, c.y1, c.x2, c.y2, Pen{colour, dashed});
                QImage stroked(300, 300, QImage::Format_RGB32);
                stroked.fill(Qt::black);
                QPainter painter(&stroked);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(
                    QPen(QColor::fromRgba(colour), 1, dashed ? Qt::DashLine : Qt::SolidLine));
                painter.drawLine(QPointF(c.x1 + 0.5, c.y1 + 0.5), QPointF(c.x2 + 0.5, c.y2 + 0.5));
                painter.end();
                EXPECT_TRUE(canvas.image() == stroked)
                    << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2 << " dashed " << dashed
                    << " colour " << std::hex << colour;
            }
        }
    }
}

TEST(SpriteSheet, EmbeddedSheetFillsEveryCellTheFaceDraws) {
    const QImage sheet = loadSpriteSheet();
    ASSERT_EQ(sheet.size(), QSize(lcd::kSheetWidth, lcd::kSheetHeight));
    std::vector<SpriteCell> cells = {lcd::kDiode,      lcd::kLink,       lcd::kDelta,   lcd::kArrow,
                                     lcd::kContinuity, lcd::kSmallPoint, lcd::kBigPoint};
    for (int g = 0; g < lcd::kBigGlyphCount; ++g) cells.push_back(lcd::bigGlyph(g));
    for (int g = 0; g < lcd::kSmallGlyphCount; ++g) cells.push_back(lcd::smallGlyph(g));
    for (const SpriteCell& c : cells) {
        int opaque = 0;
        for (int y = c.y; y < c.y + c.h; ++y) {
            for (int x = c.x; x < c.x + c.w; ++x) {
                const QRgb p = sheet.pixel(x, y);
                opaque += qAlpha(p) > 200 ? 1 : 0;
                if (qAlpha(p) > 0) {
                    EXPECT_LT(qGray(p), 64) << "glyphs are black";
                }
            }
        }
        EXPECT_GT(opaque, 10) << c.x << "," << c.y;
    }
    // The ground is transparent.
    EXPECT_EQ(qAlpha(sheet.pixel(631, 146)), 0);
    EXPECT_EQ(qAlpha(sheet.pixel(0, 0)), 0);
    // Big glyphs are about 95 px tall, small ones about 35.
    QImage alpha = sheet.convertToFormat(QImage::Format_ARGB32);
    int top = 100, bottom = -1;
    for (int y = 0; y < 100; ++y) {
        for (int x = 2; x < 59; ++x) {
            if (qAlpha(alpha.pixel(x, y)) > 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_NEAR(bottom - top + 1, 95, 3);
}

TEST(DrawingSurfaces, ChartSurfaceIsRemadeAndMeterSurfaceKept) {
    QtDrawingSurfaces surfaces(QSize(350, 237), QSize(600, 120));
    QtCanvas* meter = &surfaces.meterSurface();
    surfaces.recreateChartSurface(QSize(700, 90));
    EXPECT_EQ(&surfaces.meterSurface(), meter);
    EXPECT_EQ(surfaces.chartSurface().width(), 700);
    EXPECT_EQ(surfaces.chartSurface().height(), 90);
    // A zero-sized chart panel gives a surface on which every call does nothing.
    surfaces.recreateChartSurface(QSize(0, 90));
    QtCanvas& empty = surfaces.chartSurface();
    empty.clear(kBlack);
    empty.fillRectF(1, 1, 5, 5, kBlack);
    empty.drawText(0, 0, u"x", 11, kBlack);
    EXPECT_TRUE(empty.image().isNull());
    EXPECT_FALSE(surfaces.spriteSheet().isNull());
    EXPECT_FALSE(appIcon().isNull());
}

struct QtCanvasUnderTest final : CanvasUnderTest {
    QImage sheet;
    QImage premultipliedSheet;
    QtCanvas surface;
    QtCanvasUnderTest(int width, int height, bool withSheet)
        : sheet(withSheet ? loadSpriteSheet() : QImage()),
          premultipliedSheet(sheet.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
          surface(width, height, &sheet) {}
    Canvas& canvas() override { return surface; }
    Argb pixel(int x, int y) const override { return surface.image().pixel(x, y); }
    Argb sheetPixel(int x, int y) const override { return premultipliedSheet.pixel(x, y); }
};

INSTANTIATE_TEST_SUITE_P(
    Qt, CanvasContract,
    ::testing::Values(CanvasFactory{
        "qt",
        [](int width, int height, bool withSheet) -> std::unique_ptr<CanvasUnderTest> {
            return std::make_unique<QtCanvasUnderTest>(width, height, withSheet);
        }}),
    canvasName);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
