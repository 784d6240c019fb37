#include "qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QRegion>
#include <string>
#include <vector>

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

// Bounding box of the pixels darker than mid-grey.
QRect inkBox(const QImage& img, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(img.pixel(x, y)) < 128) box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
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

TEST(QtCanvasText, MeasuredBoxStartsAtTheAnchor) {
    struct Case {
        std::u16string text;
        float size;
        float x, y;
    };
    const std::vector<Case> cases = {
        {u"HOLD", 18, 40, 30},     {u"AUTO", 14, 120, 100}, {u"1/03/2026  3:07:09PM", 11, 10, 150},
        {u"K\u2126", 14, 200, 60}, {u"HOLD", 36, 40, 160},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()) + " " + std::to_string(c.size));
        QtCanvas canvas(350, 237);
        canvas.clear(kWhite);
        canvas.drawText(c.x, c.y, c.text, c.size, kBlack);
        const QRect ink = inkBox(canvas.image(), canvas.image().rect());
        ASSERT_FALSE(ink.isNull());
        // The ink starts a little inside the box: side bearing and internal leading.
        EXPECT_GE(ink.left(), static_cast<int>(c.x) - 1);
        EXPECT_LE(ink.left(), static_cast<int>(c.x) + c.size * 0.25f);
        EXPECT_GE(ink.top(), static_cast<int>(c.y));
        EXPECT_LE(ink.top(), static_cast<int>(c.y) + c.size * 0.4f);
        // Cap height grows with the size.
        EXPECT_GT(ink.height(), c.size * 0.55f);
        EXPECT_LT(ink.height(), c.size * 1.2f);
    }
}

TEST(QtCanvasFills, IntegerRectsAreCrispHalfPixelEdgesSoft) {
    QtCanvas canvas(40, 40);
    canvas.clear(kWhite);
    canvas.fillRect(2, 2, 4, 4, kBlack);
    canvas.fillRectF(10.5f, 2.0f, 3.0f, 10.0f, kBlack);
    const QImage& img = canvas.image();
    EXPECT_EQ(qGray(img.pixel(2, 2)), 0);
    EXPECT_EQ(qGray(img.pixel(5, 5)), 0);
    EXPECT_EQ(qGray(img.pixel(6, 5)), 255);
    EXPECT_EQ(qGray(img.pixel(11, 5)), 0);
    EXPECT_EQ(qGray(img.pixel(12, 5)), 0);
    const int edge = qGray(img.pixel(10, 5));
    EXPECT_GT(edge, 60);
    EXPECT_LT(edge, 200);
    EXPECT_GT(qGray(img.pixel(13, 5)), 60);
    EXPECT_LT(qGray(img.pixel(13, 5)), 200);
}

// Long vertical lines are drawn in pieces; a see-through line must still come
// out even (no piece joint blended twice), cover exactly its rows, and keep
// its dash pattern running across the joints.
TEST(QtCanvasLines, LongVerticalLinesAreEvenFromEndToEnd) {
    constexpr Argb kGrey = 0x60FFFFFF;
    struct Case {
        bool dashed;
        int y1, y2;
    };
    for (const Case& c : {Case{false, 7, 286}, Case{true, 7, 286}, Case{false, 3, 131}}) {
        QtCanvas canvas(20, 300);
        canvas.clear(0xFF000000);
        canvas.drawLine(10, c.y1, 10, c.y2, Pen{kGrey, c.dashed});
        const QImage& img = canvas.image();
        std::vector<int> column;
        for (int y = 0; y < img.height(); ++y) column.push_back(qGray(img.pixel(10, y)));
        EXPECT_EQ(column[static_cast<std::size_t>(c.y1 - 1)], 0);
        EXPECT_EQ(column[static_cast<std::size_t>(c.y2 + 1)], 0);
        const int lit = column[static_cast<std::size_t>(c.y1)];
        EXPECT_GT(lit, 0);
        int dark = 0;
        for (int y = c.y1; y <= c.y2; ++y) {
            const int v = column[static_cast<std::size_t>(y)];
            EXPECT_TRUE(v == lit || v == 0) << "row " << y << " dashed " << c.dashed;
            if (v == 0) ++dark;
        }
        if (c.dashed) {
            // Dashes of four rows with gaps of two, all the way down.
            EXPECT_NEAR(dark, (c.y2 - c.y1 + 1) / 3, 3);
        } else {
            EXPECT_EQ(dark, 0);
        }
    }
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

TEST(QtCanvasSprites, WithoutASheetSpritesDrawNothingButTheRestDoes) {
    const QImage none;
    QtCanvas canvas(350, 237, &none);
    canvas.clear(kWhite);
    drawBigDigit(canvas, 8, 0);
    canvas.fillRect(12, 113, 20, 8, kBlack);
    canvas.drawText(50, 10, u"HOLD", 14, kBlack);
    const QImage& img = canvas.image();
    EXPECT_EQ(darkCount(img, QRect(37, 72, 57, 100)), 0);
    EXPECT_TRUE(dark(img, 20, 116));
    EXPECT_GT(darkCount(img, QRect(50, 10, 60, 20)), 10);
}

TEST(QtCanvasSprites, CopiesAreOneToOneAndBlendOverTheGround) {
    const QImage sheet = loadSpriteSheet();
    ASSERT_FALSE(sheet.isNull());
    QtCanvas canvas(350, 237, &sheet);
    canvas.clear(0xFF00FF00);
    drawSpriteCell(canvas, 100, 50, lcd::kArrow);
    const QImage& img = canvas.image();
    for (int y = 0; y < lcd::kArrow.h; ++y) {
        for (int x = 0; x < lcd::kArrow.w; ++x) {
            const QRgb src = sheet.pixel(lcd::kArrow.x + x, lcd::kArrow.y + y);
            const QRgb dst = img.pixel(100 + x, 50 + y);
            if (qAlpha(src) == 0) {
                EXPECT_EQ(dst, 0xFF00FF00u) << x << "," << y;
            }
            if (qAlpha(src) == 255) {
                EXPECT_EQ(dst, src | 0xFF000000u) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(img.pixel(99, 50), 0xFF00FF00u);
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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
