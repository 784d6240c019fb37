#include "qt_window/dialog_controls.h"

#include <QPushButton>
#include <algorithm>

#include "qt_window/port_combo_box.h"
#include "qt_window/reading_list_view.h"
#include "qt_window/steady_scroll_bar.h"
#include "qt_window/surface_panel.h"
#include "window_layout/window_layout.h"

namespace {

QRect toQRect(const ControlRect& r) {
    return {r.x, r.y, std::max(0, r.width), std::max(0, r.height)};
}

template <typename Control>
Control* place(Control* control, const ControlRect& where) {
    control->setGeometry(toQRect(where));
    return control;
}

template <typename Control>
Control* place(Control* control, DialogControl role) {
    return place(control, templateRect(role));
}

// The template's combo height is that of its open list; the closed box is as
// high as the buttons beside it, and the drop-down sizes itself.
ControlRect closedComboBox() {
    ControlRect box = templateRect(DialogControl::PortCombo);
    box.height = templateRect(DialogControl::Hold).height;
    return box;
}

QPushButton* button(const char* text, QWidget& parent, DialogControl role) {
    auto* made = place(new QPushButton(QString::fromLatin1(text), &parent), role);
    // No default button: Enter never presses anything.
    made->setAutoDefault(false);
    made->setDefault(false);
    return made;
}

}  // namespace

DialogControls::DialogControls(QWidget& window, const ReadingList& rows)
    : portCombo(place(new PortComboBox(&window), closedComboBox())),
      facePanel(place(new SurfacePanel(&window), DialogControl::FacePanel)),
      chartPanel(place(new SurfacePanel(&window), DialogControl::ChartPanel)),
      clear(button("Clear", window, DialogControl::Clear)),
      hold(button("Hold", window, DialogControl::Hold)),
      zoomIn(button("+", window, DialogControl::ZoomIn)),
      zoomOut(button("-", window, DialogControl::ZoomOut)),
      scrollBar(place(new SteadyScrollBar(Qt::Horizontal, &window), DialogControl::ScrollBar)),
      listView(place(new ReadingListView(rows, &window), DialogControl::ReadingList)) {
    hold->setCheckable(true);
}

void DialogControls::layout(int clientWidth, int clientHeight) {
    const WindowLayout layout = layoutForClient(clientWidth, clientHeight);
    chartPanel->setGeometry(toQRect(layout.chart));
    listView->setGeometry(toQRect(layout.list));
    scrollBar->setGeometry(toQRect(layout.scrollBar));
    zoomIn->setGeometry(toQRect(layout.zoomIn));
    zoomOut->setGeometry(toQRect(layout.zoomOut));
    listView->setTagColumnWidth(layout.tagColumnWidth);
}
