#include "qt_window/steady_scroll_bar.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>

namespace {

// Qt's raster engine draws a long one-pixel line that no rectangle clips in
// slices on its thread pool: a scroll bar's edges and groove lines, drawn so,
// cost a millisecond a paint, forty times the drawing itself. Under a
// rectangle clip it draws them at once. The bar looks exactly as under the
// application's own style.
class RectClippedStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        if (control != CC_ScrollBar) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        painter->save();
        painter->setClipRect(option->rect, Qt::IntersectClip);
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        painter->restore();
    }
};

}  // namespace

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    // The style is the bar's child: it outlives the widget's own teardown.
    auto* style = new RectClippedStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(this);
    setStyle(style);
}

SteadyScrollBar::Look SteadyScrollBar::look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange) {
    if (checkPending_) return;
    checkPending_ = true;
    QMetaObject::invokeMethod(this, &SteadyScrollBar::repaintIfChanged, Qt::QueuedConnection);
}

void SteadyScrollBar::repaintIfChanged() {
    checkPending_ = false;
    const Look now = look();
    if (painted_ && now == shown_) return;
    // When only the slider moved, the groove and the arrows look as they did:
    // what differs lies within the slider's old and new places. The area is
    // kept one rectangle, which the style draws at once.
    const bool sliderMoved =
        painted_ && now.atMinimum == shown_.atMinimum && now.atMaximum == shown_.atMaximum;
    const QRect before = shown_.slider;
    painted_ = true;
    shown_ = now;
    if (!sliderMoved) {
        update();
        return;
    }
    // The style's smoothed edges and shadow reach a little past the slider.
    constexpr int kBleed = 2;
    update(before.united(now.slider).adjusted(-kBleed, -kBleed, kBleed, kBleed));
}
