#pragma once

#include <QRect>

#include "settings/settings.h"

class QWidget;

// Puts a top-level widget where the saved placement says and keeps its normal
// outer rectangle (frame included) for the next start. Qt knows the frame only
// once the window is shown, so the saved outer size is matched then.
class FramePlacement {
  public:
    explicit FramePlacement(QWidget& window) : window_(window) {}

    // Bounds the saved rectangle to the screens, then moves and sizes the window.
    void place(const WindowRect& saved);
    // After a move, resize, show or state change: remembers the frame while
    // the window is in its normal state.
    void remember();
    WindowRect normalFrame() const;

  private:
    void fitFrame();

    QWidget& window_;
    QRect placed_;       // the saved placement, made usable on this desktop
    QRect normalFrame_;  // last frame rectangle in the normal state
    bool frameFitted_ = false;
};
