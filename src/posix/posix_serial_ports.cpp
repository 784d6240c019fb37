#include "posix/posix_serial_ports.h"

#include "posix/posix_serial_device.h"

std::unique_ptr<SerialDevice> PosixSerialPorts::makeDevice() {
    return std::make_unique<PosixSerialDevice>(map_);
}
