#include "win32/win32_serial_ports.h"

#include <windows.h>

#include <string_view>

#include "link/port_list.h"
#include "win32/win32_serial_device.h"

bool Win32SerialPorts::enumeratePorts(ListedPorts& into) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kDeviceMapKey, &key) != ERROR_SUCCESS) return false;
    for (DWORD index = 0;; ++index) {
        char name[128];
        DWORD nameSize = sizeof name;
        BYTE data[32];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result =
            RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;  // too long or unreadable: not a port name
        // The data is the port's name, with or without its terminator; the
        // number starts at the fourth character.
        std::string_view text(reinterpret_cast<const char*>(data), dataSize);
        into.add(portNumberOfEntry(text.substr(0, text.find('\0'))));
    }
    RegCloseKey(key);
    return true;
}

std::unique_ptr<SerialDevice> Win32SerialPorts::makeDevice() {
    return std::make_unique<Win32SerialDevice>();
}

std::string serialDeviceName(std::uint32_t port) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Win32SerialPorts::kDeviceMapKey, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return {};
    std::string label;
    for (DWORD index = 0;; ++index) {
        char name[128];
        DWORD nameSize = sizeof name;
        BYTE data[32];
        DWORD dataSize = sizeof data;
        const LONG result =
            RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, data, &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;
        std::string_view text(reinterpret_cast<const char*>(data), dataSize);
        if (portNumberOfEntry(text.substr(0, text.find('\0'))) != port) continue;
        const std::string_view device(name, nameSize);
        label = std::string(device.substr(device.find_last_of('\\') + 1));
        break;
    }
    RegCloseKey(key);
    return label;
}
