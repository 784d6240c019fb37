#include "drawing/recording_canvas.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(RecordingCanvas, RecordsEveryCallWithItsArgumentsInOrder) {
    RecordingCanvas canvas(100, 50);
    const std::array<PointF, 3> pts{{{1.0f, 2.0f}, {3.5f, 4.0f}, {5.0f, 6.25f}}};
    canvas.clear(0xFF101010);
    canvas.fillRect(1, 2, 3, 4, 0xFF000001);
    canvas.fillRectF(1.5f, 2.0f, 3.0f, 4.0f, 0xFF000002);
    canvas.drawSprite(10, 20, 30, 40, 50, 60);
    canvas.drawLine(0, 1, 2, 3, Pen{0xFF000003, true});
    canvas.drawPolyline(pts, Pen{0xFF000004, false});
    canvas.drawText(7.0f, 8.0f, u"AUTO", 14.0f, 0xFF000005);

    EXPECT_EQ(canvas.width(), 100);
    EXPECT_EQ(canvas.height(), 50);
    ASSERT_EQ(canvas.calls.size(), 7u);
    EXPECT_EQ(std::get<RecordingCanvas::Clear>(canvas.calls[0]).colour, 0xFF101010u);
    EXPECT_EQ(std::get<RecordingCanvas::FillRect>(canvas.calls[1]),
              (RecordingCanvas::FillRect{1, 2, 3, 4, 0xFF000001}));
    EXPECT_EQ(std::get<RecordingCanvas::FillRectF>(canvas.calls[2]),
              (RecordingCanvas::FillRectF{1.5f, 2.0f, 3.0f, 4.0f, 0xFF000002}));
    EXPECT_EQ(std::get<RecordingCanvas::Sprite>(canvas.calls[3]),
              (RecordingCanvas::Sprite{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(std::get<RecordingCanvas::Line>(canvas.calls[4]),
              (RecordingCanvas::Line{0, 1, 2, 3, Pen{0xFF000003, true}}));
    const auto& poly = std::get<RecordingCanvas::Polyline>(canvas.calls[5]);
    ASSERT_EQ(poly.points.size(), 3u);
    EXPECT_EQ(poly.points[1].x, 3.5f);
    EXPECT_EQ(poly.points[2].y, 6.25f);
    EXPECT_EQ(poly.pen.colour, 0xFF000004u);
    EXPECT_EQ(std::get<RecordingCanvas::Text>(canvas.calls[6]),
              (RecordingCanvas::Text{7.0f, 8.0f, u"AUTO", 14.0f, 0xFF000005}));
}

TEST(RecordingCanvas, FindersSelectByKindAndArguments) {
    RecordingCanvas canvas;
    canvas.drawText(1, 2, u"MAX", 11, 0);
    canvas.drawSprite(1, 2, 3, 4, 5, 6);
    canvas.drawText(3, 4, u"MIN", 11, 0);
    canvas.fillRect(12, 113, 20, 8, 0);

    ASSERT_EQ(canvas.texts().size(), 2u);
    EXPECT_EQ(canvas.texts()[1].text, u"MIN");
    ASSERT_NE(canvas.findText(u"MIN"), nullptr);
    EXPECT_EQ(canvas.findText(u"MIN")->x, 3.0f);
    EXPECT_EQ(canvas.findText(u"HOLD"), nullptr);
    EXPECT_TRUE(canvas.hasSprite({1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(canvas.hasSprite({1, 2, 3, 4, 5, 7}));
    EXPECT_TRUE(canvas.hasRect(12, 113, 20, 8));
    EXPECT_FALSE(canvas.hasRect(12, 113, 20, 9));
    canvas.reset();
    EXPECT_TRUE(canvas.calls.empty());
}

}  // namespace
