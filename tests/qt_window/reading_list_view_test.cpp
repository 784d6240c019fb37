#include "qt_window/reading_list_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <vector>

#include "window_layout/window_layout.h"

namespace {

const std::string kLine = " 3/07/2021  2:05:09PM    3.45 VDC";

// Lets the view finish its layout and painting.
void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Adds up the area the viewport paints.
struct PaintedArea : QObject {
    long long pixels = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                pixels += static_cast<long long>(r.width()) * r.height();
        }
        return false;
    }
};

// The layout's tag width is kept unless the visible width has less room right
// of the reading text; only a list too narrow for the reading text itself
// scrolls sideways, so that it can still be read.
TEST(ReadingListViewTest, TagColumnFillsAtMostTheRoomRightOfTheText) {
    struct Case {
        int listWidth;
        int rows;  // enough rows bring up the vertical scroll bar
        int tagWidth;
        bool scrollsSideways;
    };
    const std::vector<Case> cases{
        {292, 500, 38, false},    // the window's first size, with a long list
        {292, 0, 38, false},      // empty list: no vertical scroll bar
        {634, 500, 380, false},   // a wide window
        {600, 500, 40, false},    // more room than asked for: the layout's width holds
        {292, 500, -200, false},  // a narrow window's negative width: no tag column
        {200, 500, -300, true},   // narrower than the reading text
    };
    for (const Case& c : cases) {
        ReadingList rows;
        for (int i = 0; i < c.rows; ++i) rows.appendRow({}, kLine);
        ReadingListView view(rows);
        view.resize(c.listWidth, 206);
        view.show();
        view.setTagColumnWidth(c.tagWidth);
        settle();

        const int room = view.viewport()->width() - kReadingColumnWidth;
        const int expected = std::max(0, std::min(c.tagWidth, room));
        EXPECT_EQ(view.tagColumnWidth(), expected)
            << c.listWidth << " " << c.rows << " " << c.tagWidth;
        EXPECT_EQ(view.horizontalScrollBar()->maximum() > 0, c.scrollsSideways)
            << c.listWidth << " " << c.rows << " " << c.tagWidth;
        EXPECT_EQ(view.verticalScrollBar()->maximum() > 0, c.rows > 0) << c.listWidth;
    }
}

// A row appended while the list follows the newest scrolls the pixels already
// shown and paints the new row and the selection's two rows, not the view.
TEST(ReadingListViewTest, FollowingTheNewestRowPaintsOnlyWhatChanged) {
    ReadingList rows;
    for (int i = 0; i < 500; ++i) rows.appendRow({}, kLine);
    ReadingListView view(rows);
    view.resize(292, 206);
    view.show();
    view.selectRow(499);
    settle();
    PaintedArea painted;
    view.viewport()->installEventFilter(&painted);
    std::vector<int> selected;
    QObject::connect(&view, &ReadingListView::currentRowChanged,
                     [&selected](int row) { selected.push_back(row); });
    for (int i = 0; i < 10; ++i) {
        rows.appendRow({}, kLine);
        view.rowsAppended();
        view.selectRow(static_cast<int>(rows.rowCount()) - 1);
        settle();
    }
    EXPECT_EQ(selected.size(), 10u);
    EXPECT_EQ(view.currentRow(), 509);
    EXPECT_TRUE(view.viewport()->rect().contains(view.rowRect(509)));
    const long long rowArea = static_cast<long long>(view.viewport()->width()) * view.rowHeight();
    EXPECT_LE(painted.pixels, 10 * 3 * rowArea);
    // Selecting the selected row again is no news.
    view.selectRow(509);
    EXPECT_EQ(selected.size(), 10u);
}

// A tag wider than its column is cut with "…": tags that differ past the cut paint alike.
TEST(ReadingListViewTest, ATagWiderThanItsColumnIsCut) {
    ReadingList rows;
    rows.appendRow(std::string(40, '7'), kLine);
    rows.appendRow(std::string(43, '7'), kLine);
    ReadingListView view(rows);
    view.resize(634, 206);
    view.show();
    view.setTagColumnWidth(60);
    settle();
    const QImage shown = view.viewport()->grab().toImage();
    const QRect tag = view.rowRect(0).adjusted(kReadingColumnWidth, 0, 0, 0);
    EXPECT_EQ(shown.copy(tag), shown.copy(tag.translated(0, view.rowHeight())));
}

// Keys move the selection; F2 edits the selected row's tag over the row's free
// width; Enter ends the edit, Escape drops it.
TEST(ReadingListViewTest, KeysSelectAndEditTags) {
    ReadingList rows;
    for (int i = 0; i < 40; ++i) rows.appendRow(i == 3 ? "old" : "", kLine);
    ReadingListView view(rows);
    view.resize(292, 206);
    view.show();
    view.setFocus();
    std::vector<std::pair<int, QString>> edits;
    QObject::connect(&view, &ReadingListView::tagEdited,
                     [&edits](int row, const QString& text) { edits.emplace_back(row, text); });
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.currentRow(), 0);
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.currentRow(), 39);
    EXPECT_TRUE(view.viewport()->rect().contains(view.rowRect(39)));
    QTest::keyClick(&view, Qt::Key_Home);
    for (int i = 0; i < 3; ++i) QTest::keyClick(&view, Qt::Key_Down);
    ASSERT_EQ(view.currentRow(), 3);

    QTest::keyClick(&view, Qt::Key_F2);
    ASSERT_TRUE(view.editing());
    QLineEdit* editor = view.editor();
    EXPECT_EQ(editor->text(), QStringLiteral("old"));
    EXPECT_EQ(editor->maxLength(), 200);
    EXPECT_EQ(
        editor->geometry().x(),
        tagEditorSpan(kReadingColumnWidth, view.viewport()->width(), kTagEditorMinWidth).left);
    EXPECT_GE(editor->width(), 200);
    editor->insert(QString::fromUtf8("x\xCE\xA9"));
    EXPECT_EQ(editor->text(), QStringLiteral("x"));  // the tag rule filters what is typed
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(view.editing());
    EXPECT_TRUE(edits.empty());

    QTest::keyClick(&view, Qt::Key_F2);
    view.editor()->setText(QStringLiteral("new"));
    QTest::keyClick(view.editor(), Qt::Key_Return);
    EXPECT_FALSE(view.editing());
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0], std::make_pair(3, QStringLiteral("new")));
}

}  // namespace
