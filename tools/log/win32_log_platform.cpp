#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "link/port_detection.h"
#include "log_platform.h"
#include "log_ports.h"
#include "win32/win32_serial_device.h"
#include "win32/win32_serial_ports.h"
#include "win32/win32_thread_starter.h"
#include "win32_stream_device.h"

struct LogPlatform::State {};

LogPlatform::LogPlatform(int&, char**) : state_(std::make_unique<State>()) {
    // Each line ends in exactly CR LF, as in the log file: no text-mode "\n" rewriting.
    _setmode(_fileno(stdout), _O_BINARY);
}

LogPlatform::~LogPlatform() = default;

// Ctrl+C ends the process at once; every line written is already flushed.
bool LogPlatform::stopRequested() {
    return false;
}

int LogPlatform::runLivePort(LogSession& session, const LogOptions&) {
    // Windows numbers its own ports; one that is missing now may appear later.
    Win32SerialDevice device;
    Win32SerialPorts ports;
    ListedPorts listed;
    Win32ThreadStarter threads;
    PortDetection detection(ports, listed, threads);
    return session.runPort(device, detection);
}

int LogPlatform::listPorts(std::ostream& out) {
    Win32SerialPorts ports;
    for (const std::string& entry : portEntries(ports, {})) out << entry << '\n';
    return 0;
}

int LogPlatform::detect(std::ostream& out, std::ostream& notes) {
    Win32SerialPorts ports;
    Win32ThreadStarter threads;
    return detectMeter(
        ports, threads, {}, [this] { return stopRequested(); }, out, notes);
}

std::unique_ptr<StreamDevice> LogPlatform::openStream(const std::string& path) {
    return std::make_unique<Win32StreamDevice>(path);
}

std::FILE* LogPlatform::openOutput(const std::string& path) {
    return std::fopen(path.c_str(), "ab");
}

bool LogPlatform::writesToInput(const StreamDevice& input, std::FILE* out) {
    const auto in = input.identity();
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
    return in && in == win32FileIdentity(handle);
}
