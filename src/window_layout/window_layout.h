#pragma once

#include <array>
#include <cstdint>

// A control's place in the window's client area, in pixels (or, in the
// template's table, in dialog units).
struct ControlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ControlRect&, const ControlRect&) = default;
};

// What turns the dialog's units and the layout's pixel constants into pixels
// on a display: the dialog font's base units at 96 dpi (pixels per 4
// horizontal and per 8 vertical dialog units) and the display's dots per
// inch. The defaults are those of the 8-point dialog font.
//
// Units become the pixels the face and the layout are designed in (96 dpi),
// and those are scaled to the dpi once: the base units are never rounded to
// the dpi first, so at every dpi the face panel is the size of the surface
// the face draws.
struct DialogMetrics {
    int baseX = 6;
    int baseY = 13;
    int dpi = 96;
    // A layout constant given in pixels at 96 dpi, at this dpi.
    int px(int pixelsAt96) const;
};

// Dialog units to pixels at the metrics' dpi (each step rounded like MulDiv).
int dialogUnitsToPixelsX(int units, const DialogMetrics& metrics = {});
int dialogUnitsToPixelsY(int units, const DialogMetrics& metrics = {});
ControlRect dialogRect(const ControlRect& units, const DialogMetrics& metrics = {});

// The controls of the dialog template by their role.
enum class DialogControl {
    PortCombo,
    FacePanel,
    ChartPanel,
    Clear,
    Hold,
    ZoomIn,
    ZoomOut,
    ScrollBar,
    ReadingList,
};

// One control of the template: its role, its fixed identifier and its place
// in dialog units. The combo box's height is that of its open drop-down list.
struct TemplateControl {
    DialogControl role;
    int id;
    ControlRect units;
};

// The dialog template: every control where the window starts, before any
// resize. The Win32 resource script holds the same rectangles (a test
// compares them); both windows place their controls from this table.
inline constexpr std::array<TemplateControl, 9> kTemplateControls{{
    {DialogControl::PortCombo, 1001, {238, 3, 48, 49}},
    {DialogControl::FacePanel, 1004, {2, 0, 233, 146}},
    {DialogControl::ChartPanel, 1006, {1, 146, 396, 84}},
    {DialogControl::Clear, 1008, {343, 2, 53, 14}},
    {DialogControl::Hold, 1009, {288, 2, 53, 14}},
    {DialogControl::ZoomIn, 1011, {372, 231, 13, 10}},
    {DialogControl::ZoomOut, 1012, {385, 231, 13, 10}},
    {DialogControl::ScrollBar, 1014, {1, 229, 371, 11}},
    {DialogControl::ReadingList, 1015, {238, 17, 159, 127}},
}};

// Where the template puts a control, in pixels.
ControlRect templateRect(DialogControl role, const DialogMetrics& metrics = {});

// Width of the reading text column of the list, in pixels at 96 dpi.
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

// The tag column as the list shows it: the layout's width, but never past
// the list's visible width right of the reading column (`readingWidth`), so
// that the list never scrolls sideways for the tag; never negative.
int shownTagColumnWidth(int layoutWidth, int listClientWidth, int readingWidth);

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

// What Escape does, given what is under way: it ends the innermost thing the
// user started (a tag edit, then an open drop-down, then a drag over the
// chart); with nothing under way it saves the list and closes the window.
enum class EscapeAction {
    CloseTagEditor,
    CloseDropDown,
    CancelDrag,
    SaveAndClose,
};
EscapeAction escapeAction(bool tagEditing, bool dropDownOpen, bool dragging);
