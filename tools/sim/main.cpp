// zintavo-sim: a meter on a pseudo-terminal, for trying the program without one and for
// driving it in end-to-end tests.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "frame_streamer.h"
#include "posix/posix_user_paths.h"
#include "posix_port_link.h"
#include "posix_pty.h"
#include "posix_pty_line.h"
#include "posix_stop_signals.h"
#include "script_line.h"
#include "sim_options.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kRunError = 1;

int fail(int status, const std::string& message) {
    std::cerr << "zintavo-sim: " << message << '\n';
    if (status == kUsageError) std::cerr << "Try 'zintavo-sim --help'.\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const SimOptionsResult parsed = parseSimOptions(args);
    if (!parsed.error.empty()) return fail(kUsageError, parsed.error);
    const SimOptions& options = parsed.options;
    if (options.help) {
        std::cout << kSimUsage;
        return 0;
    }

    // Everything is read and checked before a port is linked, so bad input leaves no trace.
    std::vector<std::uint8_t> raw;
    ReadingSource source = ReadingSource::demo();
    if (options.rawFile) {
        std::ifstream in(*options.rawFile, std::ios::binary);
        if (!in) return fail(kUsageError, "cannot read " + *options.rawFile);
        raw.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else if (options.scriptFile) {
        std::ifstream in(*options.scriptFile);
        if (!in) return fail(kUsageError, "cannot read " + *options.scriptFile);
        Script script = parseScript(in);
        if (script.errorLine != 0) {
            return fail(kUsageError, *options.scriptFile + ":" + std::to_string(script.errorLine) +
                                         ": " + script.error);
        }
        if (script.frames.empty()) return fail(kUsageError, *options.scriptFile + ": no frames");
        source = ReadingSource::script(std::move(script.frames), options.repeat);
    }
    std::optional<GarbageMaker> garbage;
    if (options.garbage > 0) {
        const std::uint64_t seed = options.seed.value_or(std::random_device{}());
        if (!options.seed) std::cerr << "zintavo-sim: garbage seed " << seed << '\n';
        garbage.emplace(options.garbage, seed);
    }

    StopSignals signals;
    std::string error;
    const auto pty = PosixPty::open(error);
    if (!pty) return fail(kRunError, error);
    const UserPaths paths = currentUserPaths();
    if (paths.configFolder.empty())
        return fail(kRunError, "neither XDG_CONFIG_HOME nor HOME is set");
    const std::filesystem::path folder = paths.portFolder();
    const auto link = PortLink::claim(folder, options.port, pty->slavePath(), error);
    if (!link) return fail(kRunError, error);
    std::cout << "COM" << link->port() << ' ' << pty->slavePath() << std::endl;

    PosixPtyLine line(*pty, signals);
    LineSchedule schedule(options.rawFile ? 0.0 : options.rate, options.speed);
    const StreamStats stats =
        options.rawFile ? streamBytes(raw, schedule, line)
                        : streamFrames(source, schedule, garbage ? &*garbage : nullptr, line);
    if (!stats.stopped && line.waitUntil(schedule.lineFreeAt())) line.drain();

    if (options.statsFile) {
        std::ofstream out(*options.statsFile);
        out << formatStats(stats) << '\n';
        if (!out.flush()) return fail(kRunError, "cannot write " + *options.statsFile);
    } else {
        std::cerr << "zintavo-sim: " << formatStats(stats) << '\n';
    }
    return 0;
}
