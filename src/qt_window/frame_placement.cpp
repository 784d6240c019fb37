#include "qt_window/frame_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "window_layout/window_placement.h"

void FramePlacement::place(const WindowRect& saved) {
    std::vector<ScreenArea> screens;
    ScreenArea primary;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        screens.push_back({a.x(), a.y(), a.width(), a.height()});
        if (screen == QGuiApplication::primaryScreen()) primary = screens.back();
    }
    const WindowRect r = placeOnScreen(saved, screens, primary);
    // Before the window is shown its frame is unknown: the saved outer size is
    // taken as the client size, which the platform may then grow by its frame.
    window_.move(r.x, r.y);
    window_.resize(r.width, r.height);
    placed_ = QRect(r.x, r.y, r.width, r.height);
    normalFrame_ = placed_;
}

void FramePlacement::remember() {
    // A minimised, maximised or full-screen window's rectangle says nothing
    // about where it belongs when it is restored.
    if ((window_.windowState() &
         (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) != 0)
        return;
    fitFrame();
    normalFrame_ = window_.frameGeometry();
}

void FramePlacement::stateChanged() {
    recheckTicks_ = kRecheckTicks;
    remember();
}

void FramePlacement::tick() {
    if (recheckTicks_ == 0) return;
    --recheckTicks_;
    remember();
}

WindowRect FramePlacement::normalFrame() const {
    return {normalFrame_.x(), normalFrame_.y(), normalFrame_.width(), normalFrame_.height()};
}

void FramePlacement::fitFrame() {
    // Once the platform reports the frame, the saved outer size is matched.
    // A frame that changes under the size matched (a window started maximised
    // gets its normal frame only as it is restored) is matched again, unless
    // the window has been resized since.
    if (!window_.isVisible()) return;
    const QRect frame = window_.frameGeometry();
    const QSize margins(frame.width() - window_.width(), frame.height() - window_.height());
    if (margins.width() <= 0 && margins.height() <= 0) return;
    if (fitted_ && (margins == fittedMargins_ || window_.size() != fittedSize_)) return;
    fitted_ = true;
    fittedMargins_ = margins;
    fittedSize_ = QSize(std::max(1, placed_.width() - margins.width()),
                        std::max(1, placed_.height() - margins.height()));
    window_.resize(fittedSize_);
    window_.move(placed_.topLeft());
}
