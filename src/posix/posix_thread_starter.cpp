#include "posix/posix_thread_starter.h"

#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>

namespace {

class PosixThread final : public ThreadStarter::Thread {
  public:
    explicit PosixThread(pthread_t id) : id_(id) {}
    ~PosixThread() override { join(); }
    void join() override {
        if (joinable_) pthread_join(id_, nullptr);
        joinable_ = false;
    }

  private:
    pthread_t id_;
    bool joinable_ = true;
};

void* runBody(void* arg) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
    (*body)();
    return nullptr;
}

std::size_t platformMinStack() {
    const long fromSystem = sysconf(_SC_THREAD_STACK_MIN);
    return fromSystem > 0 ? static_cast<std::size_t>(fromSystem)
                          : static_cast<std::size_t>(PTHREAD_STACK_MIN);
}

}  // namespace

PosixThreadStarter::PosixThreadStarter(std::size_t minStack)
    : stackSize_(std::max(platformMinStack(), minStack)) {}

std::unique_ptr<ThreadStarter::Thread> PosixThreadStarter::start(std::function<void()> body) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return nullptr;
    pthread_attr_setstacksize(&attr, stackSize_);
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    pthread_t id{};
    const int started = pthread_create(&id, &attr, runBody, owned.get());
    pthread_attr_destroy(&attr);
    if (started != 0) return nullptr;
    owned.release();  // the thread owns it now
    return std::make_unique<PosixThread>(id);
}
