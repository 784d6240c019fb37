#include <QCoreApplication>
#include <csignal>
#include <iostream>

#include "app/posix_signal_pipe.h"
#include "app/qt_user_paths.h"
#include "link/port_detection.h"
#include "link/port_map.h"
#include "link/posix_serial_device.h"
#include "link/posix_serial_ports.h"
#include "link/posix_thread_starter.h"
#include "log_platform.h"
#include "posix_stream_device.h"

struct LogPlatform::State {
    State(int& argc, char** argv) : app(argc, argv) {}
    QCoreApplication app;  // for the per-user paths of the port map
    SignalPipe signals{SIGINT, SIGTERM};
};

LogPlatform::LogPlatform(int& argc, char** argv) : state_(std::make_unique<State>(argc, argv)) {}

LogPlatform::~LogPlatform() = default;

bool LogPlatform::stopRequested() {
    return state_->signals.takeSignal() != 0;
}

int LogPlatform::runLivePort(LogSession& session, const LogOptions& options) {
    const PortMap map(currentUserPaths().portFolder());
    if (!options.autoPort && !map.devicePath(options.port)) {
        std::cerr << "zintavo-log: no device is known as COM" << options.port << std::endl;
        return 1;
    }
    PosixSerialDevice device(map);
    PosixSerialPorts ports(map);
    ListedPorts listed;
    PosixThreadStarter threads;
    PortDetection detection(ports, listed, threads);
    return session.runPort(device, detection);
}

std::unique_ptr<StreamDevice> LogPlatform::openStream(const std::string& path) {
    return std::make_unique<PosixStreamDevice>(path);
}
