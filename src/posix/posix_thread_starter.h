#pragma once

#include <cstddef>

#include "link/thread_starter.h"

// Plain pthreads with a small stack: probes only wait, read 64 bytes and judge.
class PosixThreadStarter final : public ThreadStarter {
  public:
    // The smallest stack the platform allows, raised to minStack (sanitizer
    // builds need far more than a probe itself does).
    explicit PosixThreadStarter(std::size_t minStack = kDefaultMinStack);

    std::unique_ptr<Thread> start(std::function<void()> body) override;
    std::size_t stackSize() const { return stackSize_; }

#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kSanitized = true;
#elif defined(__has_feature)
    static constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
    static constexpr bool kSanitized = false;
#endif
    static constexpr std::size_t kDefaultMinStack = kSanitized ? 256 * 1024 : 64 * 1024;

  private:
    std::size_t stackSize_;
};
