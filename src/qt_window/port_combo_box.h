#pragma once

#include <QComboBox>

// The port drop-down: its closed box is narrow, so it shows the port's
// number ("COM7") whole and leaves the device out; the open list is as wide
// as its longest entry ("COM7 (pts/6)").
class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};
