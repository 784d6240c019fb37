#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>

// Turns termination signals into bytes on a pipe, so that the event loop can
// end the program the orderly way (saving the list) instead of dying in a
// signal handler. One instance per process; the handlers are restored when it
// is destroyed.
class SignalPipe {
  public:
    explicit SignalPipe(std::initializer_list<int> signals);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    bool valid() const { return readFd_ >= 0; }
    // Becomes readable when a signal has arrived.
    int readFd() const { return readFd_; }
    // The next signal number waiting on the pipe, or 0 when none is.
    int takeSignal();

  private:
    int readFd_ = -1;
    int writeFd_ = -1;
    std::array<int, 8> signals_{};
    std::size_t signalCount_ = 0;
};
