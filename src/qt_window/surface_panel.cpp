#include "qt_window/surface_panel.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <utility>

#include "qt/raster_strips.h"

SurfacePanel::SurfacePanel(QWidget* parent) : QWidget(parent) {
    // The image covers the panel: no background erase before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SurfacePanel::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    QPainter painter(this);
    const QImage* image = renderer_ ? renderer_(event->region()) : nullptr;
    for (const QRect& dirty : event->region()) {
        if (image == nullptr || image->isNull()) {
            painter.fillRect(dirty, Qt::black);
            continue;
        }
        forEachRasterStrip(dirty,
                           [&](const QRect& strip) { painter.drawImage(strip, *image, strip); });
    }
}

void SurfacePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressCancelled_ = false;
    Q_EMIT pressed();
}

void SurfacePanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || std::exchange(pressCancelled_, false)) return;
    Q_EMIT released(rect().contains(event->position().toPoint()));
}
