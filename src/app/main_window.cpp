#include "app/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <vector>

#include "app/reading_list_model.h"
#include "app/reading_list_view.h"
#include "app/scroll_bar_adapter.h"
#include "app/settings_store.h"
#include "app/surface_panel.h"
#include "app/system_notifications.h"
#include "app/window_layout.h"
#include "app/window_placement.h"
#include "chart/chart_selection.h"
#include "face/face_tick.h"
#include "face/meter_face.h"
#include "face/qt_canvas.h"
#include "face/qt_drawing_surfaces.h"
#include "face/qt_resources.h"
#include "history/clear_history.h"
#include "history/log_reader.h"
#include "history/tag_edit.h"
#include "history/windows1252.h"

namespace {

QRect toQRect(const ControlRect& r) {
    return {r.x, r.y, std::max(0, r.width), std::max(0, r.height)};
}

QRect toQRect(const FaceRect& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

QPushButton* makeButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    // No default button: Enter never presses anything.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

MainWindow::MainWindow(WindowServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      history_(std::make_unique<SampleHistory>()),
      port_(services_.device, this),
      detection_(services_.ports, listedPorts_, services_.threads, services_.probeInterval),
      link_(port_, settings_, detection_, *this),
      logWriter_(services_.paths, services_.clock, services_.beep),
      journal_(RecoveryJournal::pathIn(services_.paths.dataFolder)),
      handler_(ReadingHandlerParts{face_, list_, *history_, view_, settings_, services_.clock,
                                   logWriter_, *this, &journal_}) {
    setWindowTitle(QStringLiteral("Vorrelind - Zintavo"));
    // The controls were sized for an 8-point dialog font.
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    createControls();
    startUp();
}

MainWindow::~MainWindow() {
    shutDown();
}

void MainWindow::createControls() {
    combo_ = new QComboBox(this);
    combo_->setGeometry(toQRect(controls::portCombo()));
    facePanel_ = new SurfacePanel(this);
    facePanel_->setGeometry(toQRect(controls::facePanel()));
    chartPanel_ = new SurfacePanel(this);
    chartPanel_->setGeometry(toQRect(controls::chartPanel()));
    clear_ = makeButton(QStringLiteral("Clear"), this);
    clear_->setGeometry(toQRect(controls::clearButton()));
    hold_ = makeButton(QStringLiteral("Hold"), this);
    hold_->setCheckable(true);
    hold_->setGeometry(toQRect(controls::holdButton()));
    zoomIn_ = makeButton(QStringLiteral("+"), this);
    zoomIn_->setGeometry(toQRect(controls::zoomInButton()));
    zoomOut_ = makeButton(QStringLiteral("-"), this);
    zoomOut_->setGeometry(toQRect(controls::zoomOutButton()));
    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    scrollBar_->setGeometry(toQRect(controls::scrollBar()));
    scrollAdapter_ = new ScrollBarAdapter(
        *scrollBar_, [this](ScrollRequest request, int thumb) { onScrollRequest(request, thumb); });
    listView_ = new ReadingListView(this);
    listView_->setGeometry(toQRect(controls::readingList()));
    listModel_ = new ReadingListModel(
        list_, [this](std::size_t row, const QString& text) { onTagEdited(row, text); }, this);
    listView_->setModel(listModel_);

    facePanel_->setRenderer([this] { return renderFace(); });
    chartPanel_->setRenderer([this] { return renderChart(); });
    connect(chartPanel_, &SurfacePanel::pressed, this, [this] { onChartPressed(); });
    connect(chartPanel_, &SurfacePanel::released, this,
            [this](bool inside) { onChartReleased(inside); });
    connect(clear_, &QPushButton::clicked, this, [this] { onClear(); });
    connect(hold_, &QPushButton::clicked, this, [this] { toggleHold(view_); });
    connect(zoomIn_, &QPushButton::clicked, this, [this] { onZoom(true); });
    connect(zoomOut_, &QPushButton::clicked, this, [this] { onZoom(false); });
    connect(listView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) onListRowChanged(current.row());
            });
    connect(combo_, &QComboBox::activated, this, [this](int index) { onPortChosen(index); });
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void MainWindow::startUp() {
    const QIcon icon = appIcon();
    if (!icon.isNull()) setWindowIcon(icon);
    surfaces_ = std::make_unique<QtDrawingSurfaces>(facePanel_->size(), chartPanel_->size());
    loadSettings(settings_, services_.settingsStore);
    // The ring's size is fixed by the loaded settings for the whole run.
    *history_ = SampleHistory(settings_.listCount);
    listedPorts_.clear();
    services_.ports.enumeratePorts(listedPorts_);
    fillPortCombo();
    timer_.start(kTickMs);
    link_.start();
    applySavedPlacement();
    listView_->setTagColumnWidth(settings_.window.width - 6 - 630);
    loadLog(settings_.logFile, list_, *history_);
    // A journal with records means the last run ended without saving them.
    if (replayJournal(journal_.read(), settings_.logFile, list_, *history_) > 0)
        saveLogNow();
    else
        journal_.restart(list_.rowCount(), settings_.logFile);
    listModel_->reload();
    if (listModel_->rowCount() > 0)
        listView_->scrollTo(listModel_->index(listModel_->rowCount() - 1, 0));
    updateScrollBar();
    chartPanel_->setToolTip(QString());
    started_ = true;
}

void MainWindow::fillPortCombo() {
    fillPortList(portList_, listedPorts_, settings_.port, services_.portLabel);
    const QSignalBlocker block(combo_);
    combo_->clear();
    for (const std::string& entry : portList_.entries)
        combo_->addItem(QString::fromStdString(entry));
    combo_->setCurrentIndex(portList_.selected);
}

void MainWindow::showDetectedPort() {
    showPortInList(portList_, settings_.port);
    const QSignalBlocker block(combo_);
    combo_->setCurrentIndex(portList_.selected);
}

void MainWindow::writeSettings() {
    saveSettings(settings_, services_.settingsStore);
}

void MainWindow::onPortChosen(int index) {
    portList_.selected = index;
    // A new port does not reload the log: the list already holds it.
    link_.onPortSelected(readPortFromList(portList_));
}

void MainWindow::applySavedPlacement() {
    std::vector<ScreenArea> screens;
    ScreenArea primary;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        screens.push_back({a.x(), a.y(), a.width(), a.height()});
        if (screen == QGuiApplication::primaryScreen()) primary = screens.back();
    }
    const WindowRect r = placeOnScreen(settings_.window, screens, primary);
    // Before the window is shown its frame is unknown: the saved outer size is
    // taken as the client size, which the platform may then grow by its frame.
    move(r.x, r.y);
    resize(r.width, r.height);
    placed_ = QRect(r.x, r.y, r.width, r.height);
    normalFrame_ = placed_;
    layoutControls();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    rememberNormalFrame();
    layoutControls();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rememberNormalFrame();
    layoutControls();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) rememberNormalFrame();
}

void MainWindow::rememberNormalFrame() {
    // A minimised window's rectangle says nothing about where it belongs.
    if (isMinimized()) return;
    fitFrameToPlacement();
    normalFrame_ = frameGeometry();
}

void MainWindow::fitFrameToPlacement() {
    // Once the platform reports the frame, the saved outer size is matched.
    if (frameFitted_ || !isVisible()) return;
    const QRect frame = frameGeometry();
    const int dw = frame.width() - width();
    const int dh = frame.height() - height();
    if (dw <= 0 && dh <= 0) return;
    frameFitted_ = true;
    resize(std::max(1, placed_.width() - dw), std::max(1, placed_.height() - dh));
    move(placed_.topLeft());
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    rememberNormalFrame();
}

void MainWindow::layoutControls() {
    const WindowLayout layout = layoutForClient(width(), height());
    chartPanel_->setGeometry(toQRect(layout.chart));
    listView_->setGeometry(toQRect(layout.list));
    if (surfaces_) surfaces_->recreateChartSurface(chartPanel_->size());
    scrollBar_->setGeometry(toQRect(layout.scrollBar));
    zoomIn_->setGeometry(toQRect(layout.zoomIn));
    zoomOut_->setGeometry(toQRect(layout.zoomOut));
    listView_->setTagColumnWidth(layout.tagColumnWidth);
    updateScrollBar();
}

int MainWindow::chartWidth() const {
    return chartPanel_->width();
}

void MainWindow::updateScrollBar() {
    scrollAdapter_->apply(scrollBarState(view_, chartWidth(), static_cast<int>(history_->count())));
}

void MainWindow::onScrollRequest(ScrollRequest request, int thumb) {
    const int position =
        scrollChart(view_, request, thumb, chartWidth(), static_cast<int>(history_->count()));
    chartPanel_->invalidateAll();
    scrollAdapter_->setPosition(position);
}

void MainWindow::onZoom(bool in) {
    if (in)
        zoomIn(view_);
    else
        zoomOut(view_);
    chartPanel_->invalidateAll();
    updateScrollBar();
}

void MainWindow::onListRowChanged(int row) {
    const int position = revealListRow(view_, row, static_cast<int>(list_.rowCount()), chartWidth(),
                                       static_cast<int>(history_->count()));
    scrollAdapter_->setPosition(position);
    chartPanel_->invalidateAll();
}

namespace {

ScreenRect screenRectOf(const QWidget& widget) {
    const QPoint topLeft = widget.mapToGlobal(QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + widget.width(), topLeft.y() + widget.height()};
}

ScreenPoint toScreenPoint(QPoint p) {
    return {p.x(), p.y()};
}

}  // namespace

QPoint MainWindow::cursorPos() const {
    return services_.cursorPos ? services_.cursorPos() : QCursor::pos();
}

void MainWindow::onChartPressed() {
    trackChartButton(view_, true, toScreenPoint(cursorPos()), screenRectOf(*chartPanel_));
    chartPanel_->invalidateAll();
}

void MainWindow::onChartReleased(bool inside) {
    trackChartButton(view_, false, toScreenPoint(cursorPos()), screenRectOf(*chartPanel_));
    chartPanel_->invalidateAll();
    // A release over the chart is a click: hold the view on the selection.
    if (!inside) return;
    const std::optional<int> row = holdOnSelection(view_, static_cast<int>(list_.rowCount()));
    hold_->setChecked(true);
    chartPanel_->invalidateAll();
    if (row) listView_->selectRow(*row);
}

void MainWindow::updateDrag() {
    const SelectionUpdate update = updateSelection(
        view_, statistics_, *history_, toScreenPoint(cursorPos()), screenRectOf(*chartPanel_));
    if (update.redraw) chartPanel_->redrawNow();
    if (update.textChanged) {
        const std::string_view text = statistics_.text();
        statsText_ = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        chartPanel_->setToolTip(statsText_);
    }
}

void MainWindow::onTagEdited(std::size_t row, const QString& text) {
    const std::u16string wide(reinterpret_cast<const char16_t*>(text.utf16()),
                              static_cast<std::size_t>(text.size()));
    const TagEditOutcome outcome = onTagEditEnd(list_, *history_, row, std::u16string_view(wide));
    if (outcome != TagEditOutcome::Changed) return;
    journal_.appendTag(row, list_.row(row).tag);
    ++listChanges_;
    chartPanel_->invalidateAll();
}

void MainWindow::onClear() {
    clearHistory(list_, *history_, face_, view_);
    journal_.restart(0, settings_.logFile);
    ++listChanges_;
    listModel_->reload();
    updateScrollBar();
    chartPanel_->invalidateAll();
}

void MainWindow::tick() {
    link_.tick();
    const FaceTickRects rects = faceTick(face_, static_cast<std::uint32_t>(port_.linkActivity),
                                         facePanel_->width(), facePanel_->height());
    if (rects.linkSprite) facePanel_->invalidate(toQRect(*rects.linkSprite));
    if (rects.arrow) facePanel_->invalidate(toQRect(*rects.arrow));
    facePanel_->invalidate(toQRect(rects.clockLine));
    updateDrag();
}

void MainWindow::onMeterReading() {
    const std::size_t rowsBefore = list_.rowCount();
    handler_.onMeterReading(port_.reading, port_.linkActivity);
    if (list_.rowCount() != rowsBefore) ++listChanges_;
    // Rows added while the view is held, or dropped by a full-ring reset.
    listModel_->rowsAppended();
}

void MainWindow::revealNewRow(std::size_t row) {
    listModel_->rowsAppended();
    listView_->selectRow(static_cast<int>(row));
}

void MainWindow::invalidatePanels() {
    facePanel_->invalidateAll();
    chartPanel_->invalidateAll();
}

const QImage* MainWindow::renderFace() {
    if (!surfaces_) return nullptr;
    QtCanvas& canvas = surfaces_->meterSurface();
    drawMeterFace(canvas, port_.reading, face_, view_, settings_, services_.clock);
    return &canvas.image();
}

const QImage* MainWindow::renderChart() {
    if (!surfaces_) return nullptr;
    QtCanvas& canvas = surfaces_->chartSurface();
    chartRenderer_.drawChart(canvas, view_, *history_, face_, settings_, [this](std::size_t row) {
        return row < list_.rowCount() ? windows1252ToUtf16(list_.row(row).tag) : std::u16string();
    });
    return &canvas.image();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            closeAndSave();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return;  // no default button
        default:
            QWidget::keyPressEvent(event);
    }
}

void MainWindow::closeAndSave() {
    close();
}

void MainWindow::listenTo(SystemNotifications& notifications) {
    connect(&notifications, &SystemNotifications::powerEvent, this,
            [this](unsigned code) { link_.onPowerEvent(code); });
    connect(&notifications, &SystemNotifications::deviceChange, this,
            [this] { link_.onDeviceChange(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    saveLogOnce();
    shutDown();
    event->accept();
}

void MainWindow::saveLogOnce() {
    // Several endings may follow one another (session end, then quit); the
    // list is saved again only if it changed in between.
    if (!started_ || savedAtChange_ == listChanges_) return;
    savedAtChange_ = listChanges_;
    saveLogNow();
}

void MainWindow::saveLogNow() {
    if (!logWriter_.saveLog(list_, settings_)) return;
    logSaved();
    journal_.restart(list_.rowCount(), settings_.logFile);
}

void MainWindow::logSaved() {
    writeSettings();
}

void MainWindow::shutDown() {
    if (shutDown_ || !started_) return;
    shutDown_ = true;
    rememberNormalFrame();
    settings_.window = {normalFrame_.x(), normalFrame_.y(), normalFrame_.width(),
                        normalFrame_.height()};
    writeSettings();
    timer_.stop();
    port_.close();
}
