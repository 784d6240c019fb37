#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// What probes wait on between polls. Once signalled it stays signalled, so one
// signal ends every probe of a detection (used when the detection is abandoned
// or its owner shuts down).
class ProbeEvent {
  public:
    void signal();
    // True when signalled, at once or within the timeout.
    bool waitFor(std::chrono::milliseconds timeout);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};
