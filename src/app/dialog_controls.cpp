#include "app/dialog_controls.h"

#include <QPushButton>
#include <algorithm>

#include "app/port_combo_box.h"
#include "app/reading_list_view.h"
#include "app/steady_scroll_bar.h"
#include "app/surface_panel.h"
#include "session/window_layout.h"

namespace {

QRect toQRect(const ControlRect& r) {
    return {r.x, r.y, std::max(0, r.width), std::max(0, r.height)};
}

template <typename Control>
Control* place(Control* control, const ControlRect& where) {
    control->setGeometry(toQRect(where));
    return control;
}

QPushButton* button(const char* text, QWidget& parent, const ControlRect& where) {
    auto* made = place(new QPushButton(QString::fromLatin1(text), &parent), where);
    // No default button: Enter never presses anything.
    made->setAutoDefault(false);
    made->setDefault(false);
    return made;
}

}  // namespace

DialogControls::DialogControls(QWidget& window, const ReadingList& rows)
    : portCombo(place(new PortComboBox(&window), controls::portCombo())),
      facePanel(place(new SurfacePanel(&window), controls::facePanel())),
      chartPanel(place(new SurfacePanel(&window), controls::chartPanel())),
      clear(button("Clear", window, controls::clearButton())),
      hold(button("Hold", window, controls::holdButton())),
      zoomIn(button("+", window, controls::zoomInButton())),
      zoomOut(button("-", window, controls::zoomOutButton())),
      scrollBar(place(new SteadyScrollBar(Qt::Horizontal, &window), controls::scrollBar())),
      listView(place(new ReadingListView(rows, &window), controls::readingList())) {
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
