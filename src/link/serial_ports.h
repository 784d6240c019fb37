#pragma once

#include <memory>

#include "link/listed_ports.h"
#include "link/serial_device.h"

// The machine's serial ports as detection sees them: which numbers exist, and
// a fresh device object for each probe.
class SerialPorts {
  public:
    virtual ~SerialPorts() = default;
    // Adds the ports the system knows to the set; false when it cannot be asked.
    virtual bool enumeratePorts(ListedPorts& into) = 0;
    virtual std::unique_ptr<SerialDevice> makeDevice() = 0;
};
