#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "link/listed_ports.h"

// Gives the serial devices of a Linux machine stable port numbers 1-255.
// A symbolic link COM<n> in the port folder maps n to whatever it points at and
// wins; otherwise fixed blocks: ttyS<k> -> k+1, ttyUSB<k> -> k+65, ttyACM<k> ->
// k+129 (k = 0-63). The roots are parameters so tests can use a temporary tree.
class PortMap {
  public:
    explicit PortMap(std::filesystem::path portFolder, std::filesystem::path devRoot = "/dev",
                     std::filesystem::path sysTtyRoot = "/sys/class/tty");

    // The path to open for this port, or nothing when no device is mapped to it.
    std::optional<std::filesystem::path> devicePath(std::uint32_t port) const;
    // Adds every mapped port to the set. False when the device folder cannot be
    // read (the set is unchanged then).
    bool enumeratePorts(ListedPorts& into) const;
    // Short device name shown beside the number ("ttyUSB0", "pts/3"); empty when
    // the port is not mapped. A device this user may not open is shown so:
    // "(ttyUSB0) (no access)", which the port list takes as it is.
    std::string deviceLabel(std::uint32_t port) const;
    // True when the port's device exists but this user may not read and write
    // it (not in its group, typically "dialout"). Opens nothing.
    bool accessDenied(std::uint32_t port) const;

  private:
    std::optional<std::filesystem::path> linkedPath(std::uint32_t port) const;
    std::optional<std::string> blockDeviceName(std::uint32_t port) const;
    bool isRealUart(const std::string& name) const;

    std::filesystem::path portFolder_;
    std::filesystem::path devRoot_;
    std::filesystem::path sysTtyRoot_;
};
