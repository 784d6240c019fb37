#include "link/port_list.h"

std::uint32_t portNumberOfEntry(std::string_view entry) {
    if (entry.size() < 4) return 0;
    std::uint32_t n = 0;
    for (std::size_t i = 3; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) {
        n = n * 10 + static_cast<std::uint32_t>(entry[i] - '0');
        if (n > ListedPorts::kMaxPort) return 0;
    }
    return n;
}

void fillPortList(PortList& list, const ListedPorts& listed, std::uint32_t port,
                  const std::function<std::string(std::uint32_t)>& label) {
    list.entries.assign(1, std::string());
    list.selected = -1;
    for (std::uint32_t n = 1; n <= ListedPorts::kMaxPort; ++n) {
        if (!listed.contains(n)) continue;
        std::string text = "COM" + std::to_string(n);
        if (label) {
            const std::string device = label(n);
            if (device.starts_with('(')) {
                text += " " + device;
            } else if (!device.empty()) {
                text += " (" + device + ")";
            }
        }
        list.entries.push_back(std::move(text));
        if (n == port) list.selected = static_cast<int>(list.entries.size() - 1);
    }
}

void showPortInList(PortList& list, std::uint32_t port) {
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (portNumberOfEntry(list.entries[i]) == port) list.selected = static_cast<int>(i);
    }
}

std::uint32_t readPortFromList(const PortList& list) {
    if (list.selected < 0 || static_cast<std::size_t>(list.selected) >= list.entries.size()) {
        return 0;
    }
    return portNumberOfEntry(list.entries[static_cast<std::size_t>(list.selected)]);
}
