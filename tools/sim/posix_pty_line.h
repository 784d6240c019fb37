#pragma once

#include <chrono>

#include "frame_streamer.h"
#include "posix_pty.h"
#include "posix_stop_signals.h"

// The simulator's line: bytes written to the pseudo-terminal at their scheduled times,
// counted from the moment the object is made.
class PosixPtyLine : public LineSink {
  public:
    PosixPtyLine(const PosixPty& pty, StopSignals& signals);

    bool waitUntil(LineSchedule::Duration offset) override;
    bool send(std::uint8_t byte) override;

    // Gives a reader the chance to take the last bytes before the terminal closes (which
    // throws away whatever is unread): waits until the queue is empty, or until a second
    // passes with nobody reading.
    void drain();

  private:
    const PosixPty& pty_;
    StopSignals& signals_;
    std::chrono::steady_clock::time_point start_;
};
