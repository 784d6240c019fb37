#pragma once

#include <cstdint>
#include <string>

#include "link/serial_ports.h"

// The serial ports Windows lists in its serial device map
// (HKEY_LOCAL_MACHINE "HARDWARE\DEVICEMAP\SERIALCOMM"), opened as Win32SerialDevice.
class Win32SerialPorts final : public SerialPorts {
  public:
    static constexpr const char* kDeviceMapKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

    // Adds the port each entry names ("COM12" is 12) when it is 1-255.
    bool enumeratePorts(ListedPorts& into) override;
    std::unique_ptr<SerialDevice> makeDevice() override;
};

// The device behind a port as the serial device map names it ("Serial0" for
// "\\Device\\Serial0"), shown beside the number in the port list; "" when unknown.
std::string serialDeviceName(std::uint32_t port);
