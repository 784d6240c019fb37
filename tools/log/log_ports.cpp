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
    while (!stop()) {
        std::this_thread::sleep_for(LogSession::kTick);
        if (const auto found = detection.finishDetection()) {
            PortList list;
            fillPortList(list, listed, *found, label);
            out << (list.selected > 0 ? list.entries[static_cast<std::size_t>(list.selected)]
                                      : "COM" + std::to_string(*found))
                << std::endl;
            return 0;
        }
        if (!detection.running()) break;
    }
    detection.abandon();
    notes << "zintavo-log: " << (stop() ? "detection stopped" : "no port carries a meter")
          << std::endl;
    return 1;
}
