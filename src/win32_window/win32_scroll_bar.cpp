#include "win32_window/win32_scroll_bar.h"

bool Win32ScrollBar::Look::operator==(const Look& other) const {
    return EqualRect(&place, &other.place) && thumbTop == other.thumbTop &&
           thumbBottom == other.thumbBottom && state == other.state &&
           arrowStates[0] == other.arrowStates[0] && arrowStates[1] == other.arrowStates[1];
}

void Win32ScrollBar::set(const SCROLLINFO& info) {
    if (window_ == nullptr) return;
    SetScrollInfo(window_, bar_, &info, FALSE);
    SCROLLBARINFO now{};
    now.cbSize = sizeof now;
    const LONG object = bar_ == SB_CTL ? OBJID_CLIENT : OBJID_VSCROLL;
    if (!GetScrollBarInfo(window_, object, &now)) {
        redraw(nullptr);  // nothing to compare: drawn again
        return;
    }
    // rgstate: 0 the bar, 1 and 5 its arrows.
    const Look look{now.rcScrollBar,
                    now.xyThumbTop,
                    now.xyThumbBottom,
                    now.rgstate[0],
                    {now.rgstate[1], now.rgstate[5]}};
    if (look == shown_) return;
    shown_ = look;
    redraw(&now.rcScrollBar);
}

void Win32ScrollBar::redraw(const RECT* onScreen) const {
    if (bar_ == SB_CTL) {
        InvalidateRect(window_, nullptr, FALSE);
        return;
    }
    // A window's own bar is in its frame: that part is drawn again (the
    // whole frame when where the bar is is not known).
    if (onScreen == nullptr) {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
        return;
    }
    RECT frame = *onScreen;
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&frame), 2);
    RedrawWindow(window_, &frame, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}
