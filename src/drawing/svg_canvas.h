#pragma once

#include <string>

#include "drawing/canvas.h"

// A Canvas that writes the picture as an SVG document: a rectangle per fill,
// a line or polyline per stroke, a text element per text, in drawing order.
// It follows the drawing layer's rules as the window's canvas does: integer
// line coordinates name pixel centres, so a one-pixel line along a row or a
// column covers whole pixels from end to end; a dashed pen draws four pixels
// of every six, counted from the line's first end; a text's box has its
// top-left corner at the given point. It holds no sprite sheet: sprites draw
// nothing.
class SvgCanvas final : public Canvas {
  public:
    // The ascent of bold Arial (and of Liberation Sans, its metric twin) in
    // em: the baseline of a text lies this far below the top of its box.
    static constexpr float kAscent = 0.905f;

    SvgCanvas(int width, int height);

    int width() const override { return width_; }
    int height() const override { return height_; }

    // A clear wipes the surface: what was drawn before leaves the document.
    void clear(Argb colour) override;
    void fillRect(int x, int y, int w, int h, Argb colour) override;
    void fillRectF(float x, float y, float w, float h, Argb colour) override;
    void drawSprite(int, int, int, int, int, int) override {}
    void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) override;
    void drawPolyline(std::span<const PointF> points, const Pen& pen) override;
    void drawText(float x, float y, std::u16string_view text, float size, Argb colour) override;

    // The whole document, from its XML declaration to its closing tag.
    std::string document() const;

  private:
    void appendRect(float x, float y, float w, float h, Argb colour);

    int width_;
    int height_;
    std::string body_;
};
