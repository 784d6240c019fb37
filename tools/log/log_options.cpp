#include "log_options.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "settings/line_rates.h"

namespace {

template <typename T>
std::optional<T> parseNumber(std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

ParsedCommandLine usageError(std::string message) {
    ParsedCommandLine result;
    result.action = ParsedCommandLine::Action::usageError;
    result.error = std::move(message);
    return result;
}

bool takesValue(std::string_view option) {
    for (std::string_view known :
         {"--input", "--output", "--count", "--seconds", "--port", "--baud", "--format"})
        if (option == known) return true;
    return false;
}

}  // namespace

std::string_view logUsage() {
    return "Usage: zintavo-log --input FILE|- [options]\n"
           "       zintavo-log --port N|auto [--baud B] [options]\n"
           "       zintavo-log --list-ports | --detect\n"
           "Decodes the meter's frames and writes one log line per logged reading\n"
           "(Windows-1252, CR LF), exactly as the program's log file holds it.\n"
           "\n"
           "  --input FILE   read the bytes of a capture (- for standard input)\n"
           "  --port N       read live from COM port N (1-255), opened at once\n"
           "  --port auto    find the meter's port first, then read from it\n"
           "  --baud B       line rate for --port (default 2400): 110, 300, 600, 1200,\n"
           "                 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200,\n"
           "                 128000 or 256000\n"
           "  --output FILE  append the lines to FILE instead of standard output\n"
           "                 (never the input itself)\n"
           "  --format csv   write CSV instead: UTF-8, a header line time,value,unit,tag,\n"
           "                 then per reading its local time in ISO 8601 with the UTC\n"
           "                 offset, the value as the meter shows it, its unit and an\n"
           "                 empty tag (--format log is the default)\n"
           "  --count N      stop after N logged lines\n"
           "  --seconds S    stop after S seconds\n"
           "  --list-ports   print the serial ports as the program's port list shows\n"
           "                 them, one per line; opens none of them\n"
           "  --detect       listen on every port for about a second and print the one\n"
           "                 that carries the meter\n"
           "  --help         show this text\n"
           "\n"
           "Ctrl-C (SIGINT) or SIGTERM ends a run; every line written is complete.\n"
           "Exit status: 0 done, 1 input, output or port failure (--detect: no meter\n"
           "found), 2 bad command line.\n";
}

ParsedCommandLine parseLogOptions(std::span<const std::string_view> args) {
    ParsedCommandLine result;
    LogOptions& options = result.options;
    bool haveInput = false;
    bool havePort = false;
    bool haveBaud = false;
    bool haveRunOption = false;  // one that only a logging run takes
    bool haveListPorts = false;
    bool haveDetect = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view option = args[i];
        std::optional<std::string_view> value;
        if (const auto eq = option.find('=');
            option.starts_with("--") && eq != std::string_view::npos) {
            value = option.substr(eq + 1);
            option = option.substr(0, eq);
        }
        if (option == "--help" || option == "-h") {
            if (value) return usageError("--help takes no value");
            result.action = ParsedCommandLine::Action::help;
            return result;
        }
        if (option == "--list-ports" || option == "--detect") {
            if (value) return usageError(std::string(option) + " takes no value");
            (option == "--list-ports" ? haveListPorts : haveDetect) = true;
            continue;
        }
        if (!takesValue(option)) return usageError("unknown option '" + std::string(args[i]) + "'");
        if (!value) {
            if (i + 1 == args.size()) return usageError(std::string(option) + " needs a value");
            value = args[++i];
        }
        haveRunOption = true;
        if (option == "--input") {
            if (value->empty()) return usageError("--input needs a file name");
            options.input = *value;
            haveInput = true;
        } else if (option == "--output") {
            if (value->empty()) return usageError("--output needs a file name");
            options.output = std::string(*value);
        } else if (option == "--count") {
            const auto n = parseNumber<std::uint64_t>(*value);
            if (!n || *n == 0) return usageError("--count needs a whole number above 0");
            options.count = n;
        } else if (option == "--seconds") {
            const auto s = parseNumber<double>(*value);
            if (!s || !std::isfinite(*s) || *s <= 0)
                return usageError("--seconds needs a number of seconds above 0");
            options.seconds = s;
        } else if (option == "--port") {
            if (*value == "auto") {
                options.autoPort = true;
                options.port = 0;
            } else {
                const auto n = parseNumber<std::uint32_t>(*value);
                if (!n || *n < 1 || *n > 255) return usageError("--port needs 1-255 or auto");
                options.autoPort = false;
                options.port = *n;
            }
            havePort = true;
        } else if (option == "--baud") {
            const auto b = parseNumber<std::uint32_t>(*value);
            if (!b || !isLineRate(*b))
                return usageError("--baud needs one of the line rates " + lineRateList());
            options.baud = *b;
            haveBaud = true;
        } else if (option == "--format") {
            if (*value == "log") {
                options.format = LogOptions::Format::log;
            } else if (*value == "csv") {
                options.format = LogOptions::Format::csv;
            } else {
                return usageError("--format needs log or csv");
            }
        }
    }
    if (haveListPorts || haveDetect) {
        if (haveListPorts && haveDetect) return usageError("give either --list-ports or --detect");
        const char* which = haveListPorts ? "--list-ports" : "--detect";
        if (haveRunOption) return usageError(std::string(which) + " takes no other option");
        options.command =
            haveListPorts ? LogOptions::Command::listPorts : LogOptions::Command::detect;
        return result;
    }
    if (haveInput == havePort) return usageError("give either --input or --port (see --help)");
    if (haveBaud && !havePort) return usageError("--baud goes with --port");
    return result;
}
