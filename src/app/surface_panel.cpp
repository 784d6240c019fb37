#include "app/surface_panel.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

SurfacePanel::SurfacePanel(QWidget* parent) : QWidget(parent) {
    // The image covers every pixel: no background erase before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SurfacePanel::recreateSurface() {
    const QSize size = this->size().expandedTo(QSize(1, 1));
    surface_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    surface_.fill(Qt::black);
}

void SurfacePanel::redrawNow() {
    repaint();
}

void SurfacePanel::paintEvent(QPaintEvent* event) {
    if (surface_.size() != size().expandedTo(QSize(1, 1))) recreateSurface();
    if (renderer_) renderer_(surface_);
    ++paintCount_;
    QPainter painter(this);
    painter.drawImage(event->rect(), surface_, event->rect());
}

void SurfacePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT pressed(event->globalPosition().toPoint());
}

void SurfacePanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT released(rect().contains(event->position().toPoint()));
}
