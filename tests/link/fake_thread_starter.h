#pragma once

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
        auto shared = std::make_shared<std::function<void()>>(std::move(body));
        pending_.push_back(shared);
        return std::make_unique<DeferredThread>(shared);
    }
    // Runs the bodies started so far (in order) and forgets them.
    void runPending() {
        auto batch = std::move(pending_);
        pending_.clear();
        for (auto& body : batch) runOnce(*body);
    }
    std::size_t pendingCount() const { return pending_.size(); }

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
};
