#pragma once

#include "drawing/canvas.h"

// A canvas of a given size that draws nothing: for working out what a
// renderer would do (its autoscale) without paying for the pixels.
class NullCanvas final : public Canvas {
  public:
    NullCanvas(int width, int height) : width_(width), height_(height) {}

    int width() const override { return width_; }
    int height() const override { return height_; }
    void clear(Argb) override {}
    void fillRect(int, int, int, int, Argb) override {}
    void fillRectF(float, float, float, float, Argb) override {}
    void drawSprite(int, int, int, int, int, int) override {}
    void drawLine(int, int, int, int, const Pen&) override {}
    void drawPolyline(std::span<const PointF>, const Pen&) override {}
    void drawText(float, float, std::u16string_view, float, Argb) override {}

  private:
    int width_;
    int height_;
};
