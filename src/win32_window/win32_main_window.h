#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "session/meter_session.h"
#include "win32/win32_gdiplus_canvas.h"
#include "win32_window/win32_reading_list.h"
#include "win32_window/win32_scroll_bar.h"
#include "window_layout/window_layout.h"

// The program's one window on Windows: the dialog of resource 104, its
// controls laid out by the shared layout rules, showing the session and
// forwarding every event to it. Panels are drawn on GDI+ surfaces made at the
// display's resolution.
class Win32MainWindow final : private SessionWindow {
  public:
    Win32MainWindow(HINSTANCE instance, SessionServices services);
    ~Win32MainWindow();
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // Runs the dialog until it closes; returns the program's exit code.
    int run();

  private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK chartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    // SessionWindow
    void startTicking() override;
    void placeWindow(const WindowRect& saved, bool maximized, bool stored) override;
    void showPortList(const PortList& list) override;
    void selectPortEntry(int index) override;
    void rowsAppended(std::size_t rowCount) override;
    void listEmptied() override;
    void scrollToRow(std::size_t row) override;
    void selectRow(std::size_t row) override;
    void showScrollBar(const ScrollBarState& state) override;
    void setScrollPosition(int position) override;
    void setHoldChecked(bool checked) override;
    void invalidateFace(const FaceRect& rect) override;
    void invalidateChart() override;
    void redrawChartNow() override;
    void showStatistics(std::string_view text) override;

    void initialise(HWND hwnd);
    void command(int id, int code, HWND control);
    void cancel();
    void closeAndSave();
    // Every ending stops the timer and hands the normal frame to the session;
    // `save`: the list is saved first (the close box, Escape, the session's end).
    void finish(bool save);
    void layout();
    void applyDpi(int dpi);
    void makeSurfaces();
    void drawItem(const DRAWITEMSTRUCT& item);
    void drawPortEntry(const DRAWITEMSTRUCT& item);
    void fitPortDropDown();
    SIZE minimumFrame() const;
    std::wstring portEntry(WPARAM index) const;
    void createStatsTip();
    void updateStatsTipRect();
    bool chartMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool statsTipNotify(LPARAM lParam, LRESULT& result);
    void widenStatsTip();
    int logical(LONG devicePixels) const;
    ScreenPoint cursor() const;
    ScreenRect chartScreenRect() const;
    WindowRect normalFrame() const;

    HINSTANCE instance_;
    MeterSession session_;
    HWND hwnd_ = nullptr;
    HWND combo_ = nullptr;
    HWND face_ = nullptr;
    HWND chart_ = nullptr;
    HWND hold_ = nullptr;
    HWND scrollBar_ = nullptr;
    Win32ScrollBar chartBar_;
    HWND statsTip_ = nullptr;
    HDEVNOTIFY deviceNotification_ = nullptr;
    std::unique_ptr<Win32ReadingList> list_;

    DialogMetrics metrics_;
    float scale_ = 1.0f;
    GdiplusImage sheet_;
    GdiplusImage sheet2x_;
    std::unique_ptr<GdiplusCanvas> faceSurface_;
    std::unique_ptr<GdiplusCanvas> chartSurface_;
    std::wstring statsText_;
    int lastPortIndex_ = -1;
    bool releasing_ = false;
    bool ticking_ = false;
    bool closed_ = false;
    bool shut_ = false;
    bool keepMaximized_ = false;
    WindowRect lastNormal_;
};
