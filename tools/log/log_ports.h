#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "link/serial_ports.h"
#include "link/thread_starter.h"

// The device name shown beside a port number ("" for none).
using PortLabel = std::function<std::string(std::uint32_t)>;

// The entries of the program's port list for the ports the system knows
// ("COM65 (ttyUSB0)"), without its empty first entry. Opens nothing.
std::vector<std::string> portEntries(SerialPorts& ports, const PortLabel& label);

// Runs one auto-detection, as the program does with no port chosen, and
// prints the list entry of the port found. 0 when one was found, 1 when none
// carries a meter (or `stop` said so first), with a note saying which.
int detectMeter(SerialPorts& ports, ThreadStarter& threads, const PortLabel& label,
                const std::function<bool()>& stop, std::ostream& out, std::ostream& notes);
