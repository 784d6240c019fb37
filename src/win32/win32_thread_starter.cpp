#include "win32/win32_thread_starter.h"

#include <windows.h>

namespace {

class Win32Thread final : public ThreadStarter::Thread {
  public:
    explicit Win32Thread(HANDLE handle) : handle_(handle) {}
    Win32Thread(const Win32Thread&) = delete;
    Win32Thread& operator=(const Win32Thread&) = delete;
    ~Win32Thread() override { join(); }
    void join() override {
        if (handle_ == nullptr) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

  private:
    HANDLE handle_;
};

DWORD WINAPI runBody(LPVOID arg) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
    (*body)();
    return 1;
}

}  // namespace

std::unique_ptr<ThreadStarter::Thread> Win32ThreadStarter::start(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    // The size is the initial commit; the stack still grows up to the
    // program's reserve, so a deeper call cannot overflow it.
    HANDLE handle = CreateThread(nullptr, kStackSize, runBody, owned.get(), 0, nullptr);
    if (handle == nullptr) return nullptr;
    owned.release();  // the thread owns it now
    return std::make_unique<Win32Thread>(handle);
}
