#pragma once

#include <windows.h>

// A scroll bar whose range and place change with nearly every reading. Its
// numbers are set without a redraw, and it is drawn again only when its
// thumb or its state changed on screen: a redraw costs far more than the
// numbers, and with a long list most new readings move the thumb by less
// than a pixel.
class Win32ScrollBar {
  public:
    Win32ScrollBar() = default;
    // `bar` is SB_CTL for a scroll bar control, SB_VERT for a window's own.
    Win32ScrollBar(HWND window, int bar) : window_(window), bar_(bar) {}

    void set(const SCROLLINFO& info);

  private:
    struct Look {
        RECT place{};
        int thumbTop = 0;
        int thumbBottom = 0;
        DWORD state = 0;
        DWORD arrowStates[2]{};
        bool operator==(const Look& other) const;
    };
    void redraw(const RECT* onScreen) const;

    HWND window_ = nullptr;
    int bar_ = SB_CTL;
    Look shown_{};
};
