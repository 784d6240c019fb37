#include <csignal>
#include <iostream>

#include "link/port_detection.h"
#include "log_platform.h"
#include "posix/port_map.h"
#include "posix/posix_serial_device.h"
#include "posix/posix_serial_ports.h"
#include "posix/posix_signal_pipe.h"
#include "posix/posix_thread_starter.h"
#include "posix/posix_user_paths.h"
#include "posix_stream_device.h"

struct LogPlatform::State {
    SignalPipe signals{SIGINT, SIGTERM};
};

LogPlatform::LogPlatform(int&, char**) : state_(std::make_unique<State>()) {}

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
