#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "session/meter_session.h"
#include "session/session_window.h"

// A window that shows nothing: it keeps what the session told it last and the
// order of the calls, and reports a selected row back like a platform list.
class RecordingWindow final : public SessionWindow {
  public:
    MeterSession* session = nullptr;  // set to report selections back
    std::vector<std::string> calls;   // call names in order
    bool recordCalls = false;

    bool ticking = false;
    std::optional<WindowRect> placed;
    bool placedMaximized = false;
    PortList portList;
    std::size_t rows = 0;
    std::optional<std::size_t> selectedRow;
    std::optional<std::size_t> scrolledToRow;
    ScrollBarState scrollBar;
    int scrollPosition = 0;
    bool holdChecked = false;
    std::vector<FaceRect> faceRects;
    int chartInvalidations = 0;
    int chartRedraws = 0;
    std::string statistics;

    void startTicking() override {
        note("startTicking");
        ticking = true;
    }
    void placeWindow(const WindowRect& saved, bool maximized, bool /*stored*/) override {
        note("placeWindow");
        placed = saved;
        placedMaximized = maximized;
    }
    void showPortList(const PortList& list) override {
        note("showPortList");
        portList = list;
    }
    void selectPortEntry(int index) override {
        note("selectPortEntry");
        portList.selected = index;
    }
    void rowsAppended(std::size_t rowCount) override {
        note("rowsAppended");
        rows = rowCount;
    }
    void listEmptied() override {
        note("listEmptied");
        rows = 0;
        selectedRow.reset();
    }
    void scrollToRow(std::size_t row) override {
        note("scrollToRow");
        scrolledToRow = row;
    }
    void selectRow(std::size_t row) override {
        note("selectRow");
        if (row >= rows || selectedRow == row) return;
        selectedRow = row;
        if (session) session->listRowSelected(static_cast<int>(row));
    }
    // The user selects a row (a click, a key): the list reports it.
    void chooseRow(std::size_t row) {
        selectedRow = row;
        if (session) session->listRowSelected(static_cast<int>(row));
    }
    void showScrollBar(const ScrollBarState& state) override {
        note("showScrollBar");
        scrollBar = state;
        if (state.position) scrollPosition = state.clampThumb(*state.position);
    }
    void setScrollPosition(int position) override {
        note("setScrollPosition");
        scrollPosition = scrollBar.clampThumb(position);
    }
    void setHoldChecked(bool checked) override {
        note("setHoldChecked");
        holdChecked = checked;
    }
    void invalidateFace(const FaceRect& rect) override {
        note("invalidateFace");
        faceRects.push_back(rect);
    }
    void invalidateChart() override {
        note("invalidateChart");
        ++chartInvalidations;
    }
    void redrawChartNow() override {
        note("redrawChartNow");
        ++chartRedraws;
    }
    void showStatistics(std::string_view text) override {
        note("showStatistics");
        statistics = std::string(text);
    }

  private:
    void note(const char* name) {
        if (recordCalls) calls.emplace_back(name);
    }
};
