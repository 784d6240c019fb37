#pragma once

#include "link/thread_starter.h"

// Probe threads through CreateThread with a small initial stack: a probe only
// waits, reads 64 bytes and judges them.
class Win32ThreadStarter final : public ThreadStarter {
  public:
    static constexpr unsigned kStackSize = 2048;

    std::unique_ptr<Thread> start(std::function<void()> body) override;
};
