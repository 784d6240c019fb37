#pragma once

#include "session/session_window.h"

// A window that shows nothing: for runs of the session where only its records count.
struct NullSessionWindow final : SessionWindow {
    void startTicking() override {}
    void placeWindow(const WindowRect&, bool, bool) override {}
    void showPortList(const PortList&) override {}
    void selectPortEntry(int) override {}
    void rowsAppended(std::size_t) override {}
    void listEmptied() override {}
    void scrollToRow(std::size_t) override {}
    void selectRow(std::size_t) override {}
    void showScrollBar(const ScrollBarState&) override {}
    void setScrollPosition(int) override {}
    void setHoldChecked(bool) override {}
    void invalidateFace(const FaceRect&) override {}
    void invalidateChart() override {}
    void redrawChartNow() override {}
    void showStatistics(std::string_view) override {}
};
