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

namespace {

bool underWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine opens a port whose dosdevices link is all there is, but only a port
// named in its registry gets into the serial device map, where the list and
// detection look. Such ports are named on `notes`, with the remedy.
void noteUnmappedWinePorts(std::ostream& notes) {
    Win32SerialPorts ports;
    ListedPorts listed;
    ports.enumeratePorts(listed);
    for (std::uint32_t port = 1; port <= ListedPorts::kMaxPort; ++port) {
        if (listed.contains(port)) continue;
        Win32SerialDevice device;
        const OpenResult opened = device.open(port);
        if (!opened && !opened.isBusy()) continue;
        notes << "zintavo-log: COM" << port
              << " opens but is not in the serial device map, so it is not listed or detected:"
                 " name it in Wine's registry (HKLM\\Software\\Wine\\Ports, value COM"
              << port << ") and restart Wine (wineserver -k)" << std::endl;
    }
}

}  // namespace

int LogPlatform::listPorts(std::ostream& out, std::ostream& notes) {
    Win32SerialPorts ports;
    for (const std::string& entry : portEntries(ports, {})) out << entry << '\n';
    out.flush();
    if (underWine()) noteUnmappedWinePorts(notes);
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
