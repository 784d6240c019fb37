#pragma once

#ifdef _WIN32

#include <QAbstractNativeEventFilter>
#include <functional>

// Passes the window messages Qt has no event for to the window: power
// broadcasts (with their event code) and device changes.
class NativeEventFilter : public QAbstractNativeEventFilter {
  public:
    NativeEventFilter(std::function<void(unsigned)> onPower, std::function<void()> onDevice)
        : onPower_(std::move(onPower)), onDevice_(std::move(onDevice)) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    std::function<void(unsigned)> onPower_;
    std::function<void()> onDevice_;
};

#endif
