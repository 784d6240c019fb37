#include "posix_port_link.h"

#include <sys/stat.h>

#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr int kFirstDefaultPort = 200;
constexpr int kLastPort = 255;
const std::string kPtyFolder = "/dev/pts/";

bool later(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

enum class Attempt { linked, busy, failed };

Attempt tryLink(const fs::path& entry, const std::string& device, std::string& error) {
    std::error_code ec;
    if (inspectLink(entry) == LinkState::stale) fs::remove(entry, ec);
    fs::create_symlink(device, entry, ec);
    if (!ec) return Attempt::linked;
    // Taken, or another simulator got there first.
    if (ec == std::errc::file_exists) return Attempt::busy;
    error = "cannot create " + entry.string() + ": " + ec.message();
    return Attempt::failed;
}

}  // namespace

LinkState inspectLink(const fs::path& entry) {
    std::error_code ec;
    const auto status = fs::symlink_status(entry, ec);
    if (status.type() == fs::file_type::not_found) return LinkState::absent;
    if (status.type() != fs::file_type::symlink) return LinkState::taken;
    const fs::path target = fs::read_symlink(entry, ec);
    if (ec || target.string().rfind(kPtyFolder, 0) != 0) return LinkState::taken;
    struct stat device {};
    struct stat link {};
    if (::stat(target.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return LinkState::stale;
    if (::lstat(entry.c_str(), &link) != 0) return LinkState::taken;
    // Terminal numbers are handed out again: a terminal made after the link is not the one
    // the link was made for.
    return later(device.st_ctim, link.st_ctim) ? LinkState::stale : LinkState::taken;
}

std::optional<PortLink> PortLink::claim(const fs::path& folder, std::optional<int> port,
                                        const std::string& device, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return std::nullopt;
    }
    const int first = port.value_or(kFirstDefaultPort);
    const int last = port.value_or(kLastPort);
    // A number asked for by name is looked at a few times: the terminal of a
    // simulator killed a moment ago may outlive it briefly on a busy machine.
    const int looks = port ? 10 : 1;
    for (int look = 0; look < looks; ++look) {
        if (look > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (int n = first; n <= last; ++n) {
            const fs::path entry = folder / ("COM" + std::to_string(n));
            switch (tryLink(entry, device, error)) {
                case Attempt::linked:
                    return PortLink(n, entry, device);
                case Attempt::failed:
                    return std::nullopt;
                case Attempt::busy:
                    break;
            }
        }
    }
    error = port ? "COM" + std::to_string(*port) + " is taken in " + folder.string()
                 : "no free COM number from " + std::to_string(kFirstDefaultPort) + " to " +
                       std::to_string(kLastPort) + " in " + folder.string();
    return std::nullopt;
}

PortLink::PortLink(int port, fs::path path, std::string device)
    : port_(port), path_(std::move(path)), device_(std::move(device)) {}

PortLink::PortLink(PortLink&& other) noexcept
    : port_(other.port_),
      path_(std::exchange(other.path_, {})),
      device_(std::move(other.device_)) {}

PortLink::~PortLink() {
    if (path_.empty()) return;
    std::error_code ec;
    if (fs::read_symlink(path_, ec) == fs::path(device_) && !ec) fs::remove(path_, ec);
}
