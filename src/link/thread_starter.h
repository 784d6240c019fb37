#pragma once

#include <functional>
#include <memory>

// Starts the short-lived probe threads. Behind an interface so that the
// platform decides the stack size and tests can run probes in place.
class ThreadStarter {
  public:
    class Thread {
      public:
        virtual ~Thread() = default;  // joins if join() was not called
        virtual void join() = 0;
    };

    virtual ~ThreadStarter() = default;
    // Runs body on a new thread; nullptr when the thread could not be started.
    virtual std::unique_ptr<Thread> start(std::function<void()> body) = 0;
};
