#include "qt_window/scroll_bar_adapter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QWidget>
#include <utility>
#include <vector>

#include "qt_window/steady_scroll_bar.h"

namespace {

struct Request {
    ScrollRequest request;
    int thumb;
    friend bool operator==(const Request&, const Request&) = default;
};

class ScrollBarAdapterTest : public ::testing::Test {
  protected:
    QScrollBar bar{Qt::Horizontal};
    std::vector<Request> requests;
    ScrollBarAdapter adapter{bar, [this](ScrollRequest r, int thumb) {
                                 requests.push_back({r, thumb});
                             }};
};

TEST_F(ScrollBarAdapterTest, ThumbTravelsToMaximumMinusPagePlusOne) {
    struct Case {
        ScrollBarState state;
        int expectedPosition;
    };
    const std::vector<Case> cases{
        {{0, 4999, 600, 4999}, 4400},  // follows the newest: thumb at the right end
        {{0, 4999, 600, 100}, 100},
        {{0, 99, 600, 99}, 0},  // fewer samples than a page: nothing to scroll
        {{0, 0, 600, 0}, 0},    // empty history
        {{0, 4999, 600, -20}, 0},
    };
    for (const Case& c : cases) {
        adapter.apply(c.state);
        EXPECT_EQ(adapter.position(), c.expectedPosition) << c.state.maximum << " " << c.state.page;
        EXPECT_EQ(bar.pageStep(), c.state.page);
        EXPECT_EQ(bar.maximum(), std::max(0, c.state.maximum - c.state.page + 1));
    }
}

TEST_F(ScrollBarAdapterTest, StateWithoutPositionKeepsTheThumb) {
    adapter.apply({0, 4999, 600, 3000});
    adapter.apply({0, 5000, 600, std::nullopt});
    EXPECT_EQ(adapter.position(), 3000);
}

TEST_F(ScrollBarAdapterTest, SetPositionIsLimitedToTheRange) {
    adapter.apply({0, 4999, 600, 0});
    const std::vector<std::pair<int, int>> cases{{10, 10}, {-1, 0}, {4400, 4400}, {4401, 4400}};
    for (const auto& [requested, expected] : cases) {
        adapter.setPosition(requested);
        EXPECT_EQ(adapter.position(), expected) << requested;
    }
    EXPECT_TRUE(requests.empty());
}

TEST_F(ScrollBarAdapterTest, UserActionsArriveAsNumberedRequests) {
    struct Case {
        QAbstractSlider::SliderAction action;
        Request expected;
    };
    const std::vector<Case> cases{
        {QAbstractSlider::SliderSingleStepSub, {ScrollRequest::LineLeft, 999}},
        {QAbstractSlider::SliderSingleStepAdd, {ScrollRequest::LineRight, 1001}},
        {QAbstractSlider::SliderPageStepSub, {ScrollRequest::PageLeft, 400}},
        {QAbstractSlider::SliderPageStepAdd, {ScrollRequest::PageRight, 1600}},
        {QAbstractSlider::SliderToMinimum, {ScrollRequest::Top, 0}},
        {QAbstractSlider::SliderToMaximum, {ScrollRequest::Bottom, 4400}},
    };
    adapter.apply({0, 4999, 600, 0});
    for (const Case& c : cases) {
        adapter.setPosition(1000);
        requests.clear();
        bar.triggerAction(c.action);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0], c.expected) << static_cast<int>(c.action);
        // Nobody answered with a position: the slider's own step is undone.
        EXPECT_EQ(adapter.position(), 1000) << static_cast<int>(c.action);
    }
}

TEST_F(ScrollBarAdapterTest, HandlerDecidesWhereTheThumbEndsUp) {
    ScrollBarAdapter* self = nullptr;
    QScrollBar other{Qt::Horizontal};
    ScrollBarAdapter answering{other,
                               [&](ScrollRequest, int thumb) { self->setPosition(thumb - 1); }};
    self = &answering;
    answering.apply({0, 4999, 600, 2000});
    other.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(answering.position(), 2599);
}

}  // namespace

// The bar repaints only the slider's old and new places when nothing else of
// it changed: the screen still shows the whole bar as a plain one paints it,
// while the chart follows the newest sample and when it is scrolled back.
TEST(SteadyScrollBarTest, TheBarOnScreenIsAPlainBarPainted) {
    QWidget window;
    auto* bar = new SteadyScrollBar(Qt::Horizontal, &window);
    QScrollBar plain(Qt::Horizontal);
    bar->setGeometry(10, 10, 400, 16);  // away from the pointer, which lights an arrow
    plain.resize(400, 16);
    window.show();
    for (const auto& [maximum, value] : std::vector<std::pair<int, int>>{
             {3, 3}, {9, 9}, {15, 15}, {30, 30}, {40, 40}, {40, 20}, {40, 0}, {40, 1}, {45, 1}}) {
        for (QScrollBar* b : {static_cast<QScrollBar*>(bar), &plain}) {
            b->setRange(0, maximum);
            b->setPageStep(380);
            b->setValue(value);
        }
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        const QPixmap shown = window.screen()->grabWindow(window.winId(), 10, 10, 400, 16);
        EXPECT_EQ(shown.toImage(), plain.grab().toImage().convertToFormat(QImage::Format_RGB32))
            << maximum << " " << value;
    }
}
