#include "window_layout/window_layout.h"

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
    return metrics.px(mulDiv(units, metrics.baseX, 4));
}
int dialogUnitsToPixelsY(int units, const DialogMetrics& metrics) {
    return metrics.px(mulDiv(units, metrics.baseY, 8));
}

ControlRect dialogRect(const ControlRect& units, const DialogMetrics& metrics) {
    return {dialogUnitsToPixelsX(units.x, metrics), dialogUnitsToPixelsY(units.y, metrics),
            dialogUnitsToPixelsX(units.width, metrics),
            dialogUnitsToPixelsY(units.height, metrics)};
}

ControlRect templateRect(DialogControl role, const DialogMetrics& metrics) {
    const auto* control = std::find_if(kTemplateControls.begin(), kTemplateControls.end(),
                                       [role](const TemplateControl& c) { return c.role == role; });
    return dialogRect(control->units, metrics);
}

WindowLayout layoutForClient(int clientWidth, int clientHeight, const DialogMetrics& m) {
    const ControlRect chart = templateRect(DialogControl::ChartPanel, m);
    const ControlRect list = templateRect(DialogControl::ReadingList, m);
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

int shownTagColumnWidth(int layoutWidth, int listClientWidth, int readingWidth) {
    return std::max(0, std::min(layoutWidth, listClientWidth - readingWidth));
}

ClientSize minimumClientSize(const DialogMetrics& m) {
    const ControlRect chart = templateRect(DialogControl::ChartPanel, m);
    const ControlRect clear = templateRect(DialogControl::Clear, m);
    const int forList = chart.x + m.px(364) + m.px(kReadingColumnWidth + kListChrome);
    const int forButtons = clear.x + clear.width + m.px(4);
    return {std::max(forList, forButtons), chart.y + m.px(26) + m.px(kMinChartHeight)};
}

EditorSpan tagEditorSpan(int readingRight, int listClientWidth, int minWidth) {
    int left = std::max(0, readingRight);
    if (listClientWidth - left < minWidth) left = std::max(0, listClientWidth - minWidth);
    return {left, std::max(0, listClientWidth - left)};
}

EscapeAction escapeAction(bool tagEditing, bool dropDownOpen, bool dragging) {
    if (tagEditing) return EscapeAction::CloseTagEditor;
    if (dropDownOpen) return EscapeAction::CloseDropDown;
    if (dragging) return EscapeAction::CancelDrag;
    return EscapeAction::SaveAndClose;
}
