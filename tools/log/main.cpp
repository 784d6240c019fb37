// zintavo-log: the program's receive loop and logging rule without a window.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/posix_signal_pipe.h"
#include "app/qt_user_paths.h"
#include "link/port_detection.h"
#include "link/port_map.h"
#include "link/posix_serial_device.h"
#include "link/posix_serial_ports.h"
#include "link/posix_thread_starter.h"
#include "log_options.h"
#include "log_session.h"
#include "posix_stream_device.h"

namespace {

int fail(int status, std::string_view message) {
    std::cerr << "zintavo-log: " << message << std::endl;
    return status;
}

int runLivePort(LogSession& session, const LogOptions& options) {
    const PortMap map(currentUserPaths().portFolder());
    if (!options.autoPort && !map.devicePath(options.port))
        return fail(1, "no device is known as COM" + std::to_string(options.port));
    PosixSerialDevice device(map);
    PosixSerialPorts ports(map);
    ListedPorts listed;
    PosixThreadStarter threads;
    PortDetection detection(ports, listed, threads);
    return session.runPort(device, detection);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = parseLogOptions(args);
    switch (parsed.action) {
        case ParsedCommandLine::Action::help:
            std::cout << logUsage();
            return 0;
        case ParsedCommandLine::Action::usageError:
            return fail(2, parsed.error);
        case ParsedCommandLine::Action::run:
            break;
    }
    const LogOptions& options = parsed.options;
    QCoreApplication app(argc, argv);  // for the per-user paths of the port map

    std::FILE* out = stdout;
    if (options.output) {
        out = std::fopen(options.output->c_str(), "ab");
        if (out == nullptr) return fail(1, "cannot open " + *options.output + " for appending");
    }
    SignalPipe signals{SIGINT, SIGTERM};
    SystemClock clock;
    LogSession session(options, clock, out, std::cerr,
                       [&signals] { return signals.takeSignal() != 0; });

    int status = 0;
    if (options.input.empty()) {
        status = runLivePort(session, options);
    } else {
        PosixStreamDevice input(options.input);
        if (!input.valid()) {
            status = fail(1, "cannot read " + options.input);
        } else {
            status = session.runStream(input);
        }
    }
    if (out != stdout) std::fclose(out);
    return status;
}
