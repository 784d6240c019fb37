// Draws the program's artwork (the LCD sprite sheet and the icon sizes) into
// a folder, normally res/. The outputs are committed; run this after changing
// the drawing code.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <cstdio>

#include "lcd_artwork.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zintavo-artwork OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = drawSpriteSheet().save(out.filePath(QStringLiteral("lcd_sprites.png")), "PNG");
    ok = drawSpriteSheet(2).save(out.filePath(QStringLiteral("lcd_sprites_2x.png")), "PNG") && ok;
    std::vector<QImage> icons;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icons.push_back(drawIcon(size));
        ok = icons.back().save(out.filePath(QStringLiteral("icon_%1.png").arg(size)), "PNG") && ok;
    }
    // The Windows program's icon: the sizes Windows asks for, in one file.
    QFile ico(out.filePath(QStringLiteral("zintavo.ico")));
    const QByteArray icoBytes = iconFile({icons[0], icons[1], icons[2], icons[3], icons[6]});
    ok = ico.open(QIODevice::WriteOnly) && ico.write(icoBytes) == icoBytes.size() && ok;
    if (!ok) {
        std::fprintf(stderr, "zintavo-artwork: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
