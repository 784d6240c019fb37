#include "qt_window/native_event_filter.h"

#ifdef _WIN32

#include <windows.h>

bool NativeEventFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                          qintptr* result) {
    if (eventType != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_POWERBROADCAST) {
        onPower_(static_cast<unsigned>(msg->wParam));
        *result = 0;
        return true;
    }
    if (msg->message == WM_DEVICECHANGE) onDevice_();
    return false;
}

#endif
