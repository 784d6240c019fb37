#pragma once

#include "link/serial_ports.h"
#include "posix/port_map.h"

// The serial ports of a POSIX machine, numbered by a PortMap.
class PosixSerialPorts final : public SerialPorts {
  public:
    explicit PosixSerialPorts(const PortMap& map) : map_(map) {}

    bool enumeratePorts(ListedPorts& into) override { return map_.enumeratePorts(into); }
    std::unique_ptr<SerialDevice> makeDevice() override;

  private:
    const PortMap& map_;
};
