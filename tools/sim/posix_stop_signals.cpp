#include "posix_stop_signals.h"

#include <time.h>

StopSignals::StopSignals() {
    sigemptyset(&stopSet_);
    sigaddset(&stopSet_, SIGINT);
    sigaddset(&stopSet_, SIGTERM);
    sigaddset(&stopSet_, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSet_, &previous_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previousPipe_);
}

StopSignals::~StopSignals() {
    sigaction(SIGPIPE, &previousPipe_, nullptr);
    sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

bool StopSignals::sleepUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    while (!stopped_) {
        const auto left = deadline - steady_clock::now();
        if (left <= steady_clock::duration::zero()) return true;
        const auto secs = duration_cast<seconds>(left);
        timespec wait{};
        wait.tv_sec = static_cast<time_t>(secs.count());
        wait.tv_nsec = static_cast<long>(duration_cast<nanoseconds>(left - secs).count());
        // Returns early with the signal, or on timeout / an unrelated interruption.
        if (sigtimedwait(&stopSet_, nullptr, &wait) > 0) stopped_ = true;
    }
    return false;
}
