#include "drawing/lcd_glyphs.h"

void drawSpriteCell(Canvas& canvas, int dx, int dy, const SpriteCell& cell) {
    canvas.drawSprite(dx, dy, cell.w, cell.h, cell.x, cell.y);
}

void drawBigDigit(Canvas& canvas, int g, int slot) {
    drawSpriteCell(canvas, lcd::bigDigitLeft(slot), 72, lcd::bigGlyph(g));
}

void drawSmallDigit(Canvas& canvas, int g, int slot, MinMaxPanel panel) {
    const int left = panel == MinMaxPanel::max ? 49 : 219;
    drawSpriteCell(canvas, 26 * slot + left, 3, lcd::smallGlyph(g));
}

void drawBigPoint(Canvas& canvas, int slot) {
    drawSpriteCell(canvas, 62 * slot + 85, 152, lcd::kBigPoint);
}

void drawSmallPoint(Canvas& canvas, int slot) {
    // The MIN panel's points sit 170 px right of the MAX panel's, as its digits do;
    // slots 3-5 already carry 3 x 26 of that in the slot term.
    const int left = slot < 3 ? 66 : 158;
    drawSpriteCell(canvas, 26 * slot + left, 22, lcd::kSmallPoint);
}
