#include "posix/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

speed_t speedOf(std::uint32_t baud) {
    switch (baud) {
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;  // B0 would hang up the line, so it marks "unsupported"
    }
}

tcflag_t sizeFlag(std::uint8_t dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

}  // namespace

PosixSerialDevice::PosixSerialDevice(const PortMap& map) : map_(map) {}

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

OpenResult PosixSerialDevice::open(std::uint32_t portNumber) {
    if (fd_ >= 0) return OpenResult::opened();
    const auto path = map_.devicePath(portNumber);
    if (!path) return OpenResult::failed();
    const int fd = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // TIOCEXCL refuses everyone but root with EBUSY.
    if (fd < 0) return errno == EBUSY ? OpenResult::busy() : OpenResult::failed();
    // One program per line: a port another window (or probe) holds is left
    // alone, closed again without a flush that would take its bytes. The lock
    // also holds against root, whom TIOCEXCL does not stop.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? OpenResult::busy() : OpenResult::failed();
    }
    ioctl(fd, TIOCEXCL);
    fd_ = fd;
    return OpenResult::opened();
}

void PosixSerialDevice::purge() {
    if (fd_ >= 0) tcflush(fd_, TCIOFLUSH);
}

bool PosixSerialDevice::configure(const LineSettings& line) {
    const speed_t speed = speedOf(line.baud);
    if (fd_ < 0 || speed == B0 || line.dataBits < 5 || line.dataBits > 8) return false;
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | sizeFlag(line.dataBits);
    if (line.parity != LineSettings::Parity::none) tio.c_cflag |= PARENB;
    if (line.parity == LineSettings::Parity::odd) tio.c_cflag |= PARODD;
    if (line.stopBits == LineSettings::StopBits::two) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    const bool configured = tcsetattr(fd_, TCSANOW, &tio) == 0;
    // The meter draws its power from DTR and RTS; a device without modem lines
    // (a pseudo-terminal) refuses this, which must not fail the open.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd_, TIOCMBIS, &lines);
    return configured;
}

SerialIo PosixSerialDevice::queued() {
    if (fd_ < 0) return {0, true};
    // Asked twenty times a second, mostly with nothing there: one poll says
    // whether there is anything to count, and a hung-up or failed device says
    // so only through it.
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, 0);
    if (ready < 0) return {0, errno != EINTR && errno != EAGAIN};
    if (ready == 0) return {0, false};
    int count = 0;
    if ((p.revents & POLLIN) != 0) {
        if (ioctl(fd_, FIONREAD, &count) != 0) return {0, true};
        if (count > 0) return {static_cast<std::size_t>(count), false};
    }
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return {0, true};
    return {0, false};
}

SerialIo PosixSerialDevice::read(std::span<std::uint8_t> into) {
    if (fd_ < 0) return {0, true};
    if (into.empty()) return {0, false};
    for (;;) {
        const ssize_t n = ::read(fd_, into.data(), into.size());
        if (n > 0) return {static_cast<std::size_t>(n), false};
        if (n == 0) return {0, false};  // raw mode with VMIN 0: simply nothing there
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return {0, false};
        return {0, true};  // EIO and the like: the device is gone
    }
}

void PosixSerialDevice::close() {
    if (fd_ < 0) return;
    tcflush(fd_, TCIOFLUSH);
    // A line that stays up (a pseudo-terminal) would stay exclusive otherwise.
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}
