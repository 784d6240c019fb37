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
// Client size the window is designed for; also the smallest it may take,
// at which every control of the dialog is whole.
int designClientWidth();
int designClientHeight();
}  // namespace controls

// Width of the reading text column of the list.
inline constexpr int kReadingColumnWidth = 240;
// Width the tag editor takes at least, over the reading text when the row has no room.
inline constexpr int kTagEditorMinWidth = 200;

// Where the tag editor of a row goes across a list `listWidth` wide: from the
// end of the reading text to the right edge, at least kTagEditorMinWidth
// where the list allows. Returns the left edge and the width.
struct EditorSpan {
    int left = 0;
    int width = 0;
    friend bool operator==(const EditorSpan&, const EditorSpan&) = default;
};
EditorSpan tagEditorSpan(int listWidth);

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
