#pragma once

#include <QObject>
#include <functional>

#include "chart/chart_view.h"

class QScrollBar;

// Gives a QScrollBar the semantics the chart's scroll formulas assume: a range
// `minimum`..`maximum` with a page, the thumb travelling up to maximum - page + 1,
// and each user action reported as a numbered request with the thumb position.
class ScrollBarAdapter : public QObject {
    Q_OBJECT
  public:
    using RequestHandler = std::function<void(ScrollRequest, int thumb)>;

    ScrollBarAdapter(QScrollBar& bar, RequestHandler onRequest);

    // Range and page, and the position when the state carries one.
    void apply(const ScrollBarState& state);
    // Moves the thumb, limited to the range as the bar limits it.
    void setPosition(int position);
    int position() const;
    const ScrollBarState& state() const { return state_; }

  private:
    void onAction(int action);

    QScrollBar& bar_;
    RequestHandler onRequest_;
    ScrollBarState state_;
};
