#pragma once

#include <string>
#include <variant>
#include <vector>

#include "drawing/canvas.h"

// A Canvas that draws nothing and remembers every call with all its arguments,
// so that renderer tests can check exact positions, sizes, texts and colours.
class RecordingCanvas final : public Canvas {
  public:
    struct Clear {
        Argb colour;
        friend bool operator==(const Clear&, const Clear&) = default;
    };
    struct FillRect {
        int x, y, w, h;
        Argb colour;
        friend bool operator==(const FillRect&, const FillRect&) = default;
    };
    struct FillRectF {
        float x, y, w, h;
        Argb colour;
        friend bool operator==(const FillRectF&, const FillRectF&) = default;
    };
    struct Sprite {
        int dx, dy, w, h, sx, sy;
        friend bool operator==(const Sprite&, const Sprite&) = default;
    };
    struct Line {
        int x1, y1, x2, y2;
        Pen pen;
        friend bool operator==(const Line& a, const Line& b) {
            return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
                   a.pen.colour == b.pen.colour && a.pen.dashed == b.pen.dashed;
        }
    };
    struct Polyline {
        std::vector<PointF> points;
        Pen pen;
        friend bool operator==(const Polyline& a, const Polyline& b) {
            return a.points == b.points && a.pen.colour == b.pen.colour &&
                   a.pen.dashed == b.pen.dashed;
        }
    };
    struct Text {
        float x, y;
        std::u16string text;
        float size;
        Argb colour;
        friend bool operator==(const Text&, const Text&) = default;
    };
    using Call = std::variant<Clear, FillRect, FillRectF, Sprite, Line, Polyline, Text>;

    explicit RecordingCanvas(int width = 350, int height = 237) : width_(width), height_(height) {}

    int width() const override { return width_; }
    int height() const override { return height_; }

    // A clear wipes the surface: what was drawn before is gone, as on a real one.
    void clear(Argb colour) override {
        calls.clear();
        calls.emplace_back(Clear{colour});
    }
    void fillRect(int x, int y, int w, int h, Argb colour) override {
        calls.emplace_back(FillRect{x, y, w, h, colour});
    }
    void fillRectF(float x, float y, float w, float h, Argb colour) override {
        calls.emplace_back(FillRectF{x, y, w, h, colour});
    }
    void drawSprite(int dx, int dy, int w, int h, int sx, int sy) override {
        calls.emplace_back(Sprite{dx, dy, w, h, sx, sy});
    }
    void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) override {
        calls.emplace_back(Line{x1, y1, x2, y2, pen});
    }
    void drawPolyline(std::span<const PointF> points, const Pen& pen) override {
        calls.emplace_back(Polyline{{points.begin(), points.end()}, pen});
    }
    void drawText(float x, float y, std::u16string_view text, float size, Argb colour) override {
        calls.emplace_back(Text{x, y, std::u16string(text), size, colour});
    }
    // A kept background is the calls made so far: putting it back makes them
    // the calls again, as a kept picture's pixels would be.
    void keepBackground(const BackgroundKey& key) override {
        kept_ = calls;
        keptKey_ = key;
        keeps = true;
    }
    bool restoreBackground(const BackgroundKey& key) override {
        if (!keeps || key != keptKey_) return false;
        calls = kept_;
        ++restores;
        return true;
    }

    // Every recorded call of type T, in call order.
    template <typename T>
    std::vector<T> all() const {
        std::vector<T> out;
        for (const Call& c : calls) {
            if (const T* p = std::get_if<T>(&c)) out.push_back(*p);
        }
        return out;
    }
    std::vector<Text> texts() const { return all<Text>(); }
    std::vector<Sprite> sprites() const { return all<Sprite>(); }
    std::vector<FillRect> rects() const { return all<FillRect>(); }
    std::vector<FillRectF> rectsF() const { return all<FillRectF>(); }
    std::vector<Line> lines() const { return all<Line>(); }
    std::vector<Polyline> polylines() const { return all<Polyline>(); }

    // The first text call with exactly this text, or nullptr.
    const Text* findText(std::u16string_view text) const;
    // Whether a sprite call with exactly these arguments was made.
    bool hasSprite(const Sprite& s) const;
    // Whether an integer rectangle fill with these bounds was made (any colour).
    bool hasRect(int x, int y, int w, int h) const;

    void reset() { calls.clear(); }

    std::vector<Call> calls;
    bool keeps = false;  // a background is kept
    int restores = 0;    // backgrounds put back

  private:
    std::vector<Call> kept_;
    BackgroundKey keptKey_;
    int width_;
    int height_;
};
