#include "qt/qt_drawing_surfaces.h"

#include "qt/qt_resources.h"

QtDrawingSurfaces::QtDrawingSurfaces(QSize meterSize, QSize chartSize)
    : QtDrawingSurfaces(meterSize, chartSize, loadSpriteSheet()) {}

QtDrawingSurfaces::QtDrawingSurfaces(QSize meterSize, QSize chartSize, QImage sheet)
    : sheet_(std::move(sheet)),
      meter_(std::make_unique<QtCanvas>(meterSize.width(), meterSize.height(), &sheet_)),
      chart_(std::make_unique<QtCanvas>(chartSize.width(), chartSize.height())) {}

void QtDrawingSurfaces::recreateChartSurface(QSize chartSize) {
    chart_.reset();
    chart_ = std::make_unique<QtCanvas>(chartSize.width(), chartSize.height());
}
