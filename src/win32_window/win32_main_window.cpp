#include "win32_window/win32_main_window.h"

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "history/windows1252.h"
#include "win32_window/win32_resource_ids.h"
#include "window_layout/window_placement.h"

namespace {

constexpr UINT_PTR kTimerId = 0;
constexpr UINT_PTR kChartSubclass = 1;
constexpr UINT_PTR kFaceSubclass = 2;
constexpr UINT kStatsToolId = ZINTAVO_CHART_PANEL;
constexpr UINT kMaximizeAgain = WM_APP;
// Serial ports announce themselves through this device interface class.
constexpr GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// The dpi functions of newer Windows, looked up once; older systems run at 96.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
               : nullptr;
}

// A panel is an owner-drawn button, which hot-tracks the pointer on every
// move for a look the panels never draw; under Wine that tracking polls every
// few milliseconds for as long as the pointer rests on the panel. A move
// reaches the button only while it holds the capture, for its pressed state.
bool isHoverMove(HWND panel, UINT message) {
    return message == WM_MOUSEMOVE && GetCapture() != panel;
}

LRESULT CALLBACK faceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    if (isHoverMove(hwnd, message)) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, faceProc, kFaceSubclass);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

int windowDpi(HWND hwnd) {
    static const auto getDpi = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpi != nullptr) {
        const UINT dpi = getDpi(hwnd);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    HDC dc = GetDC(hwnd);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc != nullptr) ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

RECT outerRectFor(HWND hwnd, int clientWidth, int clientHeight, int dpi) {
    static const auto adjust =
        user32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    if (adjust != nullptr)
        adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return r;
}

ScreenArea areaOf(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

BOOL CALLBACK collectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM into) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<ScreenArea>*>(into)->push_back(areaOf(info.rcWork));
    return TRUE;
}

MONITORINFO monitorInfo(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    return info;
}

std::wstring wideFromWindows1252(std::string_view text) {
    const std::u16string wide = windows1252ToUtf16(text);
    return {wide.begin(), wide.end()};
}

// The part of a port entry shown in the closed box: the number, without the
// device ("COM7 (pts/6)" shows as "COM7").
std::wstring_view closedBoxText(std::wstring_view entry) {
    const std::size_t device = entry.find(L" (");
    return device == std::wstring_view::npos ? entry : entry.substr(0, device);
}

// The chart as the statistics tooltip's one tool, over its whole client area.
TTTOOLINFOW statsTool(HWND chart, HINSTANCE instance, std::wstring& text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = chart;
    tool.uId = kStatsToolId;
    tool.hinst = instance;
    tool.lpszText = text.data();
    GetClientRect(chart, &tool.rect);
    return tool;
}

void setResult(HWND hwnd, LRESULT result) {
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, SessionServices services)
    : instance_(instance), session_(std::move(services), *this) {}

Win32MainWindow::~Win32MainWindow() = default;

int Win32MainWindow::run() {
    if (!Win32ReadingList::registerClass(instance_)) return 1;
    const INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(ZINTAVO_DIALOG), nullptr,
                                           dialogProc, reinterpret_cast<LPARAM>(this));
    // A list that could not be saved stays in the journal; the exit status says so.
    return result == -1 || !session_.listSaved() ? 1 : 0;
}

INT_PTR CALLBACK Win32MainWindow::dialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32MainWindow*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        self->initialise(hwnd);
        return TRUE;
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_MEASUREITEM && wParam == ZINTAVO_PORT_COMBO) {
        // Asked while the dialog is made, before WM_INITDIALOG: the entries
        // are as high as the dialog font's line.
        RECT line{0, 0, 0, 10};
        MapDialogRect(hwnd, &line);
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
            static_cast<UINT>(std::max<LONG>(line.bottom, 1));
        return TRUE;
    }
    return self != nullptr ? self->handle(message, wParam, lParam) : FALSE;
}

void Win32MainWindow::initialise(HWND hwnd) {
    hwnd_ = hwnd;
    combo_ = GetDlgItem(hwnd, ZINTAVO_PORT_COMBO);
    face_ = GetDlgItem(hwnd, ZINTAVO_FACE_PANEL);
    chart_ = GetDlgItem(hwnd, ZINTAVO_CHART_PANEL);
    hold_ = GetDlgItem(hwnd, ZINTAVO_HOLD);
    scrollBar_ = GetDlgItem(hwnd, ZINTAVO_SCROLL_BAR);
    chartBar_ = Win32ScrollBar(scrollBar_, SB_CTL);
    list_ = std::make_unique<Win32ReadingList>(GetDlgItem(hwnd, ZINTAVO_READING_LIST), session_);

    const int smallSide = GetSystemMetrics(SM_CXSMICON);
    if (HANDLE big = LoadImageW(instance_, L"IDR_MAINFRAME", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HANDLE small = LoadImageW(instance_, L"IDR_MAINFRAME", IMAGE_ICON, smallSide, smallSide, 0))
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

    sheet_ = GdiplusImage::fromResource(instance_, ZINTAVO_SPRITES, ZINTAVO_SPRITE_TYPE);
    sheet2x_ = GdiplusImage::fromResource(instance_, ZINTAVO_SPRITES_2X, ZINTAVO_SPRITE_TYPE);
    applyDpi(windowDpi(hwnd));
    SetWindowSubclass(chart_, chartProc, kChartSubclass, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(face_, faceProc, kFaceSubclass, 0);
    createStatsTip();

    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kComPortInterface;
    deviceNotification_ = RegisterDeviceNotificationW(hwnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);

    session_.start();
    layout();
}

INT_PTR Win32MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            // The cursor and the chart's place matter only during a drag;
            // asking for them is a round trip to the window system.
            if (wParam == kTimerId) {
                if (session_.dragging()) {
                    session_.tick(cursor(), chartScreenRect());
                } else {
                    session_.tick({}, {});
                }
            }
            return TRUE;
        case WM_DRAWITEM:
            drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            LRESULT result = 0;
            // The tooltip tells its owner, the dialog, how it draws; the chart when it shows.
            if (header.hwndFrom == statsTip_ && statsTipNotify(lParam, result)) {
                setResult(hwnd_, result);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == scrollBar_)
                session_.scroll(static_cast<ScrollRequest>(LOWORD(wParam)), HIWORD(wParam));
            return TRUE;
        case WM_SIZE:
            if (wParam == SIZE_RESTORED && std::exchange(keepMaximized_, false))
                PostMessageW(hwnd_, kMaximizeAgain, 0, 0);
            layout();
            return TRUE;
        case kMaximizeAgain:
            ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
            return TRUE;
        case WM_SYSCOMMAND:
            keepMaximized_ = false;  // a restore asked for by the user stays
            return FALSE;
        case WM_MOVE:
            if (!IsIconic(hwnd_) && !IsZoomed(hwnd_)) lastNormal_ = normalFrame();
            return FALSE;
        case WM_GETMINMAXINFO:
            if (hwnd_ != nullptr) {
                const SIZE minimum = minimumFrame();
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum.cx, minimum.cy};
            }
            return TRUE;
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                         suggested.right - suggested.left, suggested.bottom - suggested.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            layout();
            return TRUE;
        }
        case WM_POWERBROADCAST:
            session_.powerEvent(static_cast<unsigned>(wParam));
            setResult(hwnd_, TRUE);
            return TRUE;
        case WM_DEVICECHANGE:
            session_.deviceChange();
            setResult(hwnd_, TRUE);
            return TRUE;
        case WM_QUERYENDSESSION:
            // Saved now: Windows may end the process after WM_ENDSESSION
            // without ever destroying the window.
            session_.saveIfChanged();
            setResult(hwnd_, TRUE);
            return TRUE;
        case WM_ENDSESSION:
            if (wParam != FALSE) finish(true);
            return TRUE;
        case WM_CLOSE:
            closeAndSave();
            return TRUE;
        case WM_DESTROY:
            finish(false);
            if (deviceNotification_ != nullptr) UnregisterDeviceNotification(deviceNotification_);
            deviceNotification_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void Win32MainWindow::command(int id, int code, HWND) {
    switch (id) {
        case IDCANCEL:
            cancel();
            break;
        case ZINTAVO_PORT_COMBO: {
            const bool dropped = SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0;
            // Browsing the open list is not a choice; the entry it closes on is.
            if (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !dropped)) {
                const int index = static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0));
                if (index >= 0 && index != lastPortIndex_) {
                    lastPortIndex_ = index;
                    session_.portChosen(index);
                }
            }
            break;
        }
        case ZINTAVO_CLEAR:
            if (code == BN_CLICKED) session_.clear();
            break;
        case ZINTAVO_HOLD:
            if (code == BN_CLICKED) session_.toggleHold();
            break;
        case ZINTAVO_ZOOM_IN:
            if (code == BN_CLICKED) session_.zoomIn();
            break;
        case ZINTAVO_ZOOM_OUT:
            if (code == BN_CLICKED) session_.zoomOut();
            break;
        default:
            // Enter presses nothing; a click on the chart is handled at the release.
            break;
    }
}

void Win32MainWindow::cancel() {
    const bool dropped = SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0;
    switch (escapeAction(list_ && list_->editing(), dropped, session_.dragging())) {
        case EscapeAction::CloseTagEditor:
            list_->cancelEdit();
            break;
        case EscapeAction::CloseDropDown:
            SendMessageW(combo_, CB_SHOWDROPDOWN, FALSE, 0);
            break;
        case EscapeAction::CancelDrag:
            ReleaseCapture();  // the lost capture ends the drag
            session_.cancelDrag();
            break;
        case EscapeAction::SaveAndClose:
            closeAndSave();
            break;
    }
}

void Win32MainWindow::closeAndSave() {
    if (closed_) return;
    closed_ = true;
    finish(true);
    EndDialog(hwnd_, 0);
}

void Win32MainWindow::finish(bool save) {
    if (!session_.started() || shut_) return;
    shut_ = true;
    if (ticking_) KillTimer(hwnd_, kTimerId);
    ticking_ = false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    const bool maximised = GetWindowPlacement(hwnd_, &placement) &&
                           (placement.showCmd == SW_SHOWMAXIMIZED ||
                            (placement.showCmd == SW_SHOWMINIMIZED &&
                             (placement.flags & WPF_RESTORETOMAXIMIZED) != 0));
    const WindowRect frame = normalFrame();
    if (save)
        session_.end(frame, maximised);
    else
        session_.shutDown(frame, maximised);
}

// The normal (restored) rectangle in screen coordinates. Windows keeps it in
// the coordinates of the monitor's work area: with the taskbar at the top or
// left those differ, and a rectangle stored unconverted would drift.
WindowRect Win32MainWindow::normalFrame() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd_, &placement)) return lastNormal_;
    const RECT& r = placement.rcNormalPosition;
    const MONITORINFO info = monitorInfo(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY));
    const WindowRect workspace{r.left, r.top, r.right - r.left, r.bottom - r.top};
    return workspaceToScreen(workspace, areaOf(info.rcWork), areaOf(info.rcMonitor));
}

void Win32MainWindow::startTicking() {
    ticking_ =
        SetTimer(hwnd_, kTimerId, static_cast<UINT>(MeterSession::kTick.count()), nullptr) != 0;
}

void Win32MainWindow::placeWindow(const WindowRect& saved, bool maximized, bool stored) {
    // A stored rectangle is in screen pixels; the default size of a first
    // start is in logical pixels, scaled to the display here.
    WindowRect wanted = saved;
    if (!stored) {
        wanted.width = metrics_.px(saved.width);
        wanted.height = metrics_.px(saved.height);
    }
    std::vector<ScreenArea> screens;
    EnumDisplayMonitors(nullptr, nullptr, collectWorkArea, reinterpret_cast<LPARAM>(&screens));
    const MONITORINFO primary = monitorInfo(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    WindowRect r = placeOnScreen(wanted, screens, areaOf(primary.rcWork));
    // Never smaller than the size at which every control is whole.
    const SIZE minimum = minimumFrame();
    r.width = std::max<std::int32_t>(r.width, minimum.cx);
    r.height = std::max<std::int32_t>(r.height, minimum.cy);

    const RECT screenRect{r.x, r.y, r.x + r.width, r.y + r.height};
    const MONITORINFO on = monitorInfo(MonitorFromRect(&screenRect, MONITOR_DEFAULTTOPRIMARY));
    const WindowRect workspace = screenToWorkspace(r, areaOf(on.rcWork), areaOf(on.rcMonitor));

    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement.rcNormalPosition = {workspace.x, workspace.y, workspace.x + workspace.width,
                                  workspace.y + workspace.height};
    SetWindowPlacement(hwnd_, &placement);
    // Wine's dialog loop shows the dialog normal once its queue first runs
    // dry, whatever the initialisation made it: a restore that no command
    // of the user's asked for is undone.
    keepMaximized_ = maximized;
    lastNormal_ = r;
    layout();
}

void Win32MainWindow::applyDpi(int dpi) {
    // The controls go where the template's units put them with the 8-point
    // dialog font, scaled to this dpi, whatever font the system substitutes:
    // the face is drawn for a panel of exactly that size. The layout then
    // sizes the resizable ones.
    metrics_.dpi = dpi;
    scale_ = static_cast<float>(dpi) / 96.0f;
    for (const TemplateControl& control : kTemplateControls) {
        const ControlRect r = dialogRect(control.units, metrics_);
        SetWindowPos(GetDlgItem(hwnd_, control.id), nullptr, r.x, r.y, r.width, r.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (list_) list_->applyDpi(dpi);
    faceSurface_.reset();  // made again at the panel's new size
    chartSurface_.reset();
}

void Win32MainWindow::layout() {
    if (hwnd_ == nullptr || !list_ || IsIconic(hwnd_)) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const WindowLayout l = layoutForClient(client.right, client.bottom, metrics_);
    // Not copied from where they were: after a maximise their old place may
    // hold what was never painted, and the copy would count as painted.
    const auto place = [](HWND control, const ControlRect& r) {
        SetWindowPos(control, nullptr, r.x, r.y, std::max(0, r.width), std::max(0, r.height),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    };
    place(chart_, l.chart);
    place(list_->handle(), l.list);
    place(scrollBar_, l.scrollBar);
    place(GetDlgItem(hwnd_, ZINTAVO_ZOOM_IN), l.zoomIn);
    place(GetDlgItem(hwnd_, ZINTAVO_ZOOM_OUT), l.zoomOut);
    list_->setTagColumnWidth(l.tagColumnWidth);
    makeSurfaces();
    updateStatsTipRect();
    if (!IsIconic(hwnd_) && !IsZoomed(hwnd_)) lastNormal_ = normalFrame();
}

void Win32MainWindow::makeSurfaces() {
    RECT face{};
    RECT chart{};
    GetClientRect(face_, &face);
    GetClientRect(chart_, &chart);
    // Above 1.5 times 96 dpi the sheet drawn at twice the size keeps the digits sharp.
    const bool twice = scale_ >= 1.5f && sheet2x_.valid();
    const GdiplusImage* sheet = twice ? &sheet2x_ : &sheet_;
    if (!faceSurface_ || faceSurface_->deviceWidth() != face.right ||
        faceSurface_->deviceHeight() != face.bottom) {
        faceSurface_ =
            std::make_unique<GdiplusCanvas>(face.right, face.bottom, scale_, sheet, twice ? 2 : 1);
        // A new surface holds nothing yet: its first paint draws all of it.
        InvalidateRect(face_, nullptr, FALSE);
    }
    if (!chartSurface_ || chartSurface_->deviceWidth() != chart.right ||
        chartSurface_->deviceHeight() != chart.bottom)
        chartSurface_ = std::make_unique<GdiplusCanvas>(chart.right, chart.bottom, scale_);
    session_.panelsResized(faceSurface_->width(), faceSurface_->height(), chartSurface_->width(),
                           chartSurface_->height());
}

// The outer size at which every control is whole.
SIZE Win32MainWindow::minimumFrame() const {
    const ClientSize minimum = minimumClientSize(metrics_);
    const RECT outer = outerRectFor(hwnd_, minimum.width, minimum.height, metrics_.dpi);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

void Win32MainWindow::drawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID == ZINTAVO_PORT_COMBO) {
        drawPortEntry(item);
        return;
    }
    // Only what the window system asked for reaches the screen.
    RECT needed{};
    if (GetClipBox(item.hDC, &needed) == NULLREGION) return;
    GdiplusCanvas* surface = nullptr;
    if (item.CtlID == ZINTAVO_FACE_PANEL) {
        // The face's surface is kept between paints and the session asks for
        // every part whose look changed: only those parts are drawn again.
        surface = faceSurface_.get();
        if (surface == nullptr) return;
        surface->clipTo(needed.left, needed.top, needed.right, needed.bottom);
        session_.renderFace(*surface);
        surface->unclip();
    } else if (item.CtlID == ZINTAVO_CHART_PANEL) {
        surface = chartSurface_.get();
        if (surface == nullptr) return;
        session_.renderChart(*surface);
    }
    if (surface == nullptr) return;
    surface->copyTo(item.hDC, needed.left, needed.top, needed.right, needed.bottom);
}

void Win32MainWindow::drawPortEntry(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1)) {
        const std::wstring text = portEntry(item.itemID);
        std::wstring_view shown = text;
        if ((item.itemState & ODS_COMBOBOXEDIT) != 0) shown = closedBoxText(shown);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT r = item.rcItem;
        r.left += 2;
        DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), &r,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &item.rcItem);
}

std::wstring Win32MainWindow::portEntry(WPARAM index) const {
    const auto length = SendMessageW(combo_, CB_GETLBTEXTLEN, index, 0);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(combo_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
    return text;
}

void Win32MainWindow::showPortList(const PortList& list) {
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : list.entries) {
        const std::wstring wide = wideFromWindows1252(entry);
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(list.selected), 0);
    lastPortIndex_ = list.selected;
    fitPortDropDown();
}

void Win32MainWindow::fitPortDropDown() {
    // The open list is as wide as its longest entry.
    HDC dc = GetDC(combo_);
    if (dc == nullptr) return;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo_, WM_GETFONT, 0, 0)));
    int widest = 0;
    const int count = static_cast<int>(SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const std::wstring text = portEntry(static_cast<WPARAM>(i));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(combo_, dc);
    const int margins = 8 + GetSystemMetrics(SM_CXVSCROLL);
    SendMessageW(combo_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + margins), 0);
}

void Win32MainWindow::selectPortEntry(int index) {
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    lastPortIndex_ = index;
}

void Win32MainWindow::rowsAppended(std::size_t rowCount) {
    list_->setRowCount(rowCount);
}

void Win32MainWindow::listEmptied() {
    // An open editor's row is gone: its text must not land on a later row.
    list_->cancelEdit();
    list_->setRowCount(0);
}

void Win32MainWindow::scrollToRow(std::size_t row) {
    list_->ensureVisible(row);
}

void Win32MainWindow::selectRow(std::size_t row) {
    list_->select(row);
}

void Win32MainWindow::showScrollBar(const ScrollBarState& state) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = state.minimum;
    info.nMax = state.maximum;
    info.nPage = static_cast<UINT>(std::max(state.page, 0));
    if (state.position) {
        info.fMask |= SIF_POS;
        info.nPos = *state.position;
    }
    chartBar_.set(info);
}

void Win32MainWindow::setScrollPosition(int position) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    chartBar_.set(info);
}

void Win32MainWindow::setHoldChecked(bool checked) {
    SendMessageW(hold_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32MainWindow::invalidateFace(const FaceRect& rect) {
    // Panel pixels to device pixels, rounded outwards.
    const RECT r{static_cast<LONG>(std::floor(static_cast<float>(rect.left) * scale_)),
                 static_cast<LONG>(std::floor(static_cast<float>(rect.top) * scale_)),
                 static_cast<LONG>(std::ceil(static_cast<float>(rect.right) * scale_)),
                 static_cast<LONG>(std::ceil(static_cast<float>(rect.bottom) * scale_))};
    InvalidateRect(face_, &r, FALSE);
}

void Win32MainWindow::invalidateChart() {
    InvalidateRect(chart_, nullptr, FALSE);
}

void Win32MainWindow::redrawChartNow() {
    RedrawWindow(chart_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void Win32MainWindow::createStatsTip() {
    statsTip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, chart_, nullptr, nullptr, nullptr);
    if (statsTip_ == nullptr) return;
    SetWindowPos(statsTip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Multi-line: the lines break at the text's line breaks only.
    SendMessageW(statsTip_, TTM_SETMAXTIPWIDTH, 0, 4096);
    TTTOOLINFOW tool = statsTool(chart_, instance_, statsText_);
    SendMessageW(statsTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32MainWindow::updateStatsTipRect() {
    if (statsTip_ == nullptr) return;
    TTTOOLINFOW tool = statsTool(chart_, instance_, statsText_);
    SendMessageW(statsTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32MainWindow::showStatistics(std::string_view text) {
    if (statsTip_ == nullptr) return;
    statsText_ = wideFromWindows1252(text);
    widenStatsTip();
    TTTOOLINFOW tool = statsTool(chart_, instance_, statsText_);
    SendMessageW(statsTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    updateStatsTipRect();
}

LRESULT CALLBACK Win32MainWindow::chartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self) {
    LRESULT result = 0;
    if (reinterpret_cast<Win32MainWindow*>(self)->chartMessage(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, chartProc, kChartSubclass);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The chart's mouse: a press starts a selection, a release ends it (over the
// chart it is a click, which holds the view), and a lost capture ends it too.
bool Win32MainWindow::chartMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            result = DefSubclassProc(chart_, message, wParam, lParam);
            session_.chartPressed(cursor(), chartScreenRect());
            return true;
        case WM_LBUTTONUP: {
            const bool dragging = session_.dragging();
            RECT client{};
            GetClientRect(chart_, &client);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            releasing_ = true;
            result = DefSubclassProc(chart_, message, wParam, lParam);
            releasing_ = false;
            if (dragging)
                session_.chartReleased(cursor(), chartScreenRect(), PtInRect(&client, at) != FALSE);
            return true;
        }
        case WM_CAPTURECHANGED:
            if (!releasing_) session_.cancelDrag();
            return false;
        case WM_ERASEBKGND:
            result = 1;  // the surface covers the panel
            return true;
        case WM_MOUSEMOVE:
            // The statistics tooltip watches the moves ahead of this.
            return isHoverMove(chart_, message);
        case WM_NOTIFY:
            return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == statsTip_ &&
                   statsTipNotify(lParam, result);
        default:
            return false;
    }
}

// The statistics lines put their values after a tab: the tooltip draws them
// with the tabs expanded, on one line each, over the margin widenStatsTip made.
bool Win32MainWindow::statsTipNotify(LPARAM lParam, LRESULT& result) {
    auto& draw = *reinterpret_cast<NMTTCUSTOMDRAW*>(lParam);
    if (draw.nmcd.hdr.code != NM_CUSTOMDRAW) return false;
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        draw.uDrawFlags = (draw.uDrawFlags & ~UINT{DT_WORDBREAK}) | DT_EXPANDTABS | DT_NOCLIP;
    result = CDRF_DODEFAULT;
    return true;
}

// A tooltip may size itself for the text with its tabs drawn as one
// character: a right margin adds what the expanded tabs need.
void Win32MainWindow::widenStatsTip() {
    HDC dc = GetDC(statsTip_);
    if (dc == nullptr) return;
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(statsTip_, WM_GETFONT, 0, 0)));
    const auto width = [&](UINT flags) {
        RECT r{};
        DrawTextW(dc, statsText_.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | flags);
        return r.right;
    };
    const RECT margin{0, 0, std::max(0L, width(DT_EXPANDTABS) - width(0)), 0};
    SelectObject(dc, old);
    ReleaseDC(statsTip_, dc);
    SendMessageW(statsTip_, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
}

// Screen positions for the session, in the panels' logical pixels.
int Win32MainWindow::logical(LONG devicePixels) const {
    return static_cast<int>(std::lround(static_cast<float>(devicePixels) / scale_));
}

ScreenPoint Win32MainWindow::cursor() const {
    POINT p{};
    GetCursorPos(&p);
    return {logical(p.x), logical(p.y)};
}

ScreenRect Win32MainWindow::chartScreenRect() const {
    RECT r{};
    GetWindowRect(chart_, &r);
    return {logical(r.left), logical(r.top), logical(r.right), logical(r.bottom)};
}
