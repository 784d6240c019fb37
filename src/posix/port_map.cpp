#include "posix/port_map.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <string_view>
#include <system_error>

#include "link/port_list.h"

namespace fs = std::filesystem;

namespace {

struct DeviceBlock {
    std::string_view prefix;
    std::uint32_t firstPort;
};

constexpr std::array<DeviceBlock, 3> kBlocks{{{"ttyS", 1}, {"ttyUSB", 65}, {"ttyACM", 129}}};
constexpr std::uint32_t kBlockSize = 64;

std::string linkName(std::uint32_t port) {
    return "COM" + std::to_string(port);
}

// COM<n> exactly, n = 1-255 without leading zeros; anything else is not a port link.
std::uint32_t portOfLinkName(const std::string& name) {
    const std::uint32_t n = portNumberOfEntry(name);
    return n != 0 && name.rfind("COM", 0) == 0 && name == linkName(n) ? n : 0;
}

}  // namespace

PortMap::PortMap(fs::path portFolder, fs::path devRoot, fs::path sysTtyRoot)
    : portFolder_(std::move(portFolder)),
      devRoot_(std::move(devRoot)),
      sysTtyRoot_(std::move(sysTtyRoot)) {}

std::optional<fs::path> PortMap::linkedPath(std::uint32_t port) const {
    std::error_code ec;
    const fs::path link = portFolder_ / linkName(port);
    if (fs::is_symlink(fs::symlink_status(link, ec))) return link;
    return std::nullopt;
}

std::optional<std::string> PortMap::blockDeviceName(std::uint32_t port) const {
    for (const DeviceBlock& block : kBlocks) {
        if (port < block.firstPort || port >= block.firstPort + kBlockSize) continue;
        std::string name = std::string(block.prefix) + std::to_string(port - block.firstPort);
        std::error_code ec;
        if (!fs::exists(devRoot_ / name, ec)) return std::nullopt;
        if (block.firstPort == 1 && !isRealUart(name)) return std::nullopt;
        return name;
    }
    return std::nullopt;
}

// The kernel makes ttyS nodes for every possible 8250 port; only those with a
// device behind them and a known UART type are worth probing.
bool PortMap::isRealUart(const std::string& name) const {
    std::error_code ec;
    const fs::path sys = sysTtyRoot_ / name;
    if (!fs::exists(sys / "device", ec)) return false;
    std::ifstream typeFile(sys / "type");
    int type = -1;
    return !(typeFile >> type) || type != 0;
}

std::optional<fs::path> PortMap::devicePath(std::uint32_t port) const {
    if (port < 1 || port > ListedPorts::kMaxPort) return std::nullopt;
    if (auto link = linkedPath(port)) return link;
    if (auto name = blockDeviceName(port)) return devRoot_ / *name;
    return std::nullopt;
}

bool PortMap::enumeratePorts(ListedPorts& into) const {
    std::error_code ec;
    if (!fs::is_directory(devRoot_, ec)) return false;
    for (std::uint32_t port = 1; port <= ListedPorts::kMaxPort; ++port) {
        if (blockDeviceName(port)) into.add(port);
    }
    // A missing port folder just means that nothing is linked.
    for (fs::directory_iterator it(portFolder_, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_symlink(ec)) continue;
        if (const std::uint32_t port = portOfLinkName(it->path().filename().string())) {
            into.add(port);
        }
    }
    return true;
}

std::string PortMap::deviceLabel(std::uint32_t port) const {
    if (port < 1 || port > ListedPorts::kMaxPort) return {};
    std::string name;
    if (auto link = linkedPath(port)) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(*link, ec);
        if (ec) return {};
        const fs::path relative = target.lexically_relative("/dev");
        name = !relative.empty() && *relative.begin() != ".." ? relative.generic_string()
                                                              : target.filename().string();
    } else {
        name = blockDeviceName(port).value_or(std::string());
    }
    if (!name.empty() && accessDenied(port)) return "(" + name + ") (no access)";
    return name;
}

bool PortMap::accessDenied(std::uint32_t port) const {
    const auto path = devicePath(port);
    return path && ::access(path->c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}
