#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <functional>

// An owner-drawn panel: a widget that shows an off-screen image. Invalidating a
// rectangle schedules a paint; each paint first lets the renderer redraw its
// image (at least the part to be shown), then copies that part to the screen.
class SurfacePanel : public QWidget {
    Q_OBJECT
  public:
    // Redraws the off-screen image, at least within the given part, and
    // returns it (null: nothing to show).
    using Renderer = std::function<const QImage*(const QRegion&)>;

    explicit SurfacePanel(QWidget* parent = nullptr);

    void setRenderer(Renderer renderer) { renderer_ = std::move(renderer); }
    void invalidate(const QRegion& area) { update(area); }
    void invalidateAll() { update(); }
    // Renders and repaints at once, without waiting for the event loop.
    void redrawNow() { repaint(); }
    int paintCount() const { return paintCount_; }
    // The press in progress no longer counts: its release reports nothing.
    void cancelPress() { pressCancelled_ = true; }

  Q_SIGNALS:
    // The left mouse button went down or up over the panel.
    void pressed();
    void released(bool inside);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    Renderer renderer_;
    int paintCount_ = 0;
    bool pressCancelled_ = false;
};
