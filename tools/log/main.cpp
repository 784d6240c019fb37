// zintavo-log: the program's receive loop and logging rule without a window.
#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include "log_options.h"
#include "log_platform.h"
#include "log_session.h"

namespace {

int fail(int status, std::string_view message) {
    std::cerr << "zintavo-log: " << message << std::endl;
    return status;
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

    std::FILE* out = stdout;
    if (options.output) {
        out = std::fopen(options.output->c_str(), "ab");
        if (out == nullptr) return fail(1, "cannot open " + *options.output + " for appending");
    }
    SystemClock clock;
    LogSession session(options, clock, out, std::cerr,
                       [&platform] { return platform.stopRequested(); });

    int status = 0;
    if (options.input.empty()) {
        status = platform.runLivePort(session, options);
    } else {
        const auto input = platform.openStream(options.input);
        if (!input->valid()) {
            status = fail(1, "cannot read " + options.input);
        } else {
            status = session.runStream(*input);
        }
    }
    if (out != stdout) std::fclose(out);
    return status;
}
