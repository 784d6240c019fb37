#pragma once

#include <QStyledItemDelegate>
#include <QTreeView>

// The tag editor: a line edit held to what the log can store, over the whole
// free width of its row (the tag column itself may be only a few pixels wide).
class TagEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
};

// The reading list: whole rows selected one at a time, the selection shown
// even without focus, no header, a fixed-pitch font and uniform rows so that
// tens of thousands of rows stay quick. F2 or a double-click anywhere on a row
// edits its tag; Ctrl+C copies the selected row's log line.
class ReadingListView : public QTreeView {
    Q_OBJECT
  public:
    explicit ReadingListView(QWidget* parent = nullptr);

    // Sets the tag column's width; a negative width shows it with none. The
    // column never reaches past the visible width, so it scrolls nothing sideways.
    void setTagColumnWidth(int width);
    // Makes the row visible (scrolling only when it is not) and selects it.
    void selectRow(int row);
    bool editing() const { return state() == EditingState; }

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitColumns();

    int tagColumnWidth_ = 0;  // as the layout asked for it
};
