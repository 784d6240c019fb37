#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QStaticText>
#include <QString>
#include <string>
#include <unordered_map>

#include "history/reading_list.h"

class QLineEdit;

// The reading list: one row per logged reading, the reading text then the tag,
// one row selected at a time and the selection shown even without the focus.
// It draws the rows of the session's list itself, so that a row appended at
// the end while the list follows the newest costs a scroll of the pixels
// already shown and the painting of that one row, not of the whole view.
// F2 or a double-click edits the selected row's tag; Ctrl+C copies its log
// line; a tagged row shows its whole tag as a tooltip. Typed letters search
// nothing: a jump to a matching row would move the chart with it.
class ReadingListView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit ReadingListView(const ReadingList& rows, QWidget* parent = nullptr);

    // The list grew by rows at its end.
    void rowsAppended();
    // The list changed as a whole (emptied).
    void reload();
    // The tag column's width as the layout asks for it; it never reaches past
    // the visible width, and a negative width shows no tag column.
    void setTagColumnWidth(int width);
    // Makes the row visible, scrolling only when it is not.
    void scrollToRow(int row);
    // Makes the row visible and selects it, reported as a user's selection.
    void selectRow(int row);

    int rowCount() const { return shown_; }
    int currentRow() const { return current_; }
    int rowHeight() const { return rowHeight_; }
    int tagColumnWidth() const;
    // Where the row is in the view's viewport.
    QRect rowRect(int row) const;
    // The row as its log line: the reading text, then "," and the tag.
    QString logLine(int row) const;

    // Starts editing the selected row's tag, as F2 does.
    void editTag();
    bool editing() const { return editor_ != nullptr; }
    // Closes an open tag editor without keeping its text.
    void cancelEdit() { finishEdit(false); }
    QLineEdit* editor() const { return editor_; }

  Q_SIGNALS:
    void currentRowChanged(int row);
    // A row's tag editor opened; it closes with tagEditClosed, after
    // tagEdited when the edit was finished (Enter, or the focus leaving the
    // editor) rather than dropped (Escape, the list emptied).
    void tagEditOpened();
    void tagEdited(int row, const QString& text);
    void tagEditClosed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    int firstRow() const;
    int visibleRows() const;
    int rowAt(int y) const;
    void setCurrent(int row);
    void updateRow(int row);
    void updateScrollBars();
    void placeEditor();
    void finishEdit(bool keep);

    // The texts of one column as painted: converted, cut to the width and
    // laid out once, not on every paint of a row (a row is painted as it
    // comes in, as it is selected and as it is left). All are forgotten when
    // the width changes or too many are kept.
    class FittedTexts {
      public:
        const QStaticText& fitted(const QFont& font, const std::string& text, int width);

      private:
        static constexpr std::size_t kMaxTexts = 512;
        int width_ = -1;
        std::unordered_map<std::string, QStaticText> texts_;
    };

    const ReadingList& rows_;
    QFont font_;
    FittedTexts readingTexts_;
    FittedTexts tagTexts_;
    int rowHeight_ = 14;
    qreal textTop_ = 0;  // a text's top below its row's
    int shown_ = 0;
    int current_ = -1;
    int tagWidth_ = 0;  // as the layout asked for it
    QLineEdit* editor_ = nullptr;
    int editedRow_ = -1;
};
