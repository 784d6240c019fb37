#pragma once

#include <QRect>
#include <QScrollBar>

// A scroll bar that paints again only when its picture changes. The chart's
// and the list's bars take a new range with every reading, which moves the
// slider by a pixel only now and then; repainting them every time was a good
// part of the window's cost.
class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    using QScrollBar::QScrollBar;

  protected:
    void sliderChange(SliderChange change) override;

  private:
    struct Look {
        QRect slider;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    Look shown_;
    bool painted_ = false;
};
