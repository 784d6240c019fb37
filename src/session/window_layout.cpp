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

int DialogMetrics::px(int pixelsAt96) const {
    return mulDiv(pixelsAt96, dpi, 96);
}

int dialogUnitsToPixelsX(int units, const DialogMetrics& metrics) {
    return mulDiv(units, metrics.baseX, 4);
}
int dialogUnitsToPixelsY(int units, const DialogMetrics& metrics) {
    return mulDiv(units, metrics.baseY, 8);
}

ControlRect dialogRect(int x, int y, int width, int height, const DialogMetrics& metrics) {
    return {dialogUnitsToPixelsX(x, metrics), dialogUnitsToPixelsY(y, metrics),
            dialogUnitsToPixelsX(width, metrics), dialogUnitsToPixelsY(height, metrics)};
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

namespace {
// The template's places of the two controls that the layout sizes in place.
ControlRect chartAt(const DialogMetrics& m) {
    return dialogRect(1, 146, 396, 84, m);
}
ControlRect listAt(const DialogMetrics& m) {
    return dialogRect(238, 17, 159, 127, m);
}
}  // namespace

WindowLayout layoutForClient(int clientWidth, int clientHeight, const DialogMetrics& m) {
    const ControlRect chart = chartAt(m);
    const ControlRect list = listAt(m);
    const int bottomRow = clientHeight - m.px(16);
    WindowLayout layout;
    layout.chart = {chart.x, chart.y, clientWidth - chart.x - m.px(10),
                    clientHeight - chart.y - m.px(26)};
    layout.list = {list.x, list.y, clientWidth - chart.x - m.px(364), m.px(206)};
    layout.scrollBar = {m.px(1), bottomRow, clientWidth - m.px(37), m.px(17)};
    layout.zoomIn = {clientWidth - m.px(35), bottomRow, m.px(17), m.px(16)};
    layout.zoomOut = {clientWidth - m.px(18), bottomRow, m.px(17), m.px(16)};
    // Kept to 16 bits as the list control takes it; a tiny window wraps or goes negative.
    layout.tagColumnWidth = static_cast<std::int16_t>(clientWidth - m.px(620));
    return layout;
}

ClientSize minimumClientSize(const DialogMetrics& m) {
    const ControlRect chart = chartAt(m);
    const ControlRect clear = dialogRect(343, 2, 53, 14, m);
    const int forList = chart.x + m.px(364) + m.px(kReadingColumnWidth + kListChrome);
    const int forButtons = clear.x + clear.width + m.px(4);
    return {std::max(forList, forButtons), chart.y + m.px(26) + m.px(kMinChartHeight)};
}

EditorSpan tagEditorSpan(int readingRight, int listClientWidth, int minWidth) {
    int left = std::max(0, readingRight);
    if (listClientWidth - left < minWidth) left = std::max(0, listClientWidth - minWidth);
    return {left, std::max(0, listClientWidth - left)};
}
