#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The command line of zintavo-sim.
struct SimOptions {
    std::optional<int> port;  // COM number; none = first free from 200
    std::optional<std::string> scriptFile;
    std::optional<std::string> rawFile;
    std::optional<std::string> statsFile;
    double rate = 2.0;     // frames per second
    unsigned repeat = 1;   // plays of the script; 0 = forever
    unsigned speed = 1;    // the line's speed as a multiple of 2400 baud
    double garbage = 0.0;  // chance of junk before each frame
    std::optional<std::uint64_t> seed;
    bool help = false;
};

// Either the options or the reason they were refused.
struct SimOptionsResult {
    SimOptions options;
    std::string error;  // empty when the command line is good
};

// Parses the arguments after the program name. Accepts "--name value" and "--name=value".
SimOptionsResult parseSimOptions(std::span<const std::string_view> args);

extern const std::string_view kSimUsage;
