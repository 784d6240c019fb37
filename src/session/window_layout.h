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

// What turns the dialog's units and the layout's pixel constants into
// pixels on a display: the dialog font's base units (pixels per 4 horizontal
// and per 8 vertical dialog units) and the display's dots per inch. The
// defaults are those of the 8-point dialog font at 96 dpi.
struct DialogMetrics {
    int baseX = 6;
    int baseY = 13;
    int dpi = 96;
    // A layout constant given in pixels at 96 dpi, at this dpi.
    int px(int pixelsAt96) const;
};

// Dialog units to pixels (rounded like MulDiv).
int dialogUnitsToPixelsX(int units, const DialogMetrics& metrics = {});
int dialogUnitsToPixelsY(int units, const DialogMetrics& metrics = {});
ControlRect dialogRect(int x, int y, int width, int height, const DialogMetrics& metrics = {});

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
// The list's own width beyond its columns: a vertical scroll bar and the client edge.
inline constexpr int kListChrome = 21;
// The shortest chart that still shows its labels apart.
inline constexpr int kMinChartHeight = 80;

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

WindowLayout layoutForClient(int clientWidth, int clientHeight, const DialogMetrics& metrics = {});

// The smallest client area at which every control of the dialog is whole:
// the buttons in the top row, the reading column of the list without a
// sideways scroll bar, and a chart tall enough for its labels.
struct ClientSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const ClientSize&, const ClientSize&) = default;
};
ClientSize minimumClientSize(const DialogMetrics& metrics = {});

// Where a row's tag editor goes in the list: from the end of the reading text
// (`readingRight`, list client pixels) to the list's right edge, but at least
// `minWidth` wide where the list is that wide, so that a narrow tag column
// still gets a usable editor.
struct EditorSpan {
    int left = 0;
    int width = 0;
    friend bool operator==(const EditorSpan&, const EditorSpan&) = default;
};
EditorSpan tagEditorSpan(int readingRight, int listClientWidth, int minWidth);
inline constexpr int kTagEditorMinWidth = 200;
