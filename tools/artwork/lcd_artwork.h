#pragma once

#include <QImage>

// The LCD sprite sheet: black italic seven-segment glyphs and annunciator
// symbols on a transparent ground, each in its cell of the sheet.
QImage drawSpriteSheet();

// The program's icon at size x size pixels: a small multimeter with an LCD digit.
QImage drawIcon(int size);
