#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QString>

#include "lcd_artwork.h"
#include "qt/qt_resources.h"

namespace {

QImage premultiplied(const QImage& img) {
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The embedded pictures are exactly what the generator draws now, so a change
// of the drawing code cannot go out without its regenerated artwork.
TEST(Artwork, EmbeddedFilesMatchTheGenerator) {
    loadSpriteSheet();  // registers the resources
    EXPECT_TRUE(premultiplied(drawSpriteSheet()) == loadSpriteSheet());
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const QImage embedded(QStringLiteral(":/zintavo/icon_%1.png").arg(size));
        ASSERT_EQ(embedded.size(), QSize(size, size));
        EXPECT_TRUE(premultiplied(drawIcon(size)) == premultiplied(embedded));
    }
    // The Windows program's resources: the 2x sheet and the icon file.
    const QString res = QStringLiteral(ZINTAVO_RES_DIR);
    EXPECT_TRUE(premultiplied(drawSpriteSheet(2)) ==
                premultiplied(QImage(res + QStringLiteral("/lcd_sprites_2x.png"))));
    QFile ico(res + QStringLiteral("/zintavo.ico"));
    ASSERT_TRUE(ico.open(QIODevice::ReadOnly));
    EXPECT_EQ(ico.readAll(),
              iconFile({drawIcon(16), drawIcon(24), drawIcon(32), drawIcon(48), drawIcon(256)}));
}

}  // namespace
