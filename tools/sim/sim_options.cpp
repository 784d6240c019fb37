#include "sim_options.h"

#include <charconv>
#include <cmath>
#include <set>

const std::string_view kSimUsage =
    "Usage: zintavo-sim [options]\n"
    "Streams meter frames at 2400 baud on a pseudo-terminal linked as a COM port in\n"
    "<config>/Vorrelind/Zintavo.ports, and prints \"COM<n> <device>\" once it is ready.\n"
    "\n"
    "  --port N       link as COM<N>, 1-255 (default: the first free number from 200)\n"
    "  --script FILE  frames to send, one per line:\n"
    "                   function subfunction range count [neg] [hold] [rel] [manual]\n"
    "                 '#' starts a comment; blank lines are skipped\n"
    "  --rate R       frames per second (default 2; more than the line carries\n"
    "                 sends them back to back)\n"
    "  --repeat N     play the script N times, 0 = forever (default 1)\n"
    "  --speed N      run the line N times faster than the meter's 2400 baud\n"
    "                 (1-100, default 1): a flood no meter sends, for tests\n"
    "  --garbage P    send stray bytes and a cut frame before a frame with\n"
    "                 probability P (0-1); the frame after them stays intact\n"
    "  --seed S       seed for --garbage, for repeatable runs\n"
    "  --raw FILE     send the bytes of FILE as they are, then end\n"
    "  --stats FILE   write the counts of what was sent to FILE at the end\n"
    "                 (default: print them on standard error)\n"
    "  --help         show this text\n"
    "\n"
    "Without --script or --raw a demo walks through the meter's functions forever.\n"
    "Ends at the end of the script or file, or on SIGINT/SIGTERM, and removes its link.\n";

namespace {

bool parseUnsigned(std::string_view text, std::uint64_t max, std::uint64_t& out) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty() || value > max) {
        return false;
    }
    out = value;
    return true;
}

bool parseNumber(std::string_view text, double& out) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

// Applies one option with its value; returns the complaint, if any.
std::string apply(SimOptions& o, std::string_view name, std::string_view value) {
    const std::string shown = "--" + std::string(name) + " '" + std::string(value) + "'";
    std::uint64_t whole = 0;
    double real = 0;
    if (name == "port") {
        if (!parseUnsigned(value, 255, whole) || whole == 0) return shown + ": expected 1-255";
        o.port = static_cast<int>(whole);
    } else if (name == "script") {
        o.scriptFile = std::string(value);
    } else if (name == "raw") {
        o.rawFile = std::string(value);
    } else if (name == "stats") {
        o.statsFile = std::string(value);
    } else if (name == "rate") {
        if (!parseNumber(value, real) || real <= 0) return shown + ": expected a number above 0";
        o.rate = real;
    } else if (name == "speed") {
        if (!parseUnsigned(value, 100, whole) || whole == 0) return shown + ": expected 1 to 100";
        o.speed = static_cast<unsigned>(whole);
    } else if (name == "repeat") {
        if (!parseUnsigned(value, UINT32_MAX, whole)) return shown + ": expected a whole number";
        o.repeat = static_cast<unsigned>(whole);
    } else if (name == "garbage") {
        if (!parseNumber(value, real) || real < 0 || real > 1) {
            return shown + ": expected a probability from 0 to 1";
        }
        o.garbage = real;
    } else if (name == "seed") {
        if (!parseUnsigned(value, UINT64_MAX, whole)) return shown + ": expected a whole number";
        o.seed = whole;
    }
    return {};
}

constexpr std::string_view kValued[] = {"port",   "script",  "raw",  "stats", "rate",
                                        "repeat", "garbage", "seed", "speed"};

bool takesValue(std::string_view name) {
    for (std::string_view v : kValued) {
        if (v == name) return true;
    }
    return false;
}

// Combinations that cannot mean anything sensible.
std::string checkCombination(const SimOptions& o, const std::set<std::string_view>& given) {
    if (o.rawFile) {
        for (std::string_view other : {"script", "rate", "repeat", "garbage", "seed"}) {
            if (given.count(other) != 0) {
                return "--raw sends the file as it is and cannot be combined with --" +
                       std::string(other);
            }
        }
    }
    if (given.count("repeat") != 0 && !o.scriptFile) return "--repeat needs --script";
    return {};
}

}  // namespace

SimOptionsResult parseSimOptions(std::span<const std::string_view> args) {
    SimOptionsResult result;
    std::set<std::string_view> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.options.help = true;
            continue;
        }
        if (arg.substr(0, 2) != "--" || arg.size() == 2) {
            result.error = "unexpected argument '" + std::string(arg) + "'";
            return result;
        }
        std::string_view name = arg.substr(2);
        std::string_view value;
        const auto eq = name.find('=');
        const bool inlineValue = eq != std::string_view::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (!takesValue(name)) {
            result.error = "unknown option '--" + std::string(name) + "'";
            return result;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                result.error = "--" + std::string(name) + " needs a value";
                return result;
            }
            value = args[++i];
        }
        if (value.empty()) {
            result.error = "--" + std::string(name) + " needs a value";
            return result;
        }
        if (!given.insert(name).second) {
            result.error = "--" + std::string(name) + " given more than once";
            return result;
        }
        result.error = apply(result.options, name, value);
        if (!result.error.empty()) return result;
    }
    result.error = checkCombination(result.options, given);
    return result;
}
