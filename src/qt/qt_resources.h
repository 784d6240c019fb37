#pragma once

#include <QIcon>
#include <QImage>

// The LCD sprite sheet embedded in the program, ready for fast copies
// (premultiplied ARGB); a null image when it cannot be decoded.
QImage loadSpriteSheet();

// The program's icon, at every size it ships in.
QIcon appIcon();
