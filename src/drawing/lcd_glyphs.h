#pragma once

#include "drawing/canvas.h"

// A rectangle of the sprite sheet, in sheet pixels.
struct SpriteCell {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    friend bool operator==(const SpriteCell&, const SpriteCell&) = default;
};

// Where each picture lives on the 632 x 147 sprite sheet. The artwork
// generator draws into exactly these cells and the face copies from them.
namespace lcd {
inline constexpr int kSheetWidth = 632;
inline constexpr int kSheetHeight = 147;
inline constexpr int kBigGlyphCount = 11;  // digits 0-9 and the L of "0L"
inline constexpr int kBigL = 10;
inline constexpr int kSmallGlyphCount = 10;
inline constexpr int kBigDigitSlots = 5;

// Where big-digit slot 0-4, left to right, starts on the face.
constexpr int bigDigitLeft(int slot) {
    return 62 * slot + 37;
}

constexpr SpriteCell bigGlyph(int g) {
    return {57 * g + 2, 0, 57, 100};
}
constexpr SpriteCell smallGlyph(int g) {
    return {25 * g + 1, 102, 23, 38};
}
inline constexpr SpriteCell kDiode{256, 105, 18, 18};
inline constexpr SpriteCell kLink{280, 105, 24, 18};
inline constexpr SpriteCell kDelta{308, 108, 18, 14};
inline constexpr SpriteCell kArrow{332, 108, 12, 14};
inline constexpr SpriteCell kContinuity{350, 109, 24, 18};
inline constexpr SpriteCell kSmallPoint{267, 122, 12, 20};
inline constexpr SpriteCell kBigPoint{284, 124, 14, 20};
}  // namespace lcd

// The MAX and MIN panels of small digits.
enum class MinMaxPanel { max, min };

// Copies a whole sheet cell 1:1 with its top-left corner at (dx, dy).
void drawSpriteCell(Canvas& canvas, int dx, int dy, const SpriteCell& cell);

// Big glyph g (0-9, or lcd::kBigL) in digit slot 0-4, left to right.
void drawBigDigit(Canvas& canvas, int g, int slot);
// Small digit g (0-9) in slot 0-3 of the MAX or MIN panel.
void drawSmallDigit(Canvas& canvas, int g, int slot, MinMaxPanel panel);
// The big decimal point that follows big-digit slot `slot`.
void drawBigPoint(Canvas& canvas, int slot);
// Slots 0-2: after MAX digit 0-2; slots 3-5: after MIN digit 0-2.
void drawSmallPoint(Canvas& canvas, int slot);
