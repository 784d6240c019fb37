#pragma once

#include <QRect>
#include <QSize>

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
    // After a state change (a restore from maximised): the frame the window
    // manager gives the restored window can come after the last move or
    // resize it reports, so the next ticks look at it again.
    void stateChanged();
    void tick();
    // The next ticks look at the frame again.
    bool rechecking() const { return recheckTicks_ != 0; }
    WindowRect normalFrame() const;

  private:
    void fitFrame();

    QWidget& window_;
    QRect placed_;       // the saved placement, made usable on this desktop
    QRect normalFrame_;  // last frame rectangle in the normal state
    static constexpr int kRecheckTicks = 100;
    int recheckTicks_ = 0;
    bool fitted_ = false;
    QSize fittedMargins_;  // the frame's width and height beyond the client when fitted
    QSize fittedSize_;     // the client size the fit gave
};
