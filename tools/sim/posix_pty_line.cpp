#include "posix_pty_line.h"

#include <unistd.h>

#include <cerrno>

PosixPtyLine::PosixPtyLine(const PosixPty& pty, StopSignals& signals)
    : pty_(pty), signals_(signals), start_(std::chrono::steady_clock::now()) {}

bool PosixPtyLine::waitUntil(LineSchedule::Duration offset) {
    return signals_.sleepUntil(start_ + offset);
}

bool PosixPtyLine::send(std::uint8_t byte) {
    while (true) {
        const ssize_t n = ::write(pty_.master(), &byte, 1);
        if (n == 1) return true;
        // A full queue (nobody reading) loses the byte, as a real line would.
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

void PosixPtyLine::drain() {
    using namespace std::chrono;
    // A busy machine can keep a reader away for more than a second.
    constexpr auto kPatience = seconds(5);
    constexpr auto kPoll = milliseconds(10);
    // Written bytes reach the reader's queue a moment later, not at once.
    constexpr auto kSettle = milliseconds(100);
    if (!signals_.sleepUntil(steady_clock::now() + kSettle)) return;
    int last = pty_.unreadBytes();
    auto giveUp = steady_clock::now() + kPatience;
    while (last > 0 && steady_clock::now() < giveUp) {
        if (!signals_.sleepUntil(steady_clock::now() + kPoll)) return;
        const int now = pty_.unreadBytes();
        if (now < last) giveUp = steady_clock::now() + kPatience;
        last = now;
    }
}
