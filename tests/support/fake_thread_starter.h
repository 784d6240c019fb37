#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "link/thread_starter.h"

// Holds probe bodies until the test runs them, so the order in which probes of
// different detections end is up to the test. A thread not yet run runs when joined.
class DeferredThreadStarter final : public ThreadStarter {
  public:
    bool failStarts = false;

    std::unique_ptr<Thread> start(std::function<void()> body) override {
        if (failStarts) return nullptr;
        auto shared =
            std::make_shared<std::function<void()>>([inner = std::move(body), ran = ran_] {
                inner();
                ++*ran;
            });
        pending_.push_back(shared);
        return std::make_unique<DeferredThread>(shared);
    }
    // Runs the first count bodies still pending, in the order they were started.
    void runPending(std::size_t count = SIZE_MAX) {
        while (count-- > 0 && !pending_.empty()) {
            auto body = pending_.front();
            pending_.erase(pending_.begin());
            runOnce(*body);
        }
    }
    std::size_t pendingCount() const { return pending_.size(); }
    std::size_t ranCount() const { return *ran_; }

  private:
    static void runOnce(std::function<void()>& body) {
        if (!body) return;
        auto run = std::move(body);
        body = nullptr;
        run();
    }
    class DeferredThread final : public Thread {
      public:
        explicit DeferredThread(std::shared_ptr<std::function<void()>> body)
            : body_(std::move(body)) {}
        ~DeferredThread() override { join(); }
        void join() override { runOnce(*body_); }

      private:
        std::shared_ptr<std::function<void()>> body_;
    };
    std::vector<std::shared_ptr<std::function<void()>>> pending_;
    std::shared_ptr<std::size_t> ran_ = std::make_shared<std::size_t>(0);
};
