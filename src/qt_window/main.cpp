#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <set>

#include "posix/port_map.h"
#include "posix/posix_file_sync.h"
#include "posix/posix_journal_file.h"
#include "posix/posix_serial_device.h"
#include "posix/posix_serial_ports.h"
#include "posix/posix_signal_pipe.h"
#include "posix/posix_system_log.h"
#include "posix/posix_thread_starter.h"
#include "posix/posix_user_paths.h"
#include "qt/qt_settings_backend.h"
#include "qt_window/main_window.h"
#include "qt_window/system_notifications.h"

namespace {

std::set<unsigned> serialPortSet(const PortMap& map) {
    ListedPorts listed;
    map.enumeratePorts(listed);
    std::set<unsigned> ports;
    for (std::uint32_t n = 1; n <= ListedPorts::kMaxPort; ++n)
        if (listed.contains(n)) ports.insert(n);
    return ports;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vorrelind"));
    QApplication::setApplicationName(QStringLiteral("Zintavo"));
    // Termination signals end the program through the window, which saves the list.
    SignalPipe signals_({SIGTERM, SIGINT, SIGHUP});

    const UserPaths paths = currentUserPaths();
    QtSettingsBackend store(paths.settingsFile());
    const PortMap portMap(paths.portFolder());
    PosixSerialDevice device(portMap);
    PosixSerialPorts ports(portMap);
    PosixThreadStarter threads;
    PosixJournalFiles journalFiles;
    const SystemClock clock;

    MainWindow window(WindowServices{
        .session = {
            .settingsStore = store,
            .device = device,
            .ports = ports,
            .threads = threads,
            .journalFiles = journalFiles,
            .clock = clock,
            .paths = paths,
            .beep = [] { QApplication::beep(); },
            .reportProblem = [](std::string_view problem) { reportProblem("zintavo", problem); },
            .portLabel = [&portMap](std::uint32_t port) { return portMap.deviceLabel(port); },
            .syncFile = syncFileToDisk,
        },
        .cursorPos = {},
    });

    SystemNotifications notifications(QStringLiteral("/dev"),
                                      QString::fromStdString(paths.portFolder()),
                                      [&portMap] { return serialPortSet(portMap); });
    window.listenTo(notifications);

    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (signals_.valid()) {
        signalNotifier =
            std::make_unique<QSocketNotifier>(signals_.readFd(), QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, &window, [&] {
            while (signals_.takeSignal() != 0) {
            }
            window.closeAndSave();
        });
    }
    // The end of the desktop session ends the program like the close box.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.session().saveIfChanged(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window,
                     [&window] { window.session().saveIfChanged(); });

    window.show();
    app.exec();
    // The list could not be saved: the journal keeps it for the next start.
    return window.session().listSaved() ? 0 : 1;
}
