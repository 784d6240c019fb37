#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "win32_window/win32_scroll_bar.h"

class MeterSession;

// The reading list: one row per logged reading, the reading text then the tag,
// one row selected at a time and the selection shown even without the focus.
// It draws the rows of the session's ReadingList itself, so that a row
// appended while the list follows the newest costs the painting of the rows
// in view and one scroll bar update, and tens of thousands of rows cost
// nothing. F2 or a double-click edits the selected row's tag; Ctrl+C copies
// its log line; a tagged row shows its whole tag as a tooltip. Typed letters
// search nothing: a jump to a matching row would move the chart with it.
class Win32ReadingList {
  public:
    // The window class of the dialog template's list, registered before the
    // dialog is made.
    static constexpr const wchar_t* kClassName = L"ZintavoReadingList";
    static bool registerClass(HINSTANCE instance);

    Win32ReadingList(HWND list, MeterSession& session);
    ~Win32ReadingList();
    Win32ReadingList(const Win32ReadingList&) = delete;
    Win32ReadingList& operator=(const Win32ReadingList&) = delete;

    // The list font and the fixed column at this dpi.
    void applyDpi(int dpi);
    void setTagColumnWidth(int width);
    void setRowCount(std::size_t rows);
    // Makes the row visible, scrolling only when no part of it is in view.
    void ensureVisible(std::size_t row);
    // Makes the row visible and selects it, reported as a user's selection.
    void select(std::size_t row);

    bool editing() const { return editor_ != nullptr; }
    // Closes an open tag editor without keeping its text.
    void cancelEdit() { finishEdit(false); }
    HWND handle() const { return list_; }

  private:
    static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void resized();
    void keyDown(WPARAM key);
    void scrollRequest(int request);
    void wheel(int delta);
    void click(int y, bool twice);

    int clientHeight() const;
    int clientWidth() const;
    int fullRows() const;     // rows wholly in view
    int visibleRows() const;  // rows at least partly in view
    int rowAt(int y) const;
    RECT rowRect(int row) const;
    int readingWidth() const;
    int tagWidth() const;
    void invalidateRow(int row);
    void scrollTo(int top);
    void showScrollBar();
    void setCurrent(int row);

    void beginEdit();
    void finishEdit(bool keep);
    void placeEditor();
    void pasteFiltered(HWND edit) const;
    void copySelectedRow() const;
    void createTip();
    void tipRowAt(int y);
    const wchar_t* rowText(std::size_t row, bool tag);

    HWND list_;
    MeterSession& session_;
    HFONT font_ = nullptr;
    int dpi_ = 96;
    int rowHeight_ = 11;
    int textHeight_ = 10;
    int shown_ = 0;              // rows the list shows
    int top_ = 0;                // the first row in view
    int current_ = -1;           // the selected row
    int requestedTagWidth_ = 0;  // as the layout asked for it
    int wheelRemainder_ = 0;
    bool focused_ = false;
    Win32ScrollBar scrollBar_;
    SCROLLINFO shownBar_{};  // what the scroll bar was last given
    HWND editor_ = nullptr;
    int editedRow_ = -1;
    HWND tip_ = nullptr;
    int tipRow_ = -1;
    std::wstring text_;  // the text last handed out, reused
};
