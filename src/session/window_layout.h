#pragma once

#include <cstdint>

// A control's place in the window's client area, in pixels.
struct ControlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ControlRect&, const ControlRect&) = default;
};

// Dialog units to pixels at 96 dpi with base units 6 x 13 (rounded like MulDiv).
int dialogUnitsToPixelsX(int units);
int dialogUnitsToPixelsY(int units);
ControlRect dialogRect(int x, int y, int width, int height);

// The controls by their role. Places where the window starts, before any resize.
namespace controls {
ControlRect portCombo();
ControlRect facePanel();
ControlRect chartPanel();
ControlRect clearButton();
ControlRect holdButton();
ControlRect zoomInButton();
ControlRect zoomOutButton();
ControlRect scrollBar();
ControlRect readingList();
// Client size the window is designed for.
int designClientWidth();
int designClientHeight();
}  // namespace controls

// Width of the reading text column of the list.
inline constexpr int kReadingColumnWidth = 240;

// Where the resizable controls go for a client area of the given size.
// Sizes may come out negative for a tiny window; the widgets clamp them.
struct WindowLayout {
    ControlRect chart;
    ControlRect list;
    ControlRect scrollBar;
    ControlRect zoomIn;
    ControlRect zoomOut;
    std::int16_t tagColumnWidth = 0;
    friend bool operator==(const WindowLayout&, const WindowLayout&) = default;
};

WindowLayout layoutForClient(int clientWidth, int clientHeight);
