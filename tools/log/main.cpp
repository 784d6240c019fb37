// zintavo-log: the program's receive loop and logging rule without a window.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "log_options.h"
#include "log_platform.h"
#include "log_session.h"
#include "saved_log_conversion.h"

namespace {

int fail(int status, std::string_view message) {
    std::cerr << "zintavo-log: " << message << std::endl;
    return status;
}

// Whether a file just opened for appending already holds something.
bool holdsText(std::FILE* file) {
    return std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) > 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = parseLogOptions(args);
    switch (parsed.action) {
        case ParsedCommandLine::Action::help:
            std::cout << logUsage();
            return 0;
        case ParsedCommandLine::Action::usageError:
            return fail(2, parsed.error);
        case ParsedCommandLine::Action::run:
            break;
    }
    const LogOptions& options = parsed.options;
    LogPlatform platform(argc, argv);
    switch (options.command) {
        case LogOptions::Command::listPorts:
            return platform.listPorts(std::cout, std::cerr);
        case LogOptions::Command::detect:
            return platform.detect(std::cout, std::cerr);
        case LogOptions::Command::log:
        case LogOptions::Command::fromLog:
            break;
    }

    std::unique_ptr<StreamDevice> input;
    if (!options.input.empty()) {
        input = platform.openStream(options.input);
        if (!input->valid()) return fail(1, "cannot read " + options.input);
    }
    std::FILE* out = stdout;
    if (options.output) {
        out = platform.openOutput(*options.output);
        if (out == nullptr)
            return platform.stopRequested()
                       ? 0
                       : fail(1, "cannot open " + *options.output + " for appending");
    }
    // Appending the lines to a file being read would feed them back in.
    const auto feedsBack = [&](const StreamDevice& read) {
        return read.valid() && platform.writesToInput(read, out);
    };
    std::optional<std::string> fedBack;
    if (input && feedsBack(*input)) fedBack = options.input;
    for (const std::string& path : options.logFiles)
        if (!fedBack && feedsBack(*platform.openStream(path))) fedBack = path;
    if (fedBack) {
        if (out != stdout) std::fclose(out);
        return fail(2, (options.output ? "--output " + *options.output : "standard output") +
                           " is the input file " + *fedBack);
    }
    if (options.command == LogOptions::Command::fromLog) {
        SavedLogConversion conversion(options, out, std::cerr, out != stdout && holdsText(out));
        const int status = conversion.run();
        if (out != stdout) std::fclose(out);
        return status;
    }
    SystemClock clock;
    LogSession session(
        options, clock, out, std::cerr, [&platform] { return platform.stopRequested(); },
        out != stdout && holdsText(out));

    const int status = input ? session.runStream(*input) : platform.runLivePort(session, options);
    if (out != stdout) std::fclose(out);
    return status;
}
