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

// "WxH" with both sides between 40 and 20000 pixels.
bool parseSize(std::string_view text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    const auto w = parseNumber<int>(text.substr(0, x));
    const auto h = parseNumber<int>(text.substr(x + 1));
    if (!w || !h || *w < 40 || *h < 40 || *w > 20000 || *h > 20000) return false;
    width = *w;
    height = *h;
    return true;
}

ParsedCommandLine usageError(std::string message) {
    ParsedCommandLine result;
    result.action = ParsedCommandLine::Action::usageError;
    result.error = std::move(message);
    return result;
}

bool takesValue(std::string_view option) {
    for (std::string_view known : {"--input", "--output", "--count", "--seconds", "--port",
                                   "--baud", "--format", "--since", "--until", "--size"})
        if (option == known) return true;
    return false;
}

}  // namespace

std::string_view logUsage() {
    return "Usage: zintavo-log --input FILE|- [options]\n"
           "       zintavo-log --port N|auto [--baud B] [options]\n"
           "       zintavo-log --from-log FILE [FILE ...] [options]\n"
           "       zintavo-log --list-ports | --detect\n"
           "Decodes the meter's frames and writes one log line per logged reading\n"
           "(Windows-1252, CR LF), exactly as the program's log file holds it; or\n"
           "reads the program's saved logs and writes their readings out.\n"
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
           "  --from-log FILE [FILE ...]\n"
           "                 read saved logs, in the order given; a line that is not a\n"
           "                 reading is skipped and counted on standard error. A log\n"
           "                 starts with the rows the program loaded from the log before\n"
           "                 it: where a file's first lines equal the previous file's\n"
           "                 last lines (the longest such run), they are written once.\n"
           "                 Then --format chooses:\n"
           "                   log    the lines as they are (the default)\n"
           "                   csv    as above, with each row's tag\n"
           "                   stats  per unit: readings, first and last time, the span\n"
           "                          between them, minimum, maximum, total and average\n"
           "                          (a plain mean, as the chart's selection shows it)\n"
           "                   svg    a picture of the program's chart of the readings,\n"
           "                          zoomed out so that all of them fit, with the MIN/MAX\n"
           "                          lines, tag and time marks; like the chart it shows at\n"
           "                          most the newest 32768 readings (of the span, with\n"
           "                          --since or --until)\n"
           "                 Log times carry no UTC offset: they take the local zone's\n"
           "                 for their date. In the hour the clock goes back, the lines\n"
           "                 after the wall clock steps back take the second offset.\n"
           "  --since TIME   only readings from TIME on, and\n"
           "  --until TIME   only readings before TIME (with --from-log): TIME is ISO 8601\n"
           "                 (2021-03-07T14:05:09, a Z or +01:00 after it if you like)\n"
           "                 or HH:MM[:SS] on the day of the logs' first reading\n"
           "  --size WxH     size of the svg picture in pixels, each side 40 to 20000\n"
           "                 (default 1200x400)\n"
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
    bool haveLogFiles = false;
    bool haveLogOnlyOption = false;   // one that only --from-log takes
    bool haveLiveOnlyOption = false;  // one that only a capture or a port takes
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
        if (option == "--from-log") {
            if (value) options.logFiles.emplace_back(*value);
            while (i + 1 < args.size() && !args[i + 1].starts_with("-"))
                options.logFiles.emplace_back(args[++i]);
            if (options.logFiles.empty() || (value && value->empty()))
                return usageError("--from-log needs the files of saved logs");
            haveLogFiles = true;
            haveRunOption = true;
            continue;
        }
        if (!takesValue(option)) return usageError("unknown option '" + std::string(args[i]) + "'");
        if (!value) {
            if (i + 1 == args.size()) return usageError(std::string(option) + " needs a value");
            value = args[++i];
        }
        haveRunOption = true;
        if (option == "--since" || option == "--until" || option == "--size") {
            haveLogOnlyOption = true;
        } else if (option != "--output" && option != "--format") {
            haveLiveOnlyOption = true;
        }
        if (option == "--since" || option == "--until") {
            const auto limit = parseTimeLimit(*value);
            if (!limit)
                return usageError(std::string(option) +
                                  " needs an ISO 8601 time or HH:MM[:SS], not '" +
                                  std::string(*value) + "'");
            (option == "--since" ? options.since : options.until) = limit;
        } else if (option == "--size") {
            if (!parseSize(*value, options.pictureWidth, options.pictureHeight))
                return usageError("--size needs WxH, each from 40 to 20000 pixels");
        } else if (option == "--input") {
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
            } else if (*value == "stats") {
                options.format = LogOptions::Format::stats;
            } else if (*value == "svg") {
                options.format = LogOptions::Format::svg;
            } else {
                return usageError("--format needs log, csv, stats or svg");
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
    if (haveLogFiles) {
        if (haveLiveOnlyOption)
            return usageError(
                "--from-log takes only --format, --output, --since, --until and "
                "--size");
        options.command = LogOptions::Command::fromLog;
        return result;
    }
    if (haveLogOnlyOption) return usageError("--since, --until and --size go with --from-log");
    if (options.format == LogOptions::Format::stats || options.format == LogOptions::Format::svg)
        return usageError("--format stats and svg go with --from-log");
    if (haveInput == havePort) return usageError("give either --input or --port (see --help)");
    if (haveBaud && !havePort) return usageError("--baud goes with --port");
    return result;
}
