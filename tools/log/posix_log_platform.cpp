#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <thread>

#include "link/port_detection.h"
#include "log_platform.h"
#include "log_ports.h"
#include "posix/port_map.h"
#include "posix/posix_serial_device.h"
#include "posix/posix_serial_ports.h"
#include "posix/posix_signal_pipe.h"
#include "posix/posix_thread_starter.h"
#include "posix/posix_user_paths.h"
#include "posix_stream_device.h"

struct LogPlatform::State {
    SignalPipe signals{SIGINT, SIGTERM};
    bool stopped = false;
    PortMap map{currentUserPaths().portFolder()};
};

LogPlatform::LogPlatform(int&, char**) : state_(std::make_unique<State>()) {}

LogPlatform::~LogPlatform() = default;

bool LogPlatform::stopRequested() {
    if (!state_->stopped) state_->stopped = state_->signals.takeSignal() != 0;
    return state_->stopped;
}

int LogPlatform::runLivePort(LogSession& session, const LogOptions& options) {
    const PortMap& map = state_->map;
    if (!options.autoPort) {
        const auto path = map.devicePath(options.port);
        if (!path) {
            std::cerr << "zintavo-log: no device is known as COM" << options.port << std::endl;
            return 1;
        }
        // Retrying a port the user may not open would wait for ever without a word.
        if (map.accessDenied(options.port)) {
            std::error_code ec;
            const auto device = std::filesystem::canonical(*path, ec);
            std::cerr << "zintavo-log: COM" << options.port << " ("
                      << (ec ? *path : device).string()
                      << "): permission denied; add yourself to the device's group with "
                         "'sudo usermod -aG dialout $USER', then log in again"
                      << std::endl;
            return 1;
        }
    }
    PosixSerialDevice device(map);
    PosixSerialPorts ports(map);
    ListedPorts listed;
    PosixThreadStarter threads;
    PortDetection detection(ports, listed, threads);
    return session.runPort(device, detection);
}

int LogPlatform::listPorts(std::ostream& out, std::ostream&) {
    const PortMap& map = state_->map;
    PosixSerialPorts ports(map);
    for (const std::string& entry :
         portEntries(ports, [&map](std::uint32_t port) { return map.deviceLabel(port); }))
        out << entry << '\n';
    return 0;
}

int LogPlatform::detect(std::ostream& out, std::ostream& notes) {
    const PortMap& map = state_->map;
    PosixSerialPorts ports(map);
    PosixThreadStarter threads;
    return detectMeter(
        ports, threads, [&map](std::uint32_t port) { return map.deviceLabel(port); },
        [this] { return stopRequested(); }, out, notes);
}

std::unique_ptr<StreamDevice> LogPlatform::openStream(const std::string& path) {
    return std::make_unique<PosixStreamDevice>(path);
}

std::FILE* LogPlatform::openOutput(const std::string& path) {
    for (;;) {
        // A FIFO nobody reads yet refuses a non-blocking open (ENXIO) instead
        // of waiting where no stop signal reaches.
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd >= 0) {
            struct stat info {};
            if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
                ::close(fd);
                return nullptr;
            }
            // Writes may wait for a slow reader: each line is then written whole.
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            std::FILE* file = ::fdopen(fd, "ab");
            if (file == nullptr) ::close(fd);
            return file;
        }
        if (errno != ENXIO || stopRequested()) return nullptr;
        std::this_thread::sleep_for(LogSession::kTick);
    }
}

bool LogPlatform::writesToInput(const StreamDevice& input, std::FILE* out) {
    const auto in = input.identity();
    return in && in == posixFileIdentity(::fileno(out));
}
