#include "posix_stream_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

PosixStreamDevice::PosixStreamDevice(const std::string& path) {
    if (path == "-") {
        fd_ = STDIN_FILENO;
        return;
    }
    // Without O_NONBLOCK, opening a FIFO waits for a writer, beyond the reach
    // of the stop signals. Reads never block anyway: each is preceded by poll().
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return;
    ownsFd_ = true;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        ownsFd_ = false;
    }
}

std::optional<FileIdentity> posixFileIdentity(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode)))
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<FileIdentity> PosixStreamDevice::identity() const {
    return posixFileIdentity(fd_);
}

PosixStreamDevice::~PosixStreamDevice() {
    if (ownsFd_) ::close(fd_);
}

PosixStreamDevice::Fill PosixStreamDevice::pull(std::chrono::milliseconds wait,
                                                std::vector<std::uint8_t>& queue) {
    pollfd watch{fd_, POLLIN, 0};
    const int ready = ::poll(&watch, 1, static_cast<int>(wait.count()));
    if (ready == 0 || (ready < 0 && errno == EINTR)) return Fill::idle;
    if (ready < 0) return Fill::end;
    const std::size_t had = queue.size();
    queue.resize(had + kPiece);
    const ssize_t got = ::read(fd_, queue.data() + had, kPiece);
    queue.resize(had + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got > 0) return Fill::data;
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return Fill::idle;
    return Fill::end;
}
