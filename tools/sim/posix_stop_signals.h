#pragma once

#include <signal.h>

#include <chrono>

// Holds SIGINT, SIGTERM and SIGHUP back for the life of the object and takes them only
// while sleeping, so a stop always lets the simulator tidy up (remove its link) first.
// SIGPIPE is ignored meanwhile: whoever reads our output may go away before we end.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Sleeps until the deadline; false (now and from then on) once a stop signal came.
    bool sleepUntil(std::chrono::steady_clock::time_point deadline);
    bool stopped() const { return stopped_; }

  private:
    sigset_t stopSet_;
    sigset_t previous_;
    struct sigaction previousPipe_ {};
    bool stopped_ = false;
};
