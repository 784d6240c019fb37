#include "log_ports.h"

#include <ostream>
#include <thread>

#include "link/port_detection.h"
#include "link/port_list.h"
#include "log_session.h"

std::vector<std::string> portEntries(SerialPorts& ports, const PortLabel& label) {
    ListedPorts listed;
    ports.enumeratePorts(listed);
    PortList list;
    fillPortList(list, listed, 0, label);
    return {list.entries.begin() + 1, list.entries.end()};
}

int detectMeter(SerialPorts& ports, ThreadStarter& threads, const PortLabel& label,
                const std::function<bool()>& stop, std::ostream& out, std::ostream& notes) {
    ListedPorts listed;
    PortDetection detection(ports, listed, threads);
    detection.startDetection();
    // Concluded on a tick, as in the program; the probes listen about a second.
    std::optional<DetectionResult> result;
    while (!stop() && !result) {
        std::this_thread::sleep_for(LogSession::kTick);
        result = detection.finishDetection();
        if (!result && !detection.running()) break;
    }
    if (result && result->port != 0) {
        PortList list;
        fillPortList(list, listed, result->port, label);
        out << (list.selected > 0 ? list.entries[static_cast<std::size_t>(list.selected)]
                                  : "COM" + std::to_string(result->port))
            << std::endl;
        return 0;
    }
    detection.abandon();
    if (stop()) {
        notes << "zintavo-log: detection stopped" << std::endl;
        return 1;
    }
    notes << "zintavo-log: no port carries a meter";
    if (result) {
        for (std::uint32_t port = 1; port <= ListedPorts::kMaxPort; ++port)
            if (result->busyPorts.contains(port))
                notes << "; COM" << port << " is held by another program";
    }
    notes << std::endl;
    return 1;
}
