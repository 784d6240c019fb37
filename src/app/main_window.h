#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "app/settings.h"
#include "app/settings_backend.h"
#include "app/user_paths.h"
#include "chart/chart_renderer.h"
#include "chart/chart_view.h"
#include "chart/selection_statistics.h"
#include "face/meter_face_state.h"
#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/recovery_journal.h"
#include "history/sample_history.h"
#include "link/listed_ports.h"
#include "link/meter_link.h"
#include "link/meter_port.h"
#include "link/port_detection.h"
#include "link/port_list.h"
#include "reading/clock.h"
#include "reading/reading_handler.h"

class QComboBox;
class QPushButton;
class QScrollBar;
class ReadingListModel;
class ReadingListView;
class QtDrawingSurfaces;
class ScrollBarAdapter;
class SurfacePanel;
class SystemNotifications;

// What the window takes from outside. The program passes the real machine;
// tests pass fakes and temporary folders.
struct WindowServices {
    SettingsBackend& settingsStore;
    SerialDevice& device;  // the main link's port
    SerialPorts& ports;    // port enumeration and the probes' devices
    ThreadStarter& threads;
    const Clock& clock;
    UserPaths paths;
    std::function<void()> beep;
    // Device name shown beside a port's number in the list ("" for none).
    std::function<std::string(std::uint32_t)> portLabel;
    // The mouse cursor in screen coordinates (QCursor::pos when not given).
    std::function<QPoint()> cursorPos;
    std::chrono::milliseconds probeInterval{100};
};

// The program's one window: owns the process-wide records (settings, link,
// history, reading list, chart view, face state), runs the 50 ms tick, lays out
// the controls and routes every user action to the operation that handles it.
class MainWindow : public QWidget,
                   private ReadingListener,
                   private LinkOwner,
                   private ReadingHandlerHooks {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 50;

    explicit MainWindow(WindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // One 50 ms tick; the timer calls it, tests call it directly.
    void tick();
    // Saves the list and closes, as the close box does. Safe to call more than once.
    void closeAndSave();
    // Saves the list unless it has not changed since it was last saved here.
    void saveLogOnce();
    // Suspend, resume and device changes reach the link from now on.
    void listenTo(SystemNotifications& notifications);

    // The records, for tests and the program's tools.
    Settings& settings() { return settings_; }
    SampleHistory& history() { return *history_; }
    ReadingList& readingList() { return list_; }
    ChartView& chartView() { return view_; }
    MeterFaceState& faceState() { return face_; }
    MeterPort& meterPort() { return port_; }
    MeterLink& meterLink() { return link_; }
    PortDetection& detection() { return detection_; }
    const PortList& portList() const { return portList_; }
    QTimer& timer() { return timer_; }
    const QString& statsText() const { return statsText_; }

    // The controls, by role.
    QComboBox& portCombo() { return *combo_; }
    SurfacePanel& facePanel() { return *facePanel_; }
    SurfacePanel& chartPanel() { return *chartPanel_; }
    QPushButton& clearButton() { return *clear_; }
    QPushButton& holdButton() { return *hold_; }
    QPushButton& zoomInButton() { return *zoomIn_; }
    QPushButton& zoomOutButton() { return *zoomOut_; }
    QScrollBar& scrollBar() { return *scrollBar_; }
    ScrollBarAdapter& scrollBarAdapter() { return *scrollAdapter_; }
    ReadingListView& listView() { return *listView_; }
    ReadingListModel& listModel() { return *listModel_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void onMeterReading() override;
    void writeSettings() override;
    void showDetectedPort() override;
    void revealNewRow(std::size_t row) override;
    void updateScrollBar() override;
    void invalidatePanels() override;
    void logSaved() override;

    void createControls();
    void startUp();
    void fillPortCombo();
    void applySavedPlacement();
    void layoutControls();
    void rememberNormalFrame();
    void fitFrameToPlacement();
    void shutDown();
    // Saves the list to a new log; on success the journal starts afresh.
    void saveLogNow();

    int chartWidth() const;
    void onScrollRequest(ScrollRequest request, int thumb);
    void onZoom(bool in);
    void onListRowChanged(int row);
    void onChartPressed();
    void onChartReleased(bool inside);
    void onTagEdited(std::size_t row, const QString& text);
    void onClear();
    void onPortChosen(int index);
    void updateDrag();
    QPoint cursorPos() const;
    const QImage* renderFace();
    const QImage* renderChart();

    WindowServices services_;
    Settings settings_;
    std::unique_ptr<SampleHistory> history_;
    ReadingList list_;
    ChartView view_;
    MeterFaceState face_;
    ListedPorts listedPorts_;
    PortList portList_;
    MeterPort port_;
    PortDetection detection_;
    MeterLink link_;
    LogWriter logWriter_;
    RecoveryJournal journal_;
    ReadingHandler handler_;
    std::unique_ptr<QtDrawingSurfaces> surfaces_;
    ChartRenderer chartRenderer_;
    SelectionStatistics statistics_;
    QString statsText_;

    QComboBox* combo_ = nullptr;
    SurfacePanel* facePanel_ = nullptr;
    SurfacePanel* chartPanel_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* hold_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    ScrollBarAdapter* scrollAdapter_ = nullptr;
    ReadingListView* listView_ = nullptr;
    ReadingListModel* listModel_ = nullptr;
    QTimer timer_;

    QRect placed_;       // the saved placement, made usable on this desktop
    QRect normalFrame_;  // last frame rectangle while not minimised
    bool frameFitted_ = false;
    bool started_ = false;
    // Changes to the list, counted so that each save knows whether it has news.
    std::uint64_t listChanges_ = 1;
    std::uint64_t savedAtChange_ = 0;
    bool shutDown_ = false;
};
