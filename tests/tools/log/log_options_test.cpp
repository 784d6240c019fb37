#include "log_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ParsedCommandLine parse(std::vector<std::string_view> args) {
    return parseLogOptions(args);
}

TEST(LogOptions, ValidCommandLines) {
    struct Case {
        std::vector<std::string_view> args;
        std::string input;
        std::uint32_t port;
        bool autoPort;
        std::uint32_t baud;
        std::optional<std::uint64_t> count;
        std::optional<double> seconds;
        std::optional<std::string> output;
        LogOptions::Format format = LogOptions::Format::log;
        LogOptions::Command command = LogOptions::Command::log;
        std::vector<std::string> logFiles = {};
        std::string size = "1200x400";
        std::optional<TimeLimit> since = {};
    };
    const TimeLimit twoPm{false, {1970, 1, 1, 14, 0, 0}, {}};
    const Case cases[] = {
        {{"--input", "-"}, "-", 0, false, 2400, {}, {}, {}},
        {{"--input=cap.bin", "--count", "5", "--output", "a.log"},
         "cap.bin",
         0,
         false,
         2400,
         5u,
         {},
         "a.log"},
        {{"--port", "3"}, "", 3, false, 2400, {}, {}, {}},
        {{"--port", "auto", "--baud=9600", "--seconds", "1.5"}, "", 0, true, 9600, {}, 1.5, {}},
        {{"--port", "255", "--count=18446744073709551615"},
         "",
         255,
         false,
         2400,
         18446744073709551615u,
         {},
         {}},
        {{"--port", "auto", "--port", "7"}, "", 7, false, 2400, {}, {}, {}},
        {{"--port", "1", "--baud", "110", "--format", "csv"},
         "",
         1,
         false,
         110,
         {},
         {},
         {},
         LogOptions::Format::csv},
        {{"--input=-", "--format=csv", "--format=log", "--count=1"},
         "-",
         0,
         false,
         2400,
         1u,
         {},
         {}},
        {{"--port", "9", "--baud=256000"}, "", 9, false, 256000, {}, {}, {}},
        {{"--list-ports"}, "", 0, false, 2400, {}, {}, {}, {}, LogOptions::Command::listPorts},
        {{"--detect"}, "", 0, false, 2400, {}, {}, {}, {}, LogOptions::Command::detect},
        {{"--from-log", "a.log", "b.log", "--format", "svg", "--size=640x200", "--since", "14:00"},
         "",
         0,
         false,
         2400,
         {},
         {},
         {},
         LogOptions::Format::svg,
         LogOptions::Command::fromLog,
         {"a.log", "b.log"},
         "640x200",
         twoPm},
        {{"--from-log=a.log", "--output", "o.csv", "--from-log", "c.log", "--format", "csv",
          "--since", "2021-03-07T14:05:09+01:00"},
         "",
         0,
         false,
         2400,
         {},
         {},
         "o.csv",
         LogOptions::Format::csv,
         LogOptions::Command::fromLog,
         {"a.log", "c.log"},
         "1200x400",
         TimeLimit{true, {2021, 3, 7, 14, 5, 9}, 60}},
        {{"--from-log", "a.log", "--format=stats", "--since", "2021-10-31 02:30Z"},
         "",
         0,
         false,
         2400,
         {},
         {},
         {},
         LogOptions::Format::stats,
         LogOptions::Command::fromLog,
         {"a.log"},
         "1200x400",
         TimeLimit{true, {2021, 10, 31, 2, 30, 0}, 0}},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parse(c.args);
        ASSERT_EQ(parsed.action, ParsedCommandLine::Action::run) << parsed.error;
        EXPECT_EQ(parsed.options.input, c.input);
        EXPECT_EQ(parsed.options.port, c.port);
        EXPECT_EQ(parsed.options.autoPort, c.autoPort);
        EXPECT_EQ(parsed.options.baud, c.baud);
        EXPECT_EQ(parsed.options.count, c.count);
        EXPECT_EQ(parsed.options.seconds, c.seconds);
        EXPECT_EQ(parsed.options.output, c.output);
        EXPECT_EQ(parsed.options.format, c.format);
        EXPECT_EQ(parsed.options.command, c.command);
        EXPECT_EQ(parsed.options.logFiles, c.logFiles);
        EXPECT_EQ(std::to_string(parsed.options.pictureWidth) + "x" +
                      std::to_string(parsed.options.pictureHeight),
                  c.size);
        EXPECT_EQ(parsed.options.since, c.since);
    }
}

TEST(LogOptions, HelpWinsAndErrorsNameTheProblem) {
    struct Case {
        std::vector<std::string_view> args;
        ParsedCommandLine::Action action;
        const char* errorPart;
    };
    const Case cases[] = {
        {{"--input", "x", "--help"}, ParsedCommandLine::Action::help, ""},
        {{"--help=yes"}, ParsedCommandLine::Action::usageError, "--help"},
        {{"--input", "x", "--count", "99999999999999999999"},
         ParsedCommandLine::Action::usageError,
         "--count"},
        {{"--port", "auto", "--seconds", "0"}, ParsedCommandLine::Action::usageError, "--seconds"},
        {{"--port", "auto", "--seconds", "inf"},
         ParsedCommandLine::Action::usageError,
         "--seconds"},
        {{"--port", "3x"}, ParsedCommandLine::Action::usageError, "--port"},
        {{"--port", "2", "--baud", "0"}, ParsedCommandLine::Action::usageError, "--baud"},
        {{"--port", "2", "--baud", "12345"},
         ParsedCommandLine::Action::usageError,
         "line rates 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, "
         "128000, 256000"},
        {{"--port", "2", "--baud", "230400"}, ParsedCommandLine::Action::usageError, "--baud"},
        {{"--port", "2", "--format", "xml"}, ParsedCommandLine::Action::usageError, "--format"},
        {{"--list-ports", "--port", "2"},
         ParsedCommandLine::Action::usageError,
         "--list-ports takes no other"},
        {{"--detect", "--format", "csv"}, ParsedCommandLine::Action::usageError, "--detect takes"},
        {{"--detect", "--list-ports"}, ParsedCommandLine::Action::usageError, "either"},
        {{"--detect=now"}, ParsedCommandLine::Action::usageError, "no value"},
        {{"--input", ""}, ParsedCommandLine::Action::usageError, "--input"},
        {{"--output", "o.log"}, ParsedCommandLine::Action::usageError, "--input or --port"},
        {{"input.bin"}, ParsedCommandLine::Action::usageError, "input.bin"},
        {{"--count"}, ParsedCommandLine::Action::usageError, "needs a value"},
        {{"--from-log"}, ParsedCommandLine::Action::usageError, "--from-log needs"},
        {{"--from-log", "a.log", "--count", "3"}, ParsedCommandLine::Action::usageError, "only"},
        {{"--from-log", "a.log", "--input", "x"}, ParsedCommandLine::Action::usageError, "only"},
        {{"--input", "x", "--format", "svg"}, ParsedCommandLine::Action::usageError, "svg go"},
        {{"--input", "x", "--since", "14:00"}, ParsedCommandLine::Action::usageError, "go with"},
        {{"--from-log", "a", "--size", "39x400"}, ParsedCommandLine::Action::usageError, "WxH"},
        {{"--from-log", "a", "--size", "640"}, ParsedCommandLine::Action::usageError, "--size"},
        {{"--from-log", "a", "--since", "24:00"}, ParsedCommandLine::Action::usageError, "24:00"},
        {{"--from-log", "a", "--until", "2021-02-29T10:00"},
         ParsedCommandLine::Action::usageError,
         "--until"},
        {{"--from-log", "a", "--until", "14:00+01:00"},
         ParsedCommandLine::Action::usageError,
         "ISO 8601"},
        {{"--from-log", "a", "--until", "2021-03-07T14:00:00+0"},
         ParsedCommandLine::Action::usageError,
         "--until"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parse(c.args);
        EXPECT_EQ(parsed.action, c.action) << c.args.front();
        EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
}

}  // namespace
