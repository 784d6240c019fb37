#include "posix/posix_signal_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

// A signal handler can reach no object, so the write end is the one value it
// needs from outside; it is set once by the SignalPipe and cleared with it.
std::atomic<int> handlerWriteFd{-1};

extern "C" void forwardSignal(int signo) {
    const int savedErrno = errno;
    const int fd = handlerWriteFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signo);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

bool makeNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

}  // namespace

SignalPipe::SignalPipe(std::initializer_list<int> signals) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    if (!makeNonBlocking(fds[0]) || !makeNonBlocking(fds[1])) {
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    handlerWriteFd.store(writeFd_);
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : signals) {
        if (signalCount_ == signals_.size()) break;
        if (::sigaction(signo, &action, nullptr) == 0) signals_[signalCount_++] = signo;
    }
}

SignalPipe::~SignalPipe() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (std::size_t i = 0; i < signalCount_; ++i) ::sigaction(signals_[i], &standard, nullptr);
    handlerWriteFd.store(-1);
    if (readFd_ >= 0) ::close(readFd_);
    if (writeFd_ >= 0) ::close(writeFd_);
}

int SignalPipe::takeSignal() {
    unsigned char byte = 0;
    if (readFd_ < 0 || ::read(readFd_, &byte, 1) != 1) return 0;
    return byte;
}
