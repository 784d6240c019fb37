#include "win32_window/win32_reading_list.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string_view>

#include "history/log_format.h"
#include "history/tag_edit.h"
#include "history/windows1252.h"
#include "session/meter_session.h"
#include "window_layout/window_layout.h"

namespace {

constexpr int kTagColumn = 0;      // the label: sub-item 0
constexpr int kReadingColumn = 1;  // shown first
constexpr UINT_PTR kEditSubclass = 1;

std::u16string_view asU16(const wchar_t* text, std::size_t length) {
    return {reinterpret_cast<const char16_t*>(text), length};
}

}  // namespace

Win32ReadingList::Win32ReadingList(HWND list, MeterSession& session)
    : list_(list), session_(session) {
    ListView_SetExtendedListViewStyle(
        list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(L"Item");
    column.cx = 0;
    column.iSubItem = kTagColumn;
    ListView_InsertColumn(list_, 0, &column);
    column.pszText = const_cast<wchar_t*>(L"Tag");
    column.cx = kReadingColumnWidth;
    column.iSubItem = kReadingColumn;
    ListView_InsertColumn(list_, 1, &column);
    int order[] = {kReadingColumn, kTagColumn};
    ListView_SetColumnOrderArray(list_, 2, order);
}

Win32ReadingList::~Win32ReadingList() {
    if (font_ != nullptr) DeleteObject(font_);
}

void Win32ReadingList::applyDpi(int dpi) {
    dpi_ = dpi;
    HFONT font =
        CreateFontW(MulDiv(10, dpi, 96), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Lucida Console");
    if (font != nullptr) {
        SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (font_ != nullptr) DeleteObject(font_);
        font_ = font;
    }
    ListView_SetColumnWidth(list_, kReadingColumn, MulDiv(kReadingColumnWidth, dpi, 96));
    shownTagWidth_ = -1;
    fitTagColumn();
}

void Win32ReadingList::setTagColumnWidth(int width) {
    requestedTagWidth_ = width;
    fitTagColumn();
}

void Win32ReadingList::fitTagColumn() {
    // The column never reaches past the visible width, so that the list never
    // scrolls sideways for a few pixels; the control reads -1 and -2 as "fit
    // the contents", so a window too small for the column shows it with none.
    RECT client{};
    GetClientRect(list_, &client);
    const int width = shownTagColumnWidth(requestedTagWidth_, client.right,
                                          MulDiv(kReadingColumnWidth, dpi_, 96));
    if (width == shownTagWidth_) return;
    shownTagWidth_ = width;
    ListView_SetColumnWidth(list_, kTagColumn, width);
}

void Win32ReadingList::setRowCount(std::size_t rows) {
    const auto shown = static_cast<std::size_t>(ListView_GetItemCount(list_));
    // Rows added at the end repaint nothing that was already on screen.
    const DWORD flags = rows >= shown ? LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL : 0;
    ListView_SetItemCountEx(list_, static_cast<int>(rows), flags);
    // The vertical scroll bar may have come or gone.
    fitTagColumn();
}

void Win32ReadingList::ensureVisible(std::size_t row) {
    ListView_EnsureVisible(list_, static_cast<int>(row), TRUE);
}

void Win32ReadingList::select(std::size_t row) {
    const int i = static_cast<int>(row);
    ListView_EnsureVisible(list_, i, TRUE);
    ListView_SetItemState(list_, i, LVIS_SELECTED | LVIS_FOCUSED, 0xF);
}

bool Win32ReadingList::editing() const {
    return ListView_GetEditControl(list_) != nullptr;
}

void Win32ReadingList::cancelEdit() {
    ListView_CancelEditLabel(list_);
}

int Win32ReadingList::selectedRow() const {
    int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0) row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    return row;
}

const wchar_t* Win32ReadingList::rowText(std::size_t row, int column) {
    const ReadingList& rows = session_.readingList();
    if (row >= rows.rowCount()) return L"";
    const ReadingRow& r = rows.row(row);
    const std::u16string wide = windows1252ToUtf16(column == kTagColumn ? r.tag : r.text);
    text_.assign(wide.begin(), wide.end());
    return text_.c_str();
}

bool Win32ReadingList::notify(const NMHDR& header, LRESULT& result) {
    result = 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
            if ((info.item.mask & LVIF_TEXT) != 0 && info.item.cchTextMax > 0) {
                const wchar_t* text =
                    rowText(static_cast<std::size_t>(info.item.iItem), info.item.iSubItem);
                wcsncpy(info.item.pszText, text, static_cast<std::size_t>(info.item.cchTextMax));
                info.item.pszText[info.item.cchTextMax - 1] = L'\0';
            }
            return true;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            constexpr UINT kSelectedFocused = LVIS_SELECTED | LVIS_FOCUSED;
            if ((change.uChanged & LVIF_STATE) != 0 && change.iItem >= 0 &&
                (change.uNewState & kSelectedFocused) == kSelectedFocused &&
                (change.uOldState & kSelectedFocused) != kSelectedFocused)
                session_.listRowSelected(change.iItem);
            return true;
        }
        case LVN_BEGINLABELEDITW: {
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            editedRow_ = info.item.iItem;
            beginEdit();
            session_.tagEditOpened();
            result = FALSE;  // let the edit go on
            return true;
        }
        case LVN_ENDLABELEDITW: {
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            const int row = info.item.iItem;
            editedRow_ = -1;
            if (row >= 0 && info.item.pszText != nullptr) {
                session_.editTag(static_cast<std::size_t>(row),
                                 asU16(info.item.pszText, wcslen(info.item.pszText)));
                ListView_RedrawItems(list_, row, row);
            }
            session_.tagEditClosed();
            // The rows live in the session; the control keeps no text of its own.
            result = FALSE;
            return true;
        }
        case LVN_ODFINDITEMW:
            // No search by typed letters: the jump would move the chart with it.
            result = -1;
            return true;
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            if (key.wVKey == VK_F2) {
                const int row = selectedRow();
                if (row >= 0) ListView_EditLabel(list_, row);
            } else if (key.wVKey == 'C' && GetKeyState(VK_CONTROL) < 0) {
                copySelectedRow();
            }
            return true;
        }
        case NM_DBLCLK: {
            const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
            if (activate.iItem >= 0) ListView_EditLabel(list_, activate.iItem);
            return true;
        }
        case LVN_GETINFOTIPW: {
            auto& tip =
                const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
            const ReadingList& rows = session_.readingList();
            if (tip.iItem < 0 || static_cast<std::size_t>(tip.iItem) >= rows.rowCount() ||
                tip.cchTextMax <= 0)
                return true;
            if (rows.row(static_cast<std::size_t>(tip.iItem)).tag.empty()) return true;
            const wchar_t* tag = rowText(static_cast<std::size_t>(tip.iItem), kTagColumn);
            wcsncpy(tip.pszText, tag, static_cast<std::size_t>(tip.cchTextMax));
            tip.pszText[tip.cchTextMax - 1] = L'\0';
            return true;
        }
        default:
            return false;
    }
}

void Win32ReadingList::beginEdit() {
    HWND edit = ListView_GetEditControl(list_);
    if (edit == nullptr) return;
    SendMessageW(edit, EM_LIMITTEXT, kTagEditLimit, 0);
    SetWindowSubclass(edit, editProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this));
    // Takes the editor to its span now; the list moves it again as the text changes.
    SetWindowPos(edit, nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void Win32ReadingList::placeEditor(WINDOWPOS& pos) const {
    if (editedRow_ < 0) return;
    RECT reading{};
    reading.top = kReadingColumn;
    reading.left = LVIR_BOUNDS;
    if (!SendMessageW(list_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(editedRow_),
                      reinterpret_cast<LPARAM>(&reading)))
        return;
    RECT client{};
    GetClientRect(list_, &client);
    const EditorSpan span =
        tagEditorSpan(reading.right, client.right, MulDiv(kTagEditorMinWidth, dpi_, 96));
    RECT now{};
    GetWindowRect(pos.hwnd, &now);
    MapWindowPoints(nullptr, list_, reinterpret_cast<POINT*>(&now), 2);
    if ((pos.flags & SWP_NOMOVE) != 0) pos.y = now.top;
    if ((pos.flags & SWP_NOSIZE) != 0) pos.cy = now.bottom - now.top;
    pos.x = span.left;
    pos.cx = span.width;
    pos.flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
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
        case WM_CHAR:
            // Characters the log cannot hold are dropped as they are typed;
            // control keys (backspace, Ctrl+A, ...) go on.
            if (wParam >= 0x20 && !keptInTag(static_cast<char16_t>(wParam))) return 0;
            break;
        case WM_PASTE:
            list->pasteFiltered(edit);
            return 0;
        case WM_WINDOWPOSCHANGING:
            list->placeEditor(*reinterpret_cast<WINDOWPOS*>(lParam));
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, editProc, kEditSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void Win32ReadingList::copySelectedRow() const {
    const int row = selectedRow();
    const ReadingList& rows = session_.readingList();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.rowCount()) return;
    const std::u16string line =
        windows1252ToUtf16(formatLogLine(rows.row(static_cast<std::size_t>(row))));
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
