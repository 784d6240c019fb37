#pragma once

#include <QImage>
#include <QSize>
#include <memory>

#include "qt/qt_canvas.h"

// The sprite sheet and the two off-screen surfaces of the window's panels.
// The meter surface is made once; the chart surface follows the chart panel's
// size and is made anew whenever the window moves or is resized.
class QtDrawingSurfaces {
  public:
    // Loads the sprite sheet from the program's resources and makes both surfaces.
    QtDrawingSurfaces(QSize meterSize, QSize chartSize);
    // For tests: the given sheet (may be null) instead of the embedded one.
    QtDrawingSurfaces(QSize meterSize, QSize chartSize, QImage sheet);

    QtCanvas& meterSurface() { return *meter_; }
    QtCanvas& chartSurface() { return *chart_; }
    const QImage& spriteSheet() const { return sheet_; }

    void recreateChartSurface(QSize chartSize);

  private:
    QImage sheet_;
    std::unique_ptr<QtCanvas> meter_;
    std::unique_ptr<QtCanvas> chart_;
};
