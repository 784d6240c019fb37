#pragma once

#include <QRect>
#include <QScrollBar>

// A scroll bar that paints again only when its picture changes. The chart's
// and the list's bars take a new range and a new value with every reading,
// which moves the slider by a pixel only now and then; repainting them every
// time was a good part of the window's cost. The changes made together (the
// range, then the value) are compared with the picture shown once they are
// all made, so a passing in-between state costs no paint either; a slider
// that only moved repaints its old and new places, not the whole bar.
class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    SteadyScrollBar(Qt::Orientation orientation, QWidget* parent);

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
    void repaintIfChanged();
    Look shown_;
    bool painted_ = false;
    bool checkPending_ = false;
};
