#pragma once

#include <cstddef>
#include <string_view>

#include "chart/chart_view.h"
#include "face/face_tick.h"
#include "link/port_list.h"
#include "settings/settings.h"

// What the session asks of the window that shows it. Each window (Qt, Win32)
// implements it with its own controls; the session calls it on the window's
// thread only, and never expects anything back but what the comments say.
class SessionWindow {
  public:
    // Start the 50 ms timer that calls MeterSession::tick.
    virtual void startTicking() = 0;
    // Take the saved placement (outer rectangle, may need bounding to the
    // screens), maximised when it closed so; the normal rectangle stays
    // `saved`. Without `stored` (a first start) `saved` is the default size
    // in logical pixels. The layout that follows reports the panels' sizes back.
    virtual void placeWindow(const WindowRect& saved, bool maximized, bool stored) = 0;

    // The port drop-down: its entries with their selection, or a new selection.
    virtual void showPortList(const PortList& list) = 0;
    virtual void selectPortEntry(int index) = 0;

    // The reading list grew by rows at its end, now `rowCount` rows.
    virtual void rowsAppended(std::size_t rowCount) = 0;
    // The reading list was emptied (Clear, a full history written out).
    virtual void listEmptied() = 0;
    // Make the row visible (scrolling only when it is not), without selecting it.
    virtual void scrollToRow(std::size_t row) = 0;
    // Make the row visible (scrolling only when it is not) and select it. The
    // list reports the new selection back through MeterSession::listRowSelected
    // before this returns, as a platform list reports a user's selection.
    virtual void selectRow(std::size_t row) = 0;

    // The scroll bar's range and page, and its thumb when the state carries one.
    virtual void showScrollBar(const ScrollBarState& state) = 0;
    virtual void setScrollPosition(int position) = 0;
    virtual void setHoldChecked(bool checked) = 0;

    // Redraw requests: a rectangle of the face panel, the whole chart panel
    // (both through the window system), or the chart at once (during a drag).
    virtual void invalidateFace(const FaceRect& rect) = 0;
    virtual void invalidateChart() = 0;
    virtual void redrawChartNow() = 0;

    // The selection statistics for the chart's tooltip (Windows-1252 text).
    virtual void showStatistics(std::string_view text) = 0;

  protected:
    ~SessionWindow() = default;
};
