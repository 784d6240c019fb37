#include "app/reading_list_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <algorithm>
#include <vector>

#include "app/reading_list_model.h"
#include "session/window_layout.h"

namespace {

// Lets the view finish its delayed item layout and scroll bar updates.
void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

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
        QStandardItemModel model(c.rows, ReadingListModel::ColumnCount);
        ReadingListView view;
        view.setModel(&model);
        view.resize(c.listWidth, 206);
        view.show();
        view.setTagColumnWidth(c.tagWidth);
        settle();

        const int room = view.viewport()->width() - kReadingColumnWidth;
        const int expected = std::max(0, std::min(c.tagWidth, room));
        EXPECT_EQ(view.header()->sectionSize(ReadingListModel::TextColumn), kReadingColumnWidth)
            << c.listWidth;
        EXPECT_EQ(view.header()->sectionSize(ReadingListModel::TagColumn), expected)
            << c.listWidth << " " << c.rows << " " << c.tagWidth;
        EXPECT_EQ(view.horizontalScrollBar()->isVisible(), c.scrollsSideways)
            << c.listWidth << " " << c.rows << " " << c.tagWidth;
        if (c.rows > 0 && c.listWidth > kReadingColumnWidth) {
            EXPECT_TRUE(view.verticalScrollBar()->isVisible()) << c.listWidth;
        }
    }
}

// Rows that arrive after the layout bring up the vertical scroll bar; the tag
// column gives way to it instead of scrolling the list sideways.
TEST(ReadingListViewTest, TagColumnGivesWayToALaterVerticalScrollBar) {
    QStandardItemModel model(0, ReadingListModel::ColumnCount);
    ReadingListView view;
    view.setModel(&model);
    view.resize(292, 206);
    view.show();
    view.setTagColumnWidth(view.viewport()->width() - kReadingColumnWidth);
    settle();
    const int before = view.header()->sectionSize(ReadingListModel::TagColumn);

    for (int i = 0; i < 200; ++i)
        model.appendRow({new QStandardItem(QStringLiteral("reading")), new QStandardItem()});
    settle();

    ASSERT_TRUE(view.verticalScrollBar()->isVisible());
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
    EXPECT_LT(view.header()->sectionSize(ReadingListModel::TagColumn), before);
    EXPECT_EQ(view.header()->sectionSize(ReadingListModel::TagColumn),
              view.viewport()->width() - kReadingColumnWidth);
}

}  // namespace
