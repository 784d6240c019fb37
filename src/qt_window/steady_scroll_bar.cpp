#include "qt_window/steady_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

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
    painted_ = true;
    shown_ = now;
    update();
}
