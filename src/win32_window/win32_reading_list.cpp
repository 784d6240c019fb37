#include "win32_window/win32_reading_list.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <string_view>
#include <utility>

#include "history/log_format.h"
#include "history/tag_edit.h"
#include "history/windows1252.h"
#include "session/meter_session.h"
#include "window_layout/window_layout.h"

namespace {

constexpr UINT_PTR kEditSubclass = 1;
constexpr UINT_PTR kTipTool = 1;
constexpr int kTextPadding = 2;
constexpr int kTipWidth = 400;  // a long tag wraps in its tooltip

std::u16string_view asU16(const wchar_t* text, std::size_t length) {
    return {reinterpret_cast<const char16_t*>(text), length};
}

TTTOOLINFOW tipTool(HWND list, const RECT& rect) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = list;
    tool.uId = kTipTool;
    tool.rect = rect;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    return tool;
}

}  // namespace

bool Win32ReadingList::registerClass(HINSTANCE instance) {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.style = CS_DBLCLKS;
    type.lpfnWndProc = listProc;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow, IDC_ARROW
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = kClassName;
    return RegisterClassExW(&type) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

Win32ReadingList::Win32ReadingList(HWND list, MeterSession& session)
    : list_(list), session_(session) {
    SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    scrollBar_ = Win32ScrollBar(list_, SB_VERT);
    focused_ = GetFocus() == list_;
    shownBar_.nMax = -1;  // differs from every state shown, so the first is set
    showScrollBar();
    createTip();
}

Win32ReadingList::~Win32ReadingList() {
    SetWindowLongPtrW(list_, GWLP_USERDATA, 0);
    if (tip_ != nullptr) DestroyWindow(tip_);
    if (font_ != nullptr) DeleteObject(font_);
}

LRESULT CALLBACK Win32ReadingList::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32ReadingList*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    return self != nullptr ? self->handle(message, wParam, lParam)
                           : DefWindowProcW(list, message, wParam, lParam);
}

LRESULT Win32ReadingList::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // every pixel is painted
        case WM_SIZE:
            resized();
            return 0;
        case WM_VSCROLL:
            scrollRequest(LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            wheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(list_);
            click(GET_Y_LPARAM(lParam), false);
            return 0;
        case WM_LBUTTONDBLCLK:
            click(GET_Y_LPARAM(lParam), true);
            return 0;
        case WM_MOUSEMOVE:
            tipRowAt(GET_Y_LPARAM(lParam));
            return 0;
        case WM_KEYDOWN:
            keyDown(wParam);
            return 0;
        case WM_CHAR:
            return 0;  // a typed letter moves nothing
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            focused_ = message == WM_SETFOCUS;
            invalidateRow(current_);
            return 0;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom != tip_ || header.code != TTN_GETDISPINFOW) break;
            auto& info = *reinterpret_cast<NMTTDISPINFOW*>(lParam);
            info.szText[0] = L'\0';
            info.lpszText = info.szText;
            const ReadingList& rows = session_.readingList();
            if (tipRow_ >= 0 && static_cast<std::size_t>(tipRow_) < rows.rowCount() &&
                !rows.row(static_cast<std::size_t>(tipRow_)).tag.empty())
                info.lpszText =
                    const_cast<wchar_t*>(rowText(static_cast<std::size_t>(tipRow_), true));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(list_, message, wParam, lParam);
}

void Win32ReadingList::applyDpi(int dpi) {
    dpi_ = dpi;
    HFONT font =
        CreateFontW(MulDiv(10, dpi, 96), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Lucida Console");
    if (font == nullptr) return;
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;
    if (HDC dc = GetDC(list_)) {
        HGDIOBJ old = SelectObject(dc, font_);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics)) textHeight_ = metrics.tmHeight;
        SelectObject(dc, old);
        ReleaseDC(list_, dc);
    }
    rowHeight_ = textHeight_ + 1;
    if (editor_ != nullptr)
        SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    resized();
}

void Win32ReadingList::setTagColumnWidth(int width) {
    if (width == requestedTagWidth_) return;
    requestedTagWidth_ = width;
    InvalidateRect(list_, nullptr, FALSE);
}

void Win32ReadingList::setRowCount(std::size_t rows) {
    const int count = static_cast<int>(rows);
    const int before = std::exchange(shown_, count);
    if (count < before) {
        // Emptied: nothing that was shown stays.
        if (current_ >= count) current_ = -1;
        top_ = std::clamp(top_, 0, std::max(0, count - fullRows()));
        InvalidateRect(list_, nullptr, FALSE);
    } else if (count > before && before < top_ + visibleRows()) {
        // Rows added below the view repaint nothing.
        RECT below = rowRect(before);
        below.bottom = clientHeight();
        InvalidateRect(list_, &below, FALSE);
    }
    showScrollBar();
}

void Win32ReadingList::ensureVisible(std::size_t row) {
    const int r = static_cast<int>(row);
    if (r < 0 || r >= shown_) return;
    if (r < top_) {
        scrollTo(r);
    } else if (r >= top_ + visibleRows()) {
        scrollTo(r - fullRows() + 1);
    }
}

void Win32ReadingList::select(std::size_t row) {
    if (static_cast<int>(row) >= shown_) return;
    ensureVisible(row);
    setCurrent(static_cast<int>(row));
}

int Win32ReadingList::clientHeight() const {
    RECT client{};
    GetClientRect(list_, &client);
    return client.bottom;
}

int Win32ReadingList::clientWidth() const {
    RECT client{};
    GetClientRect(list_, &client);
    return client.right;
}

int Win32ReadingList::fullRows() const {
    return std::max(1, clientHeight() / rowHeight_);
}

int Win32ReadingList::visibleRows() const {
    return std::max(1, (clientHeight() + rowHeight_ - 1) / rowHeight_);
}

int Win32ReadingList::rowAt(int y) const {
    if (y < 0) return -1;
    const int row = top_ + y / rowHeight_;
    return row < shown_ ? row : -1;
}

RECT Win32ReadingList::rowRect(int row) const {
    const int top = (row - top_) * rowHeight_;
    return {0, top, clientWidth(), top + rowHeight_};
}

int Win32ReadingList::readingWidth() const {
    return MulDiv(kReadingColumnWidth, dpi_, 96);
}

int Win32ReadingList::tagWidth() const {
    return shownTagColumnWidth(requestedTagWidth_, clientWidth(), readingWidth());
}

void Win32ReadingList::invalidateRow(int row) {
    if (row < top_ || row >= shown_ || row >= top_ + visibleRows()) return;
    const RECT rect = rowRect(row);
    InvalidateRect(list_, &rect, FALSE);
}

void Win32ReadingList::scrollTo(int top) {
    top = std::clamp(top, 0, std::max(0, shown_ - fullRows()));
    if (top == top_) return;
    top_ = top;
    InvalidateRect(list_, nullptr, FALSE);
    showScrollBar();
    placeEditor();
    // The row under the pointer is another one now.
    if (tipRow_ >= 0) {
        tipRow_ = -1;
        SendMessageW(tip_, TTM_POP, 0, 0);
    }
}

void Win32ReadingList::showScrollBar() {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bar.nMax = std::max(0, shown_ - 1);
    bar.nPage = static_cast<UINT>(fullRows());
    bar.nPos = top_;
    if (bar.nMax == shownBar_.nMax && bar.nPage == shownBar_.nPage && bar.nPos == shownBar_.nPos)
        return;
    // Set first: showing or hiding the bar resizes the list, which comes back here.
    shownBar_ = bar;
    scrollBar_.set(bar);
}

void Win32ReadingList::resized() {
    top_ = std::clamp(top_, 0, std::max(0, shown_ - fullRows()));
    InvalidateRect(list_, nullptr, FALSE);
    showScrollBar();
    placeEditor();
    if (tip_ != nullptr) {
        tipRow_ = -1;
        TTTOOLINFOW tool = tipTool(list_, {});
        SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void Win32ReadingList::setCurrent(int row) {
    if (row == current_) return;
    invalidateRow(std::exchange(current_, row));
    invalidateRow(row);
    session_.listRowSelected(row);
}

void Win32ReadingList::paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(list_, &ps);
    if (dc == nullptr) return;
    HGDIOBJ oldFont = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, OPAQUE);
    const int width = clientWidth();
    const int reading = readingWidth();
    const int tag = tagWidth();
    const int pad = MulDiv(kTextPadding, dpi_, 96);
    const int textTop = (rowHeight_ - textHeight_) / 2;
    const ReadingList& rows = session_.readingList();
    const int first = std::max(top_, top_ + static_cast<int>(ps.rcPaint.top) / rowHeight_);
    const int last =
        std::min({shown_, static_cast<int>(rows.rowCount()),
                  top_ + (static_cast<int>(ps.rcPaint.bottom) + rowHeight_ - 1) / rowHeight_});
    constexpr UINT kCell = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT | DT_TOP;
    for (int row = first; row < last; ++row) {
        const bool selected = row == current_;
        SetBkColor(dc, GetSysColor(!selected  ? COLOR_WINDOW
                                   : focused_ ? COLOR_HIGHLIGHT
                                              : COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(!selected  ? COLOR_WINDOWTEXT
                                     : focused_ ? COLOR_HIGHLIGHTTEXT
                                                : COLOR_BTNTEXT));
        const RECT whole = rowRect(row);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &whole, nullptr, 0, nullptr);
        const ReadingRow& shown = rows.row(static_cast<std::size_t>(row));
        RECT cell{pad, whole.top + textTop, reading - pad, whole.bottom};
        DrawTextW(dc, rowText(static_cast<std::size_t>(row), false), -1, &cell, kCell);
        if (tag > 2 * pad && !shown.tag.empty()) {
            cell.left = reading + pad;
            cell.right = reading + tag - pad;
            DrawTextW(dc, rowText(static_cast<std::size_t>(row), true), -1, &cell, kCell);
        }
    }
    const int end = (last - top_) * rowHeight_;
    if (end < ps.rcPaint.bottom) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        const RECT rest{0, std::max(end, static_cast<int>(ps.rcPaint.top)), width,
                        ps.rcPaint.bottom};
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);
    }
    SelectObject(dc, oldFont);
    EndPaint(list_, &ps);
}

void Win32ReadingList::click(int y, bool twice) {
    const int row = rowAt(y);
    if (row < 0) return;
    setCurrent(row);
    if (twice) beginEdit();
}

void Win32ReadingList::keyDown(WPARAM key) {
    if (key == VK_F2) {
        beginEdit();
        return;
    }
    if (key == 'C' && GetKeyState(VK_CONTROL) < 0) {
        copySelectedRow();
        return;
    }
    const int page = fullRows();
    int target = 0;
    switch (key) {
        case VK_UP:
            target = current_ - 1;
            break;
        case VK_DOWN:
            target = current_ + 1;
            break;
        case VK_PRIOR:
            target = current_ - page;
            break;
        case VK_NEXT:
            target = current_ + page;
            break;
        case VK_HOME:
            target = 0;
            break;
        case VK_END:
            target = shown_ - 1;
            break;
        default:
            return;
    }
    if (shown_ == 0) return;
    target = std::clamp(target, 0, shown_ - 1);
    // A row reached by the keyboard is shown whole.
    if (target < top_) {
        scrollTo(target);
    } else if (target >= top_ + fullRows()) {
        scrollTo(target - fullRows() + 1);
    }
    setCurrent(target);
}

void Win32ReadingList::scrollRequest(int request) {
    const int page = fullRows();
    switch (request) {
        case SB_LINEUP:
            scrollTo(top_ - 1);
            break;
        case SB_LINEDOWN:
            scrollTo(top_ + 1);
            break;
        case SB_PAGEUP:
            scrollTo(top_ - page);
            break;
        case SB_PAGEDOWN:
            scrollTo(top_ + page);
            break;
        case SB_TOP:
            scrollTo(0);
            break;
        case SB_BOTTOM:
            scrollTo(shown_);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit place, not the message's 16 bits.
            SCROLLINFO bar{};
            bar.cbSize = sizeof bar;
            bar.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(list_, SB_VERT, &bar)) scrollTo(bar.nTrackPos);
            break;
        }
        default:
            break;
    }
}

void Win32ReadingList::wheel(int delta) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    wheelRemainder_ += delta;
    const int notches = wheelRemainder_ / WHEEL_DELTA;
    wheelRemainder_ %= WHEEL_DELTA;
    if (notches == 0) return;
    const int step = lines == WHEEL_PAGESCROLL ? fullRows() : static_cast<int>(lines);
    scrollTo(top_ - notches * step);
}

void Win32ReadingList::beginEdit() {
    if (current_ < 0 || editor_ != nullptr) return;
    editedRow_ = current_;
    editor_ = CreateWindowExW(
        0, L"EDIT", rowText(static_cast<std::size_t>(editedRow_), true),
        WS_CHILD | WS_BORDER | ES_AUTOHSCROLL | ES_LEFT, 0, 0, 0, 0, list_, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list_, GWLP_HINSTANCE)), nullptr);
    if (editor_ == nullptr) {
        editedRow_ = -1;
        return;
    }
    SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(editor_, EM_LIMITTEXT, kTagEditLimit, 0);
    SetWindowSubclass(editor_, editProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this));
    placeEditor();
    ShowWindow(editor_, SW_SHOW);
    session_.tagEditOpened();
    SetFocus(editor_);
    SendMessageW(editor_, EM_SETSEL, 0, -1);
}

void Win32ReadingList::placeEditor() {
    if (editor_ == nullptr) return;
    // Over the row's free width, whatever the tag column's own width; a frame
    // pixel above and below the row.
    const EditorSpan span =
        tagEditorSpan(readingWidth(), clientWidth(), MulDiv(kTagEditorMinWidth, dpi_, 96));
    const RECT row = rowRect(editedRow_);
    SetWindowPos(editor_, nullptr, span.left, row.top - 1, span.width, rowHeight_ + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ReadingList::finishEdit(bool keep) {
    if (editor_ == nullptr) return;
    HWND edit = std::exchange(editor_, nullptr);
    const int row = std::exchange(editedRow_, -1);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    if (GetFocus() == edit) SetFocus(list_);
    DestroyWindow(edit);
    if (keep && row < shown_)
        session_.editTag(static_cast<std::size_t>(row), asU16(text.data(), text.size()));
    session_.tagEditClosed();
    invalidateRow(row);
}

void Win32ReadingList::pasteFiltered(HWND edit) const {
    if (!OpenClipboard(edit)) return;
    KeptTag kept;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            kept = keptTagText(asU16(text, wcslen(text)), 0);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    // The edit's limit cuts what does not fit beside the text it holds.
    const std::wstring pasted(kept.text.begin(), kept.text.end());
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
}

LRESULT CALLBACK Win32ReadingList::editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self) {
    auto* list = reinterpret_cast<Win32ReadingList*>(self);
    switch (message) {
        case WM_GETDLGCODE:
            // Enter and Escape end the edit, not the dialog.
            return DLGC_WANTALLKEYS | DefSubclassProc(edit, message, wParam, lParam);
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                list->finishEdit(wParam == VK_RETURN);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r' || wParam == L'\n' || wParam == VK_ESCAPE) return 0;
            // Characters the log cannot hold are dropped as they are typed;
            // control keys (backspace, Ctrl+A, ...) go on.
            if (wParam >= 0x20 && !keptInTag(static_cast<char16_t>(wParam))) return 0;
            break;
        case WM_PASTE:
            list->pasteFiltered(edit);
            return 0;
        case WM_KILLFOCUS: {
            // Leaving the editor keeps what it holds.
            const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
            list->finishEdit(true);
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, editProc, kEditSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void Win32ReadingList::copySelectedRow() const {
    const ReadingList& rows = session_.readingList();
    if (current_ < 0 || static_cast<std::size_t>(current_) >= rows.rowCount()) return;
    const std::u16string line =
        windows1252ToUtf16(formatLogLine(rows.row(static_cast<std::size_t>(current_))));
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (line.size() + 1) * sizeof(wchar_t));
    if (block == nullptr) return;
    if (auto* out = static_cast<wchar_t*>(GlobalLock(block))) {
        for (std::size_t i = 0; i < line.size(); ++i) out[i] = static_cast<wchar_t>(line[i]);
        out[line.size()] = L'\0';
        GlobalUnlock(block);
    }
    if (!OpenClipboard(list_)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
    CloseClipboard();
}

void Win32ReadingList::createTip() {
    tip_ = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list_, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list_, GWLP_HINSTANCE)), nullptr);
    if (tip_ == nullptr) return;
    TTTOOLINFOW tool = tipTool(list_, {});
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(kTipWidth, dpi_, 96));
}

void Win32ReadingList::tipRowAt(int y) {
    // The tool is the row under the pointer: a move onto another row ends the
    // tip shown and lets the next rest show that row's tag.
    const int row = rowAt(y);
    if (tip_ == nullptr || row == tipRow_) return;
    tipRow_ = row;
    TTTOOLINFOW tool = tipTool(list_, row >= 0 ? rowRect(row) : RECT{});
    SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

const wchar_t* Win32ReadingList::rowText(std::size_t row, bool tag) {
    const ReadingList& rows = session_.readingList();
    if (row >= rows.rowCount()) return L"";
    const ReadingRow& r = rows.row(row);
    const std::u16string wide = windows1252ToUtf16(tag ? r.tag : r.text);
    text_.assign(wide.begin(), wide.end());
    return text_.c_str();
}
