#include "session/window_layout.h"

#include <algorithm>

namespace {

// Round-half-away-from-zero of units * num / den, like the platform's MulDiv.
int mulDiv(int units, int num, int den) {
    const long long product = static_cast<long long>(units) * num;
    const long long half = den / 2;
    const long long rounded = product >= 0 ? (product + half) / den : (product - half) / den;
    return static_cast<int>(rounded);
}

}  // namespace

int dialogUnitsToPixelsX(int units) {
    return mulDiv(units, 6, 4);
}
int dialogUnitsToPixelsY(int units) {
    return mulDiv(units, 13, 8);
}

ControlRect dialogRect(int x, int y, int width, int height) {
    return {dialogUnitsToPixelsX(x), dialogUnitsToPixelsY(y), dialogUnitsToPixelsX(width),
            dialogUnitsToPixelsY(height)};
}

namespace controls {
// The combo's height is that of the buttons; its drop-down sizes itself.
ControlRect portCombo() {
    return dialogRect(238, 3, 48, 14);
}
ControlRect facePanel() {
    return dialogRect(2, 0, 233, 146);
}
ControlRect chartPanel() {
    return dialogRect(1, 146, 396, 84);
}
ControlRect clearButton() {
    return dialogRect(343, 2, 53, 14);
}
ControlRect holdButton() {
    return dialogRect(288, 2, 53, 14);
}
ControlRect zoomInButton() {
    return dialogRect(372, 231, 13, 10);
}
ControlRect zoomOutButton() {
    return dialogRect(385, 231, 13, 10);
}
ControlRect scrollBar() {
    return dialogRect(1, 229, 371, 11);
}
ControlRect readingList() {
    return dialogRect(238, 17, 159, 127);
}
int designClientWidth() {
    return dialogUnitsToPixelsX(399);
}
int designClientHeight() {
    return dialogUnitsToPixelsY(242);
}
}  // namespace controls

WindowLayout layoutForClient(int clientWidth, int clientHeight) {
    const ControlRect chart = controls::chartPanel();
    const ControlRect list = controls::readingList();
    const int bottomRow = clientHeight - 16;
    WindowLayout layout;
    layout.chart = {chart.x, chart.y, clientWidth - chart.x - 10, clientHeight - chart.y - 26};
    layout.list = {list.x, list.y, clientWidth - chart.x - 364, 206};
    layout.scrollBar = {1, bottomRow, clientWidth - 37, 17};
    layout.zoomIn = {clientWidth - 35, bottomRow, 17, 16};
    layout.zoomOut = {clientWidth - 18, bottomRow, 17, 16};
    // Kept to 16 bits as the list control takes it; a tiny window wraps or goes negative.
    layout.tagColumnWidth = static_cast<std::int16_t>(clientWidth - 620);
    return layout;
}

EditorSpan tagEditorSpan(int listWidth) {
    const int width = listWidth < kTagEditorMinWidth
                          ? listWidth
                          : std::max(listWidth - kReadingColumnWidth, kTagEditorMinWidth);
    return {std::max(0, listWidth - width), std::max(0, width)};
}
