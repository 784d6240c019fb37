#include "app/reading_list_view.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "app/reading_list_model.h"
#include "app/tag_validator.h"
#include "session/window_layout.h"

QWidget* TagEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setMaxLength(TagValidator::kMaxLength);
        line->setValidator(new TagValidator(line));
    }
    return editor;
}

void TagEditDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                           const QModelIndex&) const {
    const EditorSpan span = tagEditorSpan(editor->parentWidget()->width());
    editor->setGeometry(span.left, option.rect.y(), span.width, option.rect.height());
}

namespace {

QFont listFont() {
    QFont font(QStringLiteral("Lucida Console"));
    font.setPixelSize(10);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(10);
    }
    return font;
}

}  // namespace

ReadingListView::ReadingListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(EditKeyPressed | DoubleClicked);
    setTextElideMode(Qt::ElideRight);
    setFont(listFont());
    setItemDelegate(new TagEditDelegate(this));
    header()->setStretchLastSection(false);
    header()->setMinimumSectionSize(0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The selection stays visible while another control has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void ReadingListView::setTagColumnWidth(int width) {
    tagColumnWidth_ = width;
    fitColumns();
}

void ReadingListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // The viewport narrows when the vertical scroll bar comes up.
    fitColumns();
}

void ReadingListView::fitColumns() {
    // The layout's width counts the list's frame and scroll bar differently
    // from this style; a tag column a few pixels too wide would bring up a
    // sideways scroll bar for those pixels alone and hide a row.
    const int room = viewport()->width() - kReadingColumnWidth;
    header()->resizeSection(ReadingListModel::TextColumn, kReadingColumnWidth);
    header()->resizeSection(ReadingListModel::TagColumn,
                            std::max(0, std::min(tagColumnWidth_, room)));
}

void ReadingListView::selectRow(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) return;
    const QModelIndex index = model()->index(row, ReadingListModel::TextColumn);
    scrollTo(index, EnsureVisible);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ReadingListView::keyPressEvent(QKeyEvent* event) {
    auto* rows = qobject_cast<ReadingListModel*>(model());
    if (event->matches(QKeySequence::Copy) && rows && currentIndex().isValid()) {
        QGuiApplication::clipboard()->setText(rows->logLine(currentIndex().row()));
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool ReadingListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the tag can be edited, whichever cell the trigger hit.
    if (index.isValid() && index.column() != ReadingListModel::TagColumn)
        return QTreeView::edit(index.sibling(index.row(), ReadingListModel::TagColumn), trigger,
                               event);
    return QTreeView::edit(index, trigger, event);
}
