#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

// An owner-drawn panel: a widget that shows an off-screen image. Invalidating a
// rectangle schedules a paint; each paint first lets the renderer redraw the
// whole image, then copies the invalidated part to the screen.
class SurfacePanel : public QWidget {
    Q_OBJECT
  public:
    using Renderer = std::function<void(QImage& surface)>;

    explicit SurfacePanel(QWidget* parent = nullptr);

    void setRenderer(Renderer renderer) { renderer_ = std::move(renderer); }
    // Drops the image and makes a new one at the panel's current size.
    void recreateSurface();
    QImage& surface() { return surface_; }
    void invalidate(const QRect& rect) { update(rect); }
    void invalidateAll() { update(); }
    // Renders into the image now and repaints without waiting for the event loop.
    void redrawNow();
    int paintCount() const { return paintCount_; }

  Q_SIGNALS:
    // Mouse button pressed or released over the panel (global position).
    void pressed(QPoint globalPos);
    void released(bool inside);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    Renderer renderer_;
    QImage surface_;
    int paintCount_ = 0;
};
