#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QString>
#include <vector>

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
    // The icon file holds the icon's sizes Windows asks for (read back with
    // Qt's own icon reader, so that the check does not depend on its layout).
    QImageReader ico(res + QStringLiteral("/zintavo.ico"), "ico");
    std::vector<int> sizes;
    for (int i = 0; i < ico.imageCount(); ++i) {
        ASSERT_TRUE(ico.jumpToImage(i));
        const QImage image = ico.read();
        ASSERT_FALSE(image.isNull());
        sizes.push_back(image.width());
        EXPECT_TRUE(premultiplied(image) == premultiplied(drawIcon(image.width())))
            << image.width();
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));
}

}  // namespace
