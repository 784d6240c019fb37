#include "qt/qt_resources.h"

#include <QString>

// The resources live in a static library: register them before first use.
// (Outside any namespace: the registration function is declared at global scope.)
static void ensureResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(zintavo);
        return true;
    }();
    (void)registered;
}

QImage loadSpriteSheet() {
    ensureResources();
    const QImage sheet(QStringLiteral(":/zintavo/lcd_sprites.png"));
    if (sheet.isNull()) return {};
    return sheet.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QIcon appIcon() {
    ensureResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/zintavo/icon_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
