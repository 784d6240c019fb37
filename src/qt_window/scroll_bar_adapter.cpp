#include "qt_window/scroll_bar_adapter.h"

#include <QScrollBar>
#include <algorithm>

ScrollBarAdapter::ScrollBarAdapter(QScrollBar& bar, RequestHandler onRequest)
    : QObject(&bar), bar_(bar), onRequest_(std::move(onRequest)) {
    bar_.setSingleStep(1);
    connect(&bar_, &QAbstractSlider::actionTriggered, this, &ScrollBarAdapter::onAction);
    connect(&bar_, &QAbstractSlider::sliderReleased, this,
            [this] { onRequest_(ScrollRequest::ThumbPosition, bar_.sliderPosition() & 0xFFFF); });
    apply(state_);
}

void ScrollBarAdapter::apply(const ScrollBarState& state) {
    state_ = state;
    const QSignalBlocker block(bar_);
    // QScrollBar's maximum is the last thumb position, not the last item.
    bar_.setRange(state.minimum, std::max(state.minimum, state.maxThumb()));
    bar_.setPageStep(std::max(1, state.page));
    if (state.position) bar_.setValue(state.clampThumb(*state.position));
}

void ScrollBarAdapter::setPosition(int position) {
    const QSignalBlocker block(bar_);
    // Inside an action the slider commits its own position afterwards; set both.
    bar_.setSliderPosition(state_.clampThumb(position));
    bar_.setValue(state_.clampThumb(position));
}

int ScrollBarAdapter::position() const {
    return bar_.value();
}

void ScrollBarAdapter::onAction(int action) {
    ScrollRequest request = ScrollRequest::EndScroll;
    switch (static_cast<QAbstractSlider::SliderAction>(action)) {
        case QAbstractSlider::SliderSingleStepSub:
            request = ScrollRequest::LineLeft;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            request = ScrollRequest::LineRight;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = ScrollRequest::PageLeft;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = ScrollRequest::PageRight;
            break;
        case QAbstractSlider::SliderMove:
            request = ScrollRequest::ThumbTrack;
            break;
        case QAbstractSlider::SliderToMinimum:
            request = ScrollRequest::Top;
            break;
        case QAbstractSlider::SliderToMaximum:
            request = ScrollRequest::Bottom;
            break;
        case QAbstractSlider::SliderNoAction:
            return;
    }
    // The thumb is reported as a 16-bit position, as the formulas expect.
    const int thumb = bar_.sliderPosition() & 0xFFFF;
    // The request decides the thumb: undo the slider's own step first.
    bar_.setSliderPosition(bar_.value());
    onRequest_(request, thumb);
}
