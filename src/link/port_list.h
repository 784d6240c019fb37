#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/listed_ports.h"

// The model behind the port drop-down: entry 0 is empty (automatic detection),
// then "COM<n>" for every listed port in ascending order, optionally followed by
// the device name ("COM65 (ttyUSB0)").
struct PortList {
    std::vector<std::string> entries;
    int selected = -1;  // -1: nothing selected
};

// The decimal number that starts at the fourth character of an entry; 0 for
// shorter entries and for anything that is not a port number 1-255.
std::uint32_t portNumberOfEntry(std::string_view entry);

// Rebuilds the list from the set and selects the entry of port (none when the
// port is 0 or not listed). label may name the device of a port ("" for none),
// shown in parentheses; a label that starts with "(" is shown as it is, so
// that a note can follow the name ("(ttyUSB0) (no access)").
void fillPortList(PortList& list, const ListedPorts& listed, std::uint32_t port,
                  const std::function<std::string(std::uint32_t)>& label = {});

// Selects the entry of port; leaves the selection alone when there is none.
void showPortInList(PortList& list, std::uint32_t port);

// The port number of the selected entry; 0 for the empty entry or no selection.
std::uint32_t readPortFromList(const PortList& list);
