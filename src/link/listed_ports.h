#pragma once

#include <bitset>
#include <cstdint>

// The set of serial port numbers 1-255 known to the program. Ports are added,
// never removed, so a port that vanishes keeps its place in the list.
class ListedPorts {
  public:
    static constexpr std::uint32_t kMaxPort = 255;

    void add(std::uint32_t port) {
        if (port >= 1 && port <= kMaxPort) bits_.set(port - 1);
    }
    bool contains(std::uint32_t port) const {
        return port >= 1 && port <= kMaxPort && bits_.test(port - 1);
    }
    void clear() { bits_.reset(); }
    bool empty() const { return bits_.none(); }

  private:
    std::bitset<256> bits_;  // bit n-1 stands for port n
};
