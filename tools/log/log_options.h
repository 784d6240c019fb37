#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "time_limit.h"

// What one run of zintavo-log is asked to do.
struct LogOptions {
    enum class Command { log, listPorts, detect, fromLog };
    enum class Format { log, csv, stats, svg };

    Command command = Command::log;
    Format format = Format::log;         // of the lines written by Command::log
    std::string input;                   // byte stream to decode; "-" = stdin; empty with a port
    std::optional<std::string> output;   // file to append to; stdout when unset
    std::optional<std::uint64_t> count;  // stop after this many logged lines
    std::optional<double> seconds;       // stop after this long
    std::uint32_t port = 0;              // live port 1-255; 0 with autoPort or input
    bool autoPort = false;               // find the meter's port first
    std::uint32_t baud = 2400;           // one of kLineRates
    std::vector<std::string> logFiles;   // saved logs to read, in this order (Command::fromLog)
    std::optional<TimeLimit> since;      // readings from this time on
    std::optional<TimeLimit> until;      // readings before this time
    int pictureWidth = 1200;             // of --format svg
    int pictureHeight = 400;
};

// The outcome of reading the command line.
struct ParsedCommandLine {
    enum class Action { run, help, usageError };
    Action action = Action::run;
    LogOptions options;
    std::string error;  // one line, for usageError
};

// Reads the arguments after the program name. Options take their value as the
// next argument or after "=" ("--count 5", "--count=5").
ParsedCommandLine parseLogOptions(std::span<const std::string_view> args);

// The text of --help.
std::string_view logUsage();
