#include "app/steady_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

SteadyScrollBar::Look SteadyScrollBar::look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change) {
    const Look now = look();
    if (painted_ && now == shown_) return;
    painted_ = true;
    shown_ = now;
    QScrollBar::sliderChange(change);
}
