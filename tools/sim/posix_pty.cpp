#include "posix_pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

std::string failure(const char* what) {
    return std::string(what) + ": " + strerror(errno);
}

}  // namespace

std::optional<PosixPty> PosixPty::open(std::string& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        error = failure("posix_openpt");
        return std::nullopt;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        error = failure("cannot prepare the pseudo-terminal");
        ::close(master);
        return std::nullopt;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        error = failure(name);
        ::close(master);
        return std::nullopt;
    }
    // From here on the object owns both descriptors.
    PosixPty pty(master, slave, name);

    termios tio{};
    if (tcgetattr(slave, &tio) != 0) {
        error = failure("tcgetattr");
        return std::nullopt;
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, B2400);
    cfsetospeed(&tio, B2400);
    const int flags = fcntl(master, F_GETFL);
    if (tcsetattr(slave, TCSANOW, &tio) != 0 || flags < 0 ||
        fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = failure("cannot configure the pseudo-terminal");
        return std::nullopt;
    }
    return pty;
}

PosixPty::PosixPty(int master, int slave, std::string slavePath)
    : master_(master), slave_(slave), slavePath_(std::move(slavePath)) {}

PosixPty::PosixPty(PosixPty&& other) noexcept
    : master_(std::exchange(other.master_, -1)),
      slave_(std::exchange(other.slave_, -1)),
      slavePath_(std::move(other.slavePath_)) {}

PosixPty::~PosixPty() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

int PosixPty::unreadBytes() const {
    int queued = 0;
    return ioctl(slave_, FIONREAD, &queued) == 0 ? queued : 0;
}
