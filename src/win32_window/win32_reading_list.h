#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class MeterSession;

// The reading list on a list view in owner-data mode: the rows stay in the
// session's ReadingList and the control asks for the texts it shows, so tens
// of thousands of rows cost nothing. Two columns: the reading text shown
// first, then the tag (the label, the only text the user edits). F2 or a
// double-click edits a tag; Ctrl+C copies the selected row's log line.
class Win32ReadingList {
  public:
    Win32ReadingList(HWND list, MeterSession& session);
    ~Win32ReadingList();
    Win32ReadingList(const Win32ReadingList&) = delete;
    Win32ReadingList& operator=(const Win32ReadingList&) = delete;

    // The list font and the fixed column at this dpi.
    void applyDpi(int dpi);
    void setTagColumnWidth(int width);
    void setRowCount(std::size_t rows);
    void ensureVisible(std::size_t row);
    // Selects and focuses the row; the list reports it through LVN_ITEMCHANGED.
    void select(std::size_t row);

    // A WM_NOTIFY from the list; true with `result` set when handled.
    bool notify(const NMHDR& header, LRESULT& result);

    bool editing() const;
    void cancelEdit();
    HWND handle() const { return list_; }

  private:
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    void fitTagColumn();
    void beginEdit();
    void placeEditor(WINDOWPOS& pos) const;
    void pasteFiltered(HWND edit) const;
    void copySelectedRow() const;
    int selectedRow() const;
    const wchar_t* rowText(std::size_t row, int column);

    HWND list_;
    MeterSession& session_;
    HFONT font_ = nullptr;
    int dpi_ = 96;
    int editedRow_ = -1;
    int requestedTagWidth_ = 0;  // as the layout asked for it
    int shownTagWidth_ = -1;
    std::wstring text_;  // the text last handed to the control, reused
};
