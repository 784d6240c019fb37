#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

// The LCD sprite sheet: black italic seven-segment glyphs and annunciator
// symbols on a transparent ground, each in its cell of the sheet. At `scale` 2
// the same drawing at twice the resolution, for high-dpi displays (cell
// (x, y, w, h) is then (2x, 2y, 2w, 2h)).
QImage drawSpriteSheet(int scale = 1);

// The program's icon at size x size pixels: a small multimeter with an LCD digit.
QImage drawIcon(int size);

// A Windows icon file (.ico) holding the given square images: 32-bit
// bitmaps, and PNG for 256 pixels, as Windows expects them.
QByteArray iconFile(const std::vector<QImage>& images);
