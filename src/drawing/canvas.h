#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// A 32-bit ARGB colour, alpha in the top byte.
using Argb = std::uint32_t;

struct PointF {
    float x = 0.0f;
    float y = 0.0f;
};

// A one-pixel pen: solid or dashed.
struct Pen {
    Argb colour = 0;
    bool dashed = false;
};

// The drawing operations of the two renderers on one off-screen surface.
// Coordinates are pixels from the surface's top-left corner. Calls on a surface
// that could not be created do nothing.
class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    virtual void clear(Argb colour) = 0;
    virtual void fillRect(int x, int y, int w, int h, Argb colour) = 0;
    // Anti-aliased: edges at fractional coordinates are soft.
    virtual void fillRectF(float x, float y, float w, float h, Argb colour) = 0;
    // Copies the w x h cell at (sx, sy) of the sprite sheet 1:1 to (dx, dy),
    // blending over what is there. Does nothing without a sheet.
    virtual void drawSprite(int dx, int dy, int w, int h, int sx, int sy) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) = 0;
    virtual void drawPolyline(std::span<const PointF> points, const Pen& pen) = 0;
    // Bold sans-serif at `size` pixels; the text's measured box has its
    // top-left corner at (x, y). Never clipped or wrapped.
    virtual void drawText(float x, float y, std::u16string_view text, float size, Argb colour) = 0;
};
