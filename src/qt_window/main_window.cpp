#include "qt_window/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <utility>

#include "qt/qt_canvas.h"
#include "qt/qt_drawing_surfaces.h"
#include "qt/qt_resources.h"
#include "qt_window/system_notifications.h"
#include "window_layout/window_layout.h"

namespace {

QRect toQRect(const FaceRect& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

ScreenPoint toScreenPoint(QPoint p) {
    return {p.x(), p.y()};
}

// What is left of the system clock's second (the local second turns with it),
// and a little more: the session's clock may see the new second a few
// milliseconds after the system's finer clock does.
std::chrono::milliseconds untilNextSecond() {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    return seconds(1) - now % seconds(1) + milliseconds(10);
}

bool isUserInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
            return true;
        case QEvent::MouseMove:
            return static_cast<const QMouseEvent&>(event).buttons() != Qt::NoButton;
        default:
            return false;
    }
}

}  // namespace

MainWindow::MainWindow(WindowServices services, QWidget* parent)
    : QWidget(parent),
      cursorPos_(std::move(services.cursorPos)),
      session_(std::move(services.session), *this) {
    setWindowTitle(QStringLiteral("Vorrelind - Zintavo"));
    // The controls were sized for an 8-point dialog font.
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    const QIcon icon = appIcon();
    if (!icon.isNull()) setWindowIcon(icon);
    const ClientSize smallest = minimumClientSize();
    setMinimumSize(smallest.width, smallest.height);
    connectControls();
    qApp->installEventFilter(this);
    surfaces_ = std::make_unique<QtDrawingSurfaces>(facePanel().size(), chartPanel().size());
    session_.start();
}

MainWindow::~MainWindow() {
    finish(false);
}

void MainWindow::connectControls() {
    scrollAdapter_ = new ScrollBarAdapter(
        scrollBar(), [this](ScrollRequest request, int thumb) { session_.scroll(request, thumb); });
    connect(&listView(), &ReadingListView::tagEditOpened, this,
            [this] { session_.tagEditOpened(); });
    connect(&listView(), &ReadingListView::tagEditClosed, this,
            [this] { session_.tagEditClosed(); });
    connect(&listView(), &ReadingListView::tagEdited, this, [this](int row, const QString& text) {
        const std::u16string wide(reinterpret_cast<const char16_t*>(text.utf16()),
                                  static_cast<std::size_t>(text.size()));
        session_.editTag(static_cast<std::size_t>(row), std::u16string_view(wide));
    });

    facePanel().setRenderer([this](const QRegion& shown) { return renderFace(shown); });
    chartPanel().setRenderer([this](const QRegion&) { return renderChart(); });
    connect(&chartPanel(), &SurfacePanel::pressed, this,
            [this] { session_.chartPressed(toScreenPoint(cursorPos()), chartScreenRect()); });
    connect(&chartPanel(), &SurfacePanel::released, this, [this](bool inside) {
        session_.chartReleased(toScreenPoint(cursorPos()), chartScreenRect(), inside);
    });
    connect(&clearButton(), &QPushButton::clicked, this, [this] { session_.clear(); });
    connect(&holdButton(), &QPushButton::clicked, this, [this] { session_.toggleHold(); });
    connect(&zoomInButton(), &QPushButton::clicked, this, [this] { session_.zoomIn(); });
    connect(&zoomOutButton(), &QPushButton::clicked, this, [this] { session_.zoomOut(); });
    connect(&listView(), &ReadingListView::currentRowChanged, this,
            [this](int row) { session_.listRowSelected(row); });
    connect(&portCombo(), &QComboBox::activated, this,
            [this](int index) { session_.portChosen(index); });
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { onTimer(); });
}

void MainWindow::startTicking() {
    timer_.start(kTickMs);
}

void MainWindow::onTimer() {
    for (; quietAhead_ > 0; --quietAhead_) session_.quietTick();
    tick();
    planNextTick();
}

void MainWindow::planNextTick() {
    quietAhead_ = placement_.rechecking() ? 0 : session_.quietTicks(untilNextSecond());
    sinceTick_.start();
    const int interval = kTickMs * (1 + quietAhead_);
    // A timer that goes on ticking as it did is left alone.
    if (interval != timer_.interval() || !timer_.isActive()) timer_.start(interval);
    watchInput();
}

void MainWindow::tickOnTime() {
    if (input_) input_->setEnabled(false);
    if (quietAhead_ == 0 || !timer_.isActive()) return;
    const qint64 elapsed = sinceTick_.elapsed();
    quietAhead_ = static_cast<int>(std::min<qint64>(elapsed / kTickMs, quietAhead_));
    timer_.start(static_cast<int>(std::max<qint64>(0, kTickMs * (quietAhead_ + 1) - elapsed)));
}

void MainWindow::watchInput() {
    const int handle = quietAhead_ > 0 ? session_.inputHandle() : -1;
    if (handle < 0) {
        if (input_) input_->setEnabled(false);
        return;
    }
    if (!input_ || input_->socket() != handle) {
        input_ = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Read);
        connect(input_.get(), &QSocketNotifier::activated, this, [this] { tickOnTime(); });
    }
    input_->setEnabled(true);
}

void MainWindow::placeWindow(const WindowRect& saved, bool maximized, bool /*stored*/) {
    placement_.place(saved);
    if (maximized) setWindowState(windowState() | Qt::WindowMaximized);
    layoutControls();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    placement_.remember();
    layoutControls();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placement_.remember();
    layoutControls();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) placement_.stateChanged();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placement_.remember();
}

void MainWindow::layoutControls() {
    // The first layout comes from the session's start-up, before the surfaces exist.
    if (!surfaces_) return;
    controls_.layout(width(), height());
    surfaces_->recreateChartSurface(chartPanel().size());
    chartStale_ = true;
    session_.panelsResized(facePanel().width(), facePanel().height(), chartPanel().width(),
                           chartPanel().height());
}

void MainWindow::showPortList(const PortList& list) {
    const QSignalBlocker block(&portCombo());
    portCombo().clear();
    for (const std::string& entry : list.entries)
        portCombo().addItem(QString::fromStdString(entry));
    portCombo().setCurrentIndex(list.selected);
}

void MainWindow::selectPortEntry(int index) {
    const QSignalBlocker block(&portCombo());
    portCombo().setCurrentIndex(index);
}

void MainWindow::invalidateFace(const FaceRect& rect) {
    facePanel().invalidate(toQRect(rect));
}

void MainWindow::showStatistics(std::string_view text) {
    statsText_ = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    chartPanel().setToolTip(statsText_);
}

QPoint MainWindow::cursorPos() const {
    return cursorPos_ ? cursorPos_() : QCursor::pos();
}

ScreenRect MainWindow::chartScreenRect() const {
    const SurfacePanel& chart = *controls_.chartPanel;
    const QPoint topLeft = chart.mapToGlobal(QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + chart.width(), topLeft.y() + chart.height()};
}

void MainWindow::tick() {
    placement_.tick();
    ticking_ = true;
    // The cursor matters only during a drag; asking the display for it is a round trip.
    if (session_.dragging()) {
        session_.tick(toScreenPoint(cursorPos()), chartScreenRect());
    } else {
        session_.tick({}, {});
    }
    ticking_ = false;
    if (!chartStale_) return;
    // A window out of sight paints nothing: its chart is drawn when it shows.
    if (isMinimized() || !chartPanel().isVisible()) {
        chartPanel().invalidateAll();
        return;
    }
    showChartChanges();
}

// A tick's changes (a reading, the drag's selection) are drawn at its end,
// once however many it made; any other change repaints the whole panel, which
// draws the chart as it paints.
void MainWindow::invalidateChart() {
    chartStale_ = true;
    if (!ticking_) chartPanel().invalidateAll();
}

void MainWindow::redrawChartNow() {
    chartStale_ = true;
    chartPanel().redrawNow();
}

void MainWindow::showChartChanges() {
    renderChart();
    chartPanel().invalidate(surfaces_->chartSurface().takeChanges());
}

// The face's surface is kept between paints and the session asks for every
// part whose look changed, so a paint draws only the part it shows: the clock
// line once a second, not the whole face.
const QImage* MainWindow::renderFace(const QRegion& shown) {
    QtCanvas& canvas = surfaces_->meterSurface();
    canvas.clipTo(shown);
    session_.renderFace(canvas);
    canvas.clipTo({});
    return &canvas.image();
}

const QImage* MainWindow::renderChart() {
    QtCanvas& canvas = surfaces_->chartSurface();
    if (std::exchange(chartStale_, false)) session_.renderChart(canvas);
    return &canvas.image();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (isUserInput(*event)) tickOnTime();
    // An open drop-down is a window of its own and takes its own Escape.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            escape();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::escape() {
    switch (
        escapeAction(listView().editing(), portCombo().view()->isVisible(), session_.dragging())) {
        case EscapeAction::CloseTagEditor:
            listView().cancelEdit();
            break;
        case EscapeAction::CloseDropDown:
            portCombo().hidePopup();
            break;
        case EscapeAction::CancelDrag:
            chartPanel().cancelPress();
            session_.cancelDrag();
            break;
        case EscapeAction::SaveAndClose:
            closeAndSave();
            break;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            escape();
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
    connect(&notifications, &SystemNotifications::powerEvent, this, [this](unsigned code) {
        tickOnTime();
        session_.powerEvent(code);
    });
    connect(&notifications, &SystemNotifications::deviceChange, this, [this] {
        tickOnTime();
        session_.deviceChange();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    finish(true);
    event->accept();
}

void MainWindow::finish(bool save) {
    if (!session_.started()) return;
    placement_.remember();
    timer_.stop();
    input_.reset();
    const bool maximized = windowState().testFlag(Qt::WindowMaximized);
    if (save)
        session_.end(placement_.normalFrame(), maximized);
    else
        session_.shutDown(placement_.normalFrame(), maximized);
}
