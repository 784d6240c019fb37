#include <gtest/gtest.h>

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
}

}  // namespace
