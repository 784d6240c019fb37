#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// A 32-bit ARGB colour, alpha in the top byte.
using Argb = std::uint32_t;

struct PointF {
    float x = 0.0f;
    float y = 0.0f;
    friend bool operator==(const PointF&, const PointF&) = default;
};

// A one-pixel pen: solid or dashed.
struct Pen {
    Argb colour = 0;
    bool dashed = false;
};

// What every canvas draws the same way, so that the two windows' pictures
// match pixel for pixel where whole pixels are asked for.
namespace canvas_rules {

// Pixel (i, j) is the unit square [i, i + 1) x [j, j + 1). Lines and
// polylines are stroked through the centres of the pixels their integer
// coordinates name, which lie this far inside the square.
inline constexpr float kPixelCentre = 0.5f;

// A dashed pen draws dashes of kDashOn pixels with gaps of kDashOff, the
// first dash starting at the line's first end.
inline constexpr int kDashOn = 4;
inline constexpr int kDashOff = 2;
inline constexpr int kDashPeriod = kDashOn + kDashOff;

// The run of pixels [first, first + count) along a row or a column.
struct PixelRun {
    int first = 0;
    int count = 0;
};

// Calls `run` with each run of pixels that a line from `from` to `to` (both
// ends included) covers along its row or column: the whole line, or its
// dashes counted from `from`.
template <typename RunFunction>
void forEachAxisLineRun(int from, int to, bool dashed, RunFunction&& run) {
    const int direction = to >= from ? 1 : -1;
    const int length = to >= from ? to - from : from - to;
    const int period = dashed ? kDashPeriod : length + 1;
    const int on = dashed ? kDashOn : length + 1;
    for (int start = 0; start <= length; start += period) {
        const int first = from + direction * start;
        const int end = start + on - 1 < length ? start + on - 1 : length;
        const int last = from + direction * end;
        run(PixelRun{first < last ? first : last, end - start + 1});
    }
}

}  // namespace canvas_rules

// Names a picture a renderer keeps on a canvas to start its frames from: two
// equal keys stand for the same picture, pixel for pixel.
struct BackgroundKey {
    std::array<std::uint64_t, 4> words{};
    friend bool operator==(const BackgroundKey&, const BackgroundKey&) = default;
};

// The drawing operations of the two renderers on one off-screen surface.
// Coordinates are pixels from the surface's top-left corner. Calls on a surface
// that could not be created do nothing. Every implementation keeps these rules:
// - fillRect covers exactly the pixels x..x+w-1 by y..y+h-1, each at full
//   strength (blended by the colour's alpha), and nothing around them;
// - a one-pixel line along a row or a column covers exactly the pixels from
//   one end to the other, both ends included, dashed as canvas_rules says;
// - sprites are copied pixel for pixel, never scaled or smoothed;
// - text is placed by the top-left corner of its measured box (see drawText).
class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    virtual void clear(Argb colour) = 0;
    virtual void fillRect(int x, int y, int w, int h, Argb colour) = 0;
    // Anti-aliased: edges at fractional coordinates are soft; on whole
    // coordinates it covers the same pixels as fillRect.
    virtual void fillRectF(float x, float y, float w, float h, Argb colour) = 0;
    // Copies the w x h cell at (sx, sy) of the sprite sheet 1:1 to (dx, dy),
    // blending over what is there. Does nothing without a sheet.
    virtual void drawSprite(int dx, int dy, int w, int h, int sx, int sy) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) = 0;
    // Anti-aliased through the pixel centres of its points (which may be fractional).
    virtual void drawPolyline(std::span<const PointF> points, const Pen& pen) = 0;
    // Bold sans-serif at `size` pixels; the text's measured box has its
    // top-left corner at (x, y), so the ink starts a little right of and below
    // it (side bearing, internal leading, the toolkit's own padding). Never
    // clipped or wrapped.
    virtual void drawText(float x, float y, std::u16string_view text, float size, Argb colour) = 0;

    // Keeps a copy of the whole picture drawn so far under `key`, in place of
    // any picture kept before. A canvas that keeps none ignores it.
    virtual void keepBackground(const BackgroundKey& key) { static_cast<void>(key); }
    // Puts the picture kept under `key` back, wherever the canvas draws, and
    // says so; false, with nothing drawn, when it keeps none under that key.
    virtual bool restoreBackground(const BackgroundKey& key) {
        static_cast<void>(key);
        return false;
    }
};
