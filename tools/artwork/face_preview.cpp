// Renders the meter face for a handful of readings and composes them into one
// picture (docs/face.png) for the documentation.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdio>
#include <vector>

#include "face/meter_face.h"
#include "qt/qt_drawing_surfaces.h"
#include "settings/settings.h"

namespace {

struct Scene {
    int function, subfunction, range;
    std::vector<int> counts;  // one repaint each; the last one is kept
    bool negative, hold, relative, manualRange, arrow, link;
};

QImage render(QtDrawingSurfaces& surfaces, const Scene& s) {
    MeterFaceState face;
    Settings settings;
    settings.switch_ = static_cast<std::uint32_t>(s.function);
    settings.mode = static_cast<std::uint32_t>(s.subfunction);
    const FixedClock clock(LocalDateTime{2026, 1, 3, 15, 7, 9});
    face.arrowVisible = s.arrow;
    face.linkSpriteVisible = s.link;
    MeterReading r;
    for (int count : s.counts) {
        r.setFunction(static_cast<std::uint8_t>(s.function));
        r.setSubfunction(static_cast<std::uint8_t>(s.subfunction));
        r.setRange(static_cast<std::uint8_t>(s.range));
        r.setCount(static_cast<std::uint16_t>(count));
        r.setNegative(s.negative);
        r.setHold(s.hold);
        r.setRelative(s.relative);
        r.setManualRange(s.manualRange);
        updateMeterFace(r, face, settings);
        drawMeterFace(surfaces.meterSurface(), r, face, settings, clock);
    }
    return surfaces.meterSurface().image().copy();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zintavo-face-preview OUTPUT.png\n");
        return 2;
    }
    const std::vector<Scene> scenes = {
        {1, 0, 3, {4567, 9876, 12345}, false, false, false, false, false, true},
        {0, 1, 2, {12345}, false, true, false, false, false, false},
        {3, 0, 2, {2200, 42000}, false, false, false, false, true, false},
        {4, 0, 0, {235, 241, 238}, false, true, false, false, false, false},
        {9, 0, 0, {1250, 3075}, true, false, true, true, false, true},
        {3, 3, 3, {1000, 1500}, false, false, false, false, false, false},
    };
    QtDrawingSurfaces surfaces(QSize(350, 237), QSize(1, 1));
    constexpr int kColumns = 3, kGap = 6;
    const int rows = (static_cast<int>(scenes.size()) + kColumns - 1) / kColumns;
    QImage sheet(kColumns * (350 + kGap) + kGap, rows * (237 + kGap) + kGap, QImage::Format_ARGB32);
    sheet.fill(QColor(0x60, 0x60, 0x60));
    QPainter p(&sheet);
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        const int col = static_cast<int>(i) % kColumns, row = static_cast<int>(i) / kColumns;
        p.drawImage(kGap + col * (350 + kGap), kGap + row * (237 + kGap),
                    render(surfaces, scenes[i]));
    }
    p.end();
    if (!sheet.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "zintavo-face-preview: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
