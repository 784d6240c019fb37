#pragma once

#include <QElapsedTimer>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "qt_window/dialog_controls.h"
#include "qt_window/frame_placement.h"
#include "qt_window/port_combo_box.h"
#include "qt_window/reading_list_view.h"
#include "qt_window/scroll_bar_adapter.h"
#include "qt_window/surface_panel.h"
#include "session/meter_session.h"

class QComboBox;
class QScrollBar;
class QtDrawingSurfaces;
class SystemNotifications;

// What the window takes from outside: the session's services, and the mouse
// cursor in screen coordinates (QCursor::pos when not given).
struct WindowServices {
    SessionServices session;
    std::function<QPoint()> cursorPos;
};

// The program's one window on Qt: the controls of the dialog, laid out by the
// shared layout rules, showing the session and forwarding every event to it.
class MainWindow : public QWidget, private SessionWindow {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 50;

    explicit MainWindow(WindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // One 50 ms tick; the timer calls it (see onTimer), tests call it directly.
    void tick();
    // Saves the list and closes, as the close box does. Safe to call more than once.
    void closeAndSave();
    // What Escape does: closes a tag editor or the drop-down, ends a drag
    // over the chart, or saves and closes.
    void escape();
    // Suspend, resume and device changes reach the session from now on.
    void listenTo(SystemNotifications& notifications);

    MeterSession& session() { return session_; }
    QTimer& timer() { return timer_; }
    const QString& statsText() const { return statsText_; }

    // The controls, by role.
    PortComboBox& portCombo() { return *controls_.portCombo; }
    SurfacePanel& facePanel() { return *controls_.facePanel; }
    SurfacePanel& chartPanel() { return *controls_.chartPanel; }
    QPushButton& clearButton() { return *controls_.clear; }
    QPushButton& holdButton() { return *controls_.hold; }
    QPushButton& zoomInButton() { return *controls_.zoomIn; }
    QPushButton& zoomOutButton() { return *controls_.zoomOut; }
    QScrollBar& scrollBar() { return *controls_.scrollBar; }
    ScrollBarAdapter& scrollBarAdapter() { return *scrollAdapter_; }
    ReadingListView& listView() { return *controls_.listView; }

  protected:
    // Escape reaches the window whichever control has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // SessionWindow
    void startTicking() override;
    void placeWindow(const WindowRect& saved, bool maximized, bool stored) override;
    void showPortList(const PortList& list) override;
    void selectPortEntry(int index) override;
    void rowsAppended(std::size_t) override { listView().rowsAppended(); }
    void listEmptied() override { listView().reload(); }
    void scrollToRow(std::size_t row) override { listView().scrollToRow(static_cast<int>(row)); }
    void selectRow(std::size_t row) override { listView().selectRow(static_cast<int>(row)); }
    void showScrollBar(const ScrollBarState& state) override { scrollAdapter_->apply(state); }
    void setScrollPosition(int position) override { scrollAdapter_->setPosition(position); }
    void setHoldChecked(bool checked) override { holdButton().setChecked(checked); }
    void invalidateFace(const FaceRect& rect) override;
    void invalidateChart() override;
    void redrawChartNow() override;
    void showStatistics(std::string_view text) override;

    // The timer's tick. Between two ticks the timer sleeps through those the
    // session calls quiet, and the next tick runs them first. Input on the
    // port, the user's hands and the system's notifications end the sleep:
    // the tick after them comes on time.
    void onTimer();
    void planNextTick();
    void tickOnTime();
    // The port's input handle is watched while the timer sleeps.
    void watchInput();
    void connectControls();
    void layoutControls();
    // Every ending stops the timer and hands the normal frame to the session;
    // `save`: the list is saved first (the close box, Escape).
    void finish(bool save);
    QPoint cursorPos() const;
    ScreenRect chartScreenRect() const;
    const QImage* renderFace(const QRegion& shown);
    const QImage* renderChart();
    // Draws the chart the tick changed and repaints only the part of the
    // panel whose pixels that changed.
    void showChartChanges();

    std::function<QPoint()> cursorPos_;
    MeterSession session_;
    DialogControls controls_{*this, session_.readingList()};
    ScrollBarAdapter* scrollAdapter_ = nullptr;
    std::unique_ptr<QtDrawingSurfaces> surfaces_;
    QString statsText_;
    QTimer timer_;
    QElapsedTimer sinceTick_;
    int quietAhead_ = 0;  // quiet ticks the timer sleeps through
    bool ticking_ = false;
    bool chartStale_ = true;  // the chart surface does not yet show what the session holds
    std::unique_ptr<QSocketNotifier> input_;

    FramePlacement placement_{*this};
};
