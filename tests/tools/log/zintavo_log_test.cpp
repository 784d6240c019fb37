// Drives the real zintavo-log binary: byte streams in, log lines and exit
// statuses out. Time limits are generous upper bounds.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "capture_builder.h"
#include "chart/chart_renderer.h"
#include "chart/chart_view.h"
#include "chart/selection_statistics.h"
#include "drawing/recording_canvas.h"
#include "drawing/svg_canvas.h"
#include "history/log_reader.h"
#include "history/logged_reading.h"
#include "history/windows1252.h"
#include "log_csv.h"
#include "settings/settings.h"
#include "support/posix_child_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kPatience = 20s;

ChildRun runLogger(const std::vector<std::string>& args, std::string_view input = {},
                   const std::vector<std::string>& environment = {}) {
    return runChild(ZINTAVO_LOG_BINARY, args, input, environment, kPatience);
}

std::string bytesOf(const CaptureBuilder& capture) {
    const auto& s = capture.stream();
    return std::string(s.begin(), s.end());
}

// Each line must be "<date and time><tail>\r\n" with the date and time of
// processing in the log's 21-character form; only the tails are compared.
std::vector<std::string> tailsOf(const std::string& out) {
    static const std::regex stamp(
        "[ 1][0-9]/[0-3][0-9]/[0-9]{4} [ 1][0-9]:[0-5][0-9]:[0-5][0-9][AP]M");
    std::vector<std::string> tails;
    std::size_t at = 0;
    while (at < out.size()) {
        const std::size_t end = out.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "line without CR LF";
        if (end == std::string::npos) break;
        const std::string line = out.substr(at, end - at);
        EXPECT_TRUE(std::regex_match(line.substr(0, 21), stamp)) << line;
        tails.push_back(line.size() > 21 ? line.substr(21) : std::string());
        at = end + 2;
    }
    return tails;
}

std::size_t lineEnds(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Until the child has its handler for `sig` in place (Linux: SigCgt in
// /proc), a signal would end it by its default action instead.
bool catchesSignal(pid_t pid, int sig) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (!line.starts_with("SigCgt:")) continue;
            if ((std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1) return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// What Python's csv module reads from the file: JSON of its rows, each time
// field replaced by its UTC offset ("+0100") when it is an ISO 8601 time with
// an offset within ten minutes of now, or by "far: <time>" when it is not.
std::string readCsvWithPython(const std::string& path) {
    static const char* const kScript = R"(
import csv, datetime, json, sys
rows = list(csv.reader(open(sys.argv[1], newline="", encoding="utf-8")))
now = datetime.datetime.now(datetime.timezone.utc)
for row in rows[1:]:
    t = datetime.datetime.fromisoformat(row[0])
    near = t.tzinfo is not None and abs(t - now) < datetime.timedelta(minutes=10)
    row[0] = t.strftime("%z") if near else "far: " + row[0]
print(json.dumps(rows))
)";
    const ChildRun run = runChild(ZINTAVO_PYTHON3, {"-c", kScript, path});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

const FrameSpec kVolts{.function = 1, .range = 3, .count = 4660};
const std::string kVoltsTail = "   46.60 VDC";

TEST(ZintavoLog, LogsWhatTheProgramWouldLog) {
    struct Case {
        const char* what;
        CaptureBuilder capture;
        std::vector<std::string> tails;
    };
    const FrameSpec held{.function = 1, .range = 3, .count = 4660, .status = MeterReading::kHold};
    const Case cases[] = {
        {"one frame", CaptureBuilder().frame(kVolts), {kVoltsTail}},
        {"stray bytes are lost with the frame they run into",
         CaptureBuilder().bytes({0x00, 0x55}).frame(kVolts).frame({.function = 1, .count = 7}),
         {"      7 VDC"}},
        {"a stray frame end is cut off on its own",
         CaptureBuilder().bytes({0x12, 0xE5}).frame(kVolts),
         {kVoltsTail}},
        {"a cut frame spoils the next, the one after decodes",
         CaptureBuilder().cutFrame(kVolts, 9).frame(kVolts).frame(kVolts),
         {kVoltsTail}},
        {"250 bytes without a frame end are one dropped candidate",
         CaptureBuilder().bytes(std::vector<std::uint8_t>(250, 0x31)).frame(kVolts),
         {kVoltsTail}},
        {"249 stray bytes spoil the frame",
         CaptureBuilder().bytes(std::vector<std::uint8_t>(249, 0x31)).frame(kVolts),
         {}},
        {"held and over-range readings are not logged",
         CaptureBuilder()
             .frame(held)
             .frame({.function = 3, .count = 42000})
             .frame({.function = 3, .subfunction = 1, .count = 20000})
             .frame({.function = 4, .count = 2400})
             .frame({.function = 10, .count = 1}),
         {}},
        {"the largest in-range counts are logged",
         CaptureBuilder()
             .frame({.function = 3, .range = 1, .count = 41999})
             .frame({.function = 4, .count = 2399}),
         {"  4.1999 KOhms",
          "   239.9 \xB0"
          "C"}},
        {"a frame with a wrong position nibble is dropped",
         CaptureBuilder().bytes(
             {0x10, 0x20, 0x31, 0x42, 0x53, 0x64, 0x70, 0x83, 0x90, 0xA1, 0xB0, 0xD0, 0xC0, 0xE0}),
         {}},
        {"empty input", CaptureBuilder(), {}},
    };
    for (const Case& c : cases) {
        const ChildRun run = runLogger({"--input", "-"}, bytesOf(c.capture));
        EXPECT_EQ(run.status, 0) << c.what;
        EXPECT_EQ(tailsOf(run.out), c.tails) << c.what;
        EXPECT_EQ(run.err, "") << c.what;
    }
}

TEST(ZintavoLog, EveryFunctionCode) {
    struct Case {
        FrameSpec frame;
        std::string tail;
    };
    const Case cases[] = {
        {{.function = 0, .range = 1, .count = 1234}, "  0.1234 Vac"},
        {{.function = 0, .subfunction = 1, .range = 2, .count = 12345}, "  1.2345 KHz"},
        {{.function = 0, .subfunction = 2, .range = 2, .count = 5000}, "   5.000 %"},
        {{.function = 1, .range = 3, .count = 345, .negative = true}, "   -3.45 VDC"},
        {{.function = 2, .range = 5, .count = 12345}, "  1.2345 MHz"},
        {{.function = 2, .subfunction = 1, .count = 4999}, "   49.99 %"},
        {{.function = 3, .range = 0, .count = 1000}, "   10.00 Ohms"},
        {{.function = 3, .subfunction = 1, .count = 5678}, "  0.5678 V.Diode"},
        {{.function = 3, .subfunction = 2, .count = 120}, "    1.20 Ohms.Cont."},
        {{.function = 3, .subfunction = 3, .range = 3, .count = 1000},
         "  0.1000 \xB5"
         "F"},
        {{.function = 3, .subfunction = 3, .range = 6, .count = 2}, "  0.0002 mF"},
        {{.function = 4, .subfunction = 1, .count = 985},
         "    98.5 \xB0"
         "F"},
        {{.function = 5, .count = 1500}, "  0.1500 A DC"},
        {{.function = 6, .subfunction = 1, .range = 1, .count = 12345}, "  123.45 mA AC"},
        {{.function = 7, .count = 500}, "    5.00 %"},
        {{.function = 8, .count = 250, .negative = true},
         "   -2.50 \xB5"
         "A DC"},
        {{.function = 8, .range = 2, .count = 65535},
         "  65535. \xB5"
         "A DC"},
        {{.function = 9, .subfunction = 1, .count = 999}, "    9.99 mV AC"},
        {{.function = 11, .count = 7}, "      7 NC"},
    };
    CaptureBuilder capture;
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        capture.frame(c.frame);
        expected.push_back(c.tail);
    }
    const ChildRun run = runLogger({"--input", "-"}, bytesOf(capture));
    EXPECT_EQ(run.status, 0);
    const auto tails = tailsOf(run.out);
    ASSERT_EQ(tails.size(), expected.size());
    for (std::size_t i = 0; i < tails.size(); ++i)
        EXPECT_EQ(tails[i], expected[i]) << "function " << int{cases[i].frame.function};
}

class ZintavoLogFiles : public ::testing::Test {
  protected:
    std::string path(const char* name) const { return dir.file(name); }
    TempDir dir;
};

TEST_F(ZintavoLogFiles, CountStopsAfterThatManyLoggedLines) {
    CaptureBuilder capture;
    capture.frame({.function = 1, .count = 1})
        .frame({.function = 1, .count = 2, .status = MeterReading::kHold});
    for (std::uint16_t n = 3; n <= 6; ++n) capture.frame({.function = 1, .count = n});
    writeFileBytes(path("in.bin"), bytesOf(capture));
    struct Case {
        std::string count;
        std::vector<std::string> tails;
    };
    const Case cases[] = {
        {"1", {"      1 VDC"}},
        {"2", {"      1 VDC", "      3 VDC"}},
        {"99", {"      1 VDC", "      3 VDC", "      4 VDC", "      5 VDC", "      6 VDC"}},
    };
    for (const Case& c : cases) {
        const ChildRun run = runLogger({"--input", path("in.bin"), "--count", c.count});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(tailsOf(run.out), c.tails) << c.count;
    }
}

TEST_F(ZintavoLogFiles, OutputAppendsToTheFile) {
    writeFileBytes(path("in.bin"), bytesOf(CaptureBuilder().frame(kVolts)));
    writeFileBytes(path("out.log"), "earlier line\r\n");
    const std::vector<std::string> args{"--input", path("in.bin"), "--output", path("out.log")};
    for (int i = 0; i < 2; ++i) {
        const ChildRun run = runLogger(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "");
    }
    const std::string log = readFileBytes(path("out.log"));
    ASSERT_TRUE(log.starts_with("earlier line\r\n"));
    EXPECT_EQ(tailsOf(log.substr(14)), (std::vector<std::string>{kVoltsTail, kVoltsTail}));
}

// A FIFO that no program opens must not hold the logger where no signal
// reaches it: the run ends in time, or on SIGINT or SIGTERM, with status 0.
TEST_F(ZintavoLogFiles, AFifoNobodyOpensEndsOnASignalOrInTime) {
    ASSERT_EQ(mkfifo(path("in.fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(path("out.fifo").c_str(), 0600), 0);
    writeFileBytes(path("in.bin"), bytesOf(CaptureBuilder().frame(kVolts)));
    struct Case {
        std::vector<std::string> args;
        int sig;  // 0: none
    };
    const Case cases[] = {
        {{"--input", path("in.fifo"), "--seconds", "0.5"}, 0},
        {{"--input", path("in.fifo")}, SIGINT},
        {{"--input", path("in.fifo")}, SIGTERM},
        {{"--input", path("in.bin"), "--output", path("out.fifo")}, SIGTERM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + std::to_string(c.sig));
        ChildProcess logger(ZINTAVO_LOG_BINARY, c.args);
        if (c.sig != 0) {
            ASSERT_TRUE(catchesSignal(logger.pid(), c.sig));
            logger.signal(c.sig);
        }
        EXPECT_EQ(logger.wait(kPatience), 0);
        EXPECT_EQ(logger.output(), "");
        EXPECT_EQ(logger.errorOutput(), "");
    }
}

// Run as a user outside the device's group, the logger names the cause and the
// fix at once, and the port list marks the port.
TEST_F(ZintavoLogFiles, APortTheUserMayNotOpenIsNamedWithItsFix) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root and the user nobody";
    const fs::path ports = dir.path() / "config" / "Vorrelind" / "Zintavo.ports";
    fs::create_directories(ports);
    writeFileBytes(path("ttyUSB9"), "");
    fs::permissions(path("ttyUSB9"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(path("ttyUSB9"), ports / "COM201");
    // A copy that nobody may run, wherever the build folder is.
    fs::copy_file(ZINTAVO_LOG_BINARY, path("zintavo-log"));
    const std::vector<std::string> asNobody = {"--reuid=" + std::to_string(nobody->pw_uid),
                                               "--regid=" + std::to_string(nobody->pw_gid),
                                               "--clear-groups", path("zintavo-log")};
    const std::vector<std::string> environment = {
        "XDG_CONFIG_HOME=" + (dir.path() / "config").string(), "ASAN_OPTIONS=detect_leaks=0"};
    const auto run = [&](const std::vector<std::string>& args) {
        std::vector<std::string> all = asNobody;
        all.insert(all.end(), args.begin(), args.end());
        return runChild("setpriv", all, {}, environment);
    };
    const ChildRun list = run({"--list-ports"});
    if (list.status == 127) GTEST_SKIP() << "setpriv is not installed";
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("COM201 (ttyUSB9) (no access)\n"), std::string::npos) << list.out;

    const ChildRun live = run({"--port", "201"});
    EXPECT_EQ(live.status, 1);
    EXPECT_EQ(live.out, "");
    EXPECT_EQ(lineEnds(live.err), 1u) << live.err;
    EXPECT_NE(live.err.find("permission denied"), std::string::npos) << live.err;
    EXPECT_NE(live.err.find("sudo usermod -aG dialout $USER"), std::string::npos) << live.err;
}

TEST_F(ZintavoLogFiles, FailuresExitWithOneLineOnStderr) {
    const std::string capture = bytesOf(CaptureBuilder().frame(kVolts));
    writeFileBytes(path("in.bin"), capture);
    fs::create_directory(path("folder"));
    fs::create_symlink(path("in.bin"), path("link.bin"));
    fs::create_hard_link(path("in.bin"), path("hard.bin"));
    writeFileBytes(path("good.log"), " 3/07/2021  2:05:09PM    3.45 VDC\r\n");
    writeFileBytes(path("empty.log"), "");
    const std::string in = path("in.bin");
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{}, 2},
        {{"--frobnicate"}, 2},
        {{"--input"}, 2},
        {{"--input", in, "--count", "0"}, 2},
        {{"--input", in, "--count", "-3"}, 2},
        {{"--input", in, "--count=x"}, 2},
        {{"--input", in, "--port", "3"}, 2},
        {{"--port", "0"}, 2},
        {{"--port", "256"}, 2},
        {{"--port", "201", "--baud", "12345"}, 2},
        {{"--input", in, "--baud", "9600"}, 2},
        {{"--input", in, "--seconds", "nan"}, 2},
        // The output is the input: refused before a byte is written.
        {{"--input", in, "--output", in}, 2},
        {{"--input", path("hard.bin"), "--output", path("link.bin")}, 2},
        {{"--input", path("missing.bin")}, 1},
        {{"--input", path("folder")}, 1},
        {{"--input", in, "--output", path("folder")}, 1},
        {{"--input", in, "--output", path("no/such/dir.log")}, 1},
        {{"--from-log", path("good.log"), "--output", path("good.log")}, 2},
        {{"--from-log", path("missing.log")}, 1},
        {{"--from-log", path("good.log"), path("folder")}, 1},
        {{"--from-log", path("empty.log"), "--format", "csv"}, 1},
        {{"--from-log", in, "--format", "stats"}, 1},
        {{"--from-log", path("good.log"), "--output", path("folder")}, 1},
    };
    for (const Case& c : cases) {
        std::string what;
        for (const std::string& a : c.args) what += a + " ";
        const ChildRun run = runLogger(c.args);
        EXPECT_EQ(run.status, c.status) << what;
        EXPECT_EQ(run.out, "") << what;
        EXPECT_TRUE(run.err.starts_with("zintavo-log: ")) << what;
        EXPECT_EQ(lineEnds(run.err), 1u) << what << ": " << run.err;
    }
    EXPECT_EQ(readFileBytes(in), capture);
}

TEST(ZintavoLog, HelpGoesToStdoutWithExitZero) {
    for (const char* option : {"--help", "-h"}) {
        const ChildRun run = runLogger({option});
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.out.starts_with("Usage: zintavo-log")) << option;
        EXPECT_EQ(run.err, "");
    }
}

TEST(ZintavoLog, TerminationEndsAnOpenStreamWithEveryLineWritten) {
    ChildProcess logger(ZINTAVO_LOG_BINARY, {"--input", "-"});
    ASSERT_TRUE(logger.started());
    logger.write(bytesOf(CaptureBuilder().frame(kVolts).frame(kVolts)));
    logger.readLines(2, kPatience);
    logger.signal(SIGTERM);  // while stdin stays open
    EXPECT_EQ(logger.wait(kPatience), 0);
    EXPECT_EQ(tailsOf(logger.output()), (std::vector<std::string>{kVoltsTail, kVoltsTail}));
}

TEST(ZintavoLog, SecondsEndAStreamThatStaysOpen) {
    ChildProcess logger(ZINTAVO_LOG_BINARY, {"--input", "-", "--seconds", "0.3"});
    logger.write(bytesOf(CaptureBuilder().frame(kVolts)));
    EXPECT_EQ(logger.wait(kPatience), 0);
    EXPECT_EQ(tailsOf(logger.output()), std::vector<std::string>{kVoltsTail});
}

TEST(ZintavoLog, ShippedSampleCaptureIsTheGeneratedOne) {
    TempDir dir;
    const std::string fresh = dir.file("capture.bin");
    ASSERT_EQ(runChild(MAKE_SAMPLE_CAPTURE_BINARY, {fresh}).status, 0);
    EXPECT_EQ(readFileBytes(SAMPLE_CAPTURE_FILE), readFileBytes(fresh))
        << "regenerate with make_sample_capture";

    // Noise spoils the first frame, a cut frame the one after it; over-range
    // and held readings are shown but not logged.
    const ChildRun run = runLogger({"--input", SAMPLE_CAPTURE_FILE});
    EXPECT_EQ(run.status, 0);
    const auto tails = tailsOf(run.out);
    ASSERT_EQ(tails.size(), 32u);
    EXPECT_EQ(tails.front(), "    5.07 VDC");
    EXPECT_EQ(tails[23], "  0.4700 KOhms");
    EXPECT_EQ(tails[25],
              "  -123.4 \xB5"
              "A DC");
    EXPECT_EQ(tails.back(), "  0.5005 KHz");
}

// The logger's CSV under three time zones, followed by records with tags as a
// user types them: Python's csv module reads every field back as it was.
TEST(ZintavoLog, CsvReadsBackWithPythonsCsvModule) {
#ifndef ZINTAVO_PYTHON3
    GTEST_SKIP() << "no python3";
#else
    const std::string capture =
        bytesOf(CaptureBuilder()
                    .frame(kVolts)
                    .frame({.function = 0, .range = 1, .count = 5, .negative = true})
                    .frame({.function = 4, .count = 2399})
                    .frame({.function = 8, .count = 250, .negative = true})
                    .frame({.function = 11, .count = 12345}));
    const auto record = [](LocalDateTime when, const char* field, const char* unit,
                           const char* tag) {
        LoggedReading reading;
        reading.when = when;
        reading.valueField = field;
        reading.unit = unit;
        return formatCsvRecord(reading, tag);
    };
    const std::string tagged =
        record({2021, 3, 7, 14, 5, 9, 60}, "-0.0005", "\265A DC", "a,b") +
        record({2021, 12, 31, 23, 59, 59, -570}, " 12345", "NC", "say \"hi\"") +
        record({1999, 1, 2, 3, 4, 5, 0}, "      ", "\260C", "two\r\nlines, \351t\351");
    const std::pair<const char*, std::string> zones[] = {
        {"UTC0", "+0000"}, {"XYZ-14", "+1400"}, {"ABC+9:30", "-0930"}};  // TZ: west of UTC
    TempDir dir;
    for (const auto& [zone, o] : zones) {
        const ChildRun run =
            runLogger({"--input", "-", "--format", "csv"}, capture, {std::string("TZ=") + zone});
        EXPECT_EQ(run.status, 0) << run.err;
        writeFileBytes(dir.file("out.csv"), run.out + tagged);
        EXPECT_EQ(
            readCsvWithPython(dir.file("out.csv")),
            R"([["time", "value", "unit", "tag"], [")" + o + R"(", "46.60", "VDC", ""], [")" + o +
                R"(", "-0.0005", "Vac", ""], [")" + o + R"(", "239.9", "\u00b0C", ""], [")" + o +
                R"(", "-2.50", "\u00b5A DC", ""], [")" + o + R"(", "12345", "NC", ""], )" +
                R"(["far: 2021-03-07T14:05:09+01:00", "-0.0005", "\u00b5A DC", "a,b"], )" +
                R"(["far: 2021-12-31T23:59:59-09:30", "12345", "NC", "say \"hi\""], )" +
                R"(["far: 1999-01-02T03:04:05+00:00", "0", "\u00b0C", "two\r\nlines, \u00e9t\u00e9"]])" +
                "\n")
            << zone;
    }
    // Appended to a file that has its header, the records follow without another.
    writeFileBytes(dir.file("more.csv"), "time,value,unit,tag\r\n");
    runLogger({"--input", "-", "--format", "csv", "--output", dir.file("more.csv")},
              bytesOf(CaptureBuilder().frame(kVolts)));
    EXPECT_EQ(lineEnds(readFileBytes(dir.file("more.csv"))), 2u);
#endif
}

// The logger runs on a small board without a desktop: nothing it loads may be Qt.
TEST(ZintavoLog, LoadsNoQtLibrary) {
    const ChildRun run = runChild(ZINTAVO_LOG_BINARY, {}, {}, {"LD_TRACE_LOADED_OBJECTS=1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("libc.so"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("libQt"), std::string::npos) << run.out;
}

// A saved log's text: the lines with CR LF.
std::string logText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// A DC volts reading line of 7 March 2021, 2:MM:SS PM.
std::string volts(int minute, int second, const char* value, const char* tag = nullptr) {
    char line[96];
    std::snprintf(line, sizeof line, " 3/07/2021  2:%02d:%02dPM %7s VDC%s%s", minute, second, value,
                  tag ? "," : "", tag ? tag : "");
    return line;
}

TEST_F(ZintavoLogFiles, FromLogJoinsLogsWithoutTheRowsTheyCarry) {
    const std::string a = volts(5, 9, "3.45"), b = volts(5, 10, "-0.12", "probe moved"),
                      x = volts(5, 11, "1.00"), y = volts(5, 12, "2.00"), z = volts(6, 0, "5.00");
    struct Case {
        const char* what;
        std::vector<std::vector<std::string>> files;
        std::vector<std::string> args;
        std::vector<std::string> out;
        std::string note = "";
    };
    const Case cases[] = {
        {"the second log carries all of the first", {{a, b}, {a, b, x}}, {}, {a, b, x}},
        {"it carries the first's last rows", {{a, b, x}, {b, x, y}}, {}, {a, b, x, y}},
        {"logs without a common run", {{a, b}, {x, y}}, {}, {a, b, x, y}},
        {"alike readings of one second: only whole runs overlap",
         {{a, x, x}, {x, x, x, y}},
         {},
         {a, x, x, x, y}},
        {"a single alike line is no run of the longest overlap",
         {{a, b}, {b, a, b}},
         {},
         {a, b, a, b}},
        {"three logs, each carrying the one before", {{a}, {a, b}, {b, x}}, {}, {a, b, x}},
        {"lines that are not readings are skipped and counted",
         {{a, "garbage", b, "", " 3/07/2021  2:05:13PM"}, {b, x}},
         {},
         {a, b, x},
         "zintavo-log: " + path("0.log") + ": skipped 2 lines that are not readings\n"},
        {"a span by time of day",
         {{a, b, x, y, z}},
         {"--since", "14:05:10", "--until", "14:05:12"},
         {b, x}},
        {"a span in ISO 8601 with an offset",
         {{a, b, x, y, z}},
         {"--since", "2021-03-07T11:05:30-01:00"},
         {z}},
        {"an empty span", {{a, b}}, {"--since", "15:00"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--from-log"};
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            args.push_back(path((std::to_string(i) + ".log").c_str()));
            writeFileBytes(args.back(), logText(c.files[i]));
        }
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ChildRun run = runLogger(args, {}, {"TZ=XYZ-2"});
        EXPECT_EQ(run.status, 0) << c.what;
        EXPECT_EQ(run.out, logText(c.out)) << c.what;
        EXPECT_EQ(run.err, c.note) << c.what;
    }
}

// Log times take the zone's offset for their date; in the autumn hour the
// lines after the step back take the second offset.
TEST_F(ZintavoLogFiles, FromLogCsvTakesTheZonesOffsetsAndTheRowsTags) {
    const std::string lines = logText({
        " 3/28/2021  1:59:59AM    1.00 VDC",
        " 3/28/2021  3:00:00AM    2.00 VDC,say \"hi\", twice",
        "10/31/2021  2:10:00AM    3.00 VDC",
        "10/31/2021  2:59:59AM  -0.0005 \265A DC,\351t\351",
        "10/31/2021  2:00:00AM     4.5 VDC",
        "10/31/2021  2:30:00AM        NC",
        "10/31/2021  3:00:00AM   239.9 \260C,",
        "12/31/2021 11:59:59PM   12345 NC",
    });
    writeFileBytes(path("in.log"), lines);
    const std::string header = "time,value,unit,tag\r\n";
    const std::string central =
        header +
        "2021-03-28T01:59:59+01:00,1.00,VDC,\r\n"
        "2021-03-28T03:00:00+02:00,2.00,VDC,\"say \"\"hi\"\", twice\"\r\n"
        "2021-10-31T02:10:00+02:00,3.00,VDC,\r\n"
        "2021-10-31T02:59:59+02:00,-0.0005,\302\265A DC,\303\251t\303\251\r\n"
        "2021-10-31T02:00:00+01:00,4.5,VDC,\r\n"
        "2021-10-31T02:30:00+01:00,0,NC,\r\n"
        "2021-10-31T03:00:00+01:00,239.9,\302\260C,\r\n"
        "2021-12-31T23:59:59+01:00,12345,NC,\r\n";
    struct Case {
        const char* zone;
        std::string csv;
    };
    const Case cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", central},
        {"ABC+9:30", header + "2021-03-28T01:59:59-09:30,1.00,VDC,\r\n"},
    };
    for (const Case& c : cases) {
        const ChildRun run = runLogger({"--from-log", path("in.log"), "--format", "csv"}, {},
                                       {std::string("TZ=") + c.zone});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.substr(0, c.csv.size()), c.csv) << c.zone;
    }
}

// Whole seconds of the day of an ISO 8601 time ("2021-03-07T14:05:09+01:00").
int secondOfDay(const std::string& iso) {
    return std::stoi(iso.substr(11, 2)) * 3600 + std::stoi(iso.substr(14, 2)) * 60 +
           std::stoi(iso.substr(17, 2));
}

// `count` readings a second apart from 1:00:00 PM, as the program logs them;
// every 97th is tagged, one of them with characters that XML escapes.
std::vector<std::string> seriesLines(int count, const char* unit, int firstSecond = 0) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        const int t = firstSecond + i;
        const double value = 12.0 * std::sin(i / 40.0) + (i % 7) * 0.01 - 2.0;
        char line[96];
        std::snprintf(line, sizeof line, " 3/07/2021 %2d:%02d:%02dPM %7.2f %s", 1 + t / 3600 % 11,
                      t / 60 % 60, t % 60, value, unit);
        lines.push_back(line);
        if (i % 97 == 5)
            lines.back() += i % 2 == 1 ? ",probe <R12> & C3" : ",t" + std::to_string(i);
    }
    return lines;
}

// The statistics of each unit are the selection's over the same rows.
TEST_F(ZintavoLogFiles, FromLogStatsAreTheSelectionStatistics) {
    std::vector<std::string> lines = seriesLines(500, "VDC");
    const std::vector<std::string> amps = seriesLines(300, "mA DC", 500);
    lines.insert(lines.end(), amps.begin(), amps.end());
    writeFileBytes(path("in.log"), logText(lines));
    const ChildRun run = runLogger({"--from-log", path("in.log"), "--format", "stats"});
    ASSERT_EQ(run.status, 0) << run.err;

    ReadingList list;
    SampleHistory history;
    ASSERT_EQ(loadLog(path("in.log"), list, history), 800u);
    const auto line = [](std::string_view text, std::string_view name) {
        const std::size_t at = text.find(name);
        return at == std::string_view::npos
                   ? std::string()
                   : std::string(
                         text.substr(at + name.size(), text.find('\n', at) - at - name.size()));
    };
    struct Block {
        const char* unit;
        int newest, oldest;  // ages
        const char* readings;
        const char* span;
    };
    const Block blocks[] = {{"VDC", 301, 800, "500", "0:08:19"},
                            {"mA DC", 1, 300, "300", "0:04:59"}};
    const std::size_t second = run.out.find("\n\nunit: ");
    ASSERT_NE(second, std::string::npos) << run.out;
    for (const Block& b : blocks) {
        const std::string block =
            b.newest == 1 ? run.out.substr(second + 2) : run.out.substr(0, second);
        SelectionStatistics selection;
        ASSERT_TRUE(selection.compute(history, b.oldest, b.newest));
        EXPECT_EQ(line(block, "unit: "), b.unit);
        EXPECT_EQ(line(block, "readings: "), b.readings);
        EXPECT_EQ(line(block, "span: "), b.span);
        EXPECT_EQ(line(block, "total: "), line(selection.text(), "Total:\t")) << b.unit;
        EXPECT_EQ(line(block, "average: "), line(selection.text(), "Avg:\t")) << b.unit;
    }
}

// The picture's elements stand where the chart renderer draws the same
// readings at that size, zoomed out so that all of them fit; an SVG reader
// renders it.
TEST_F(ZintavoLogFiles, FromLogSvgIsTheChartOfTheReadings) {
    struct Case {
        int readings, width, height;
        std::int32_t zoom;  // at which every reading fits
    };
    const Case cases[] = {{100, 600, 200, 5}, {3000, 600, 200, -6}, {40000, 800, 300, -43}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readings);
        writeFileBytes(path("in.log"), logText(seriesLines(c.readings, "VDC")));
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        const ChildRun run =
            runLogger({"--from-log", path("in.log"), "--format", "svg", "--size", size});
        ASSERT_EQ(run.status, 0) << run.err;

        ReadingList list;
        SampleHistory history;
        loadLog(path("in.log"), list, history);
        ChartView view;
        view.zoom = c.zoom;
        MinMaxLines minMax{0.0f, 0.0f};
        for (std::uint32_t age = 1; age <= history.count(); ++age) {
            const float v = history.atAge(age).value;
            minMax.minValue = age == 1 ? v : std::min(minMax.minValue, v);
            minMax.maxValue = age == 1 ? v : std::max(minMax.maxValue, v);
        }
        RecordingCanvas canvas(c.width, c.height);
        ChartRenderer().drawChart(canvas, view, history, minMax, Settings{}, [&](std::size_t row) {
            return windows1252ToUtf16(list.row(row).tag);
        });

        const std::regex line(
            R"re(<line x1="([^"]+)" y1="([^"]+)" x2="([^"]+)" y2="([^"]+)" stroke="#([0-9a-f]{6})"[^>]*?( stroke-dasharray="3 3")?/>)re");
        const std::regex text(
            R"re(<text x="([^"]+)" y="([^"]+)" font-size="11" fill="#([0-9a-f]{6})">([^<]*)</text>)re");
        const std::regex polyline(R"re(<polyline points="([^"]*)")re");
        const auto rgb = [](Argb colour) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%06x", colour & 0xFFFFFFu);
            return std::string(hex);
        };
        const auto lines = canvas.lines();
        std::size_t n = 0;
        for (std::sregex_iterator m(run.out.begin(), run.out.end(), line), end; m != end;
             ++m, ++n) {
            ASSERT_LT(n, lines.size());
            const auto& l = lines[n];
            EXPECT_EQ((std::vector<double>{std::stod((*m)[1]), std::stod((*m)[2]),
                                           std::stod((*m)[3]), std::stod((*m)[4])}),
                      (std::vector<double>{l.x1 + 0.5, l.y1 + 0.5, l.x2 + 0.5, l.y2 + 0.5}));
            EXPECT_EQ((*m)[5], rgb(l.pen.colour));
            EXPECT_EQ((*m)[6].matched, l.pen.dashed);
        }
        EXPECT_EQ(n, lines.size());
        const auto texts = canvas.texts();
        n = 0;
        for (std::sregex_iterator m(run.out.begin(), run.out.end(), text), end; m != end;
             ++m, ++n) {
            ASSERT_LT(n, texts.size());
            std::string expected = windows1252ToUtf8(*utf16ToWindows1252(texts[n].text));
            for (const auto& [from, to] : {std::pair{"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}})
                for (std::size_t at = 0; (at = expected.find(from, at)) != std::string::npos;
                     at += 4)
                    expected.replace(at, 1, to);
            EXPECT_EQ((*m)[4], expected);
            EXPECT_EQ(std::stof((*m)[1]), texts[n].x);
            EXPECT_NEAR(std::stof((*m)[2]), texts[n].y + 11 * SvgCanvas::kAscent, 1e-3);
            EXPECT_EQ((*m)[3], rgb(texts[n].colour));
        }
        EXPECT_EQ(n, texts.size());
        EXPECT_NE(run.out.find("probe &lt;R12&gt; &amp; C3"), std::string::npos);
        std::smatch points;
        ASSERT_TRUE(std::regex_search(run.out, points, polyline));
        const auto traces = canvas.polylines();
        ASSERT_EQ(traces.size(), 1u);
        std::istringstream read(points[1].str());
        std::size_t i = 0;
        for (float x, y; read >> x && read.ignore(1) && read >> y; ++i) {
            ASSERT_LT(i, traces[0].points.size());
            EXPECT_NEAR(x - 0.5f, traces[0].points[i].x, 1e-3);
            EXPECT_NEAR(y - 0.5f, traces[0].points[i].y, 1e-3);
        }
        EXPECT_EQ(i, traces[0].points.size());
#ifdef ZINTAVO_RSVG_CONVERT
        writeFileBytes(path("chart.svg"), run.out);
        const ChildRun png =
            runChild(ZINTAVO_RSVG_CONVERT, {"-o", path("chart.png"), path("chart.svg")});
        EXPECT_EQ(png.status, 0) << png.err;
        const std::string bytes = readFileBytes(path("chart.png"));
        const auto be32 = [](int v) {
            return std::string{'\0', '\0', static_cast<char>(v >> 8), static_cast<char>(v & 255)};
        };
        EXPECT_EQ(bytes.substr(1, 3), "PNG");
        EXPECT_EQ(bytes.substr(12, 12), "IHDR" + be32(c.width) + be32(c.height));
#endif
    }
}

// A capture decoded to a log and that log converted give the rows that the
// capture converted at once gives; their times differ by the runs' distance.
TEST_F(ZintavoLogFiles, CaptureToLogToCsvIsCaptureToCsv) {
    const std::vector<std::string> utc{"TZ=UTC0"};
    const ChildRun log = runLogger({"--input", SAMPLE_CAPTURE_FILE}, {}, utc);
    const ChildRun direct = runLogger({"--input", SAMPLE_CAPTURE_FILE, "--format", "csv"}, {}, utc);
    writeFileBytes(path("capture.log"), log.out);
    const ChildRun converted =
        runLogger({"--from-log", path("capture.log"), "--format", "csv"}, {}, utc);
    ASSERT_EQ(converted.status, 0) << converted.err;
    const auto rows = [](const std::string& csv) {
        std::vector<std::string> out;
        for (std::size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos;
             at = end + 2)
            out.push_back(csv.substr(at, end - at));
        return out;
    };
    const auto fromLog = rows(converted.out);
    const auto fromCapture = rows(direct.out);
    ASSERT_EQ(fromLog.size(), 33u);
    ASSERT_EQ(fromLog.size(), fromCapture.size());
    EXPECT_EQ(fromLog[0], fromCapture[0]);
    for (std::size_t i = 1; i < fromLog.size(); ++i) {
        EXPECT_EQ(fromLog[i].substr(25), fromCapture[i].substr(25)) << i;
        EXPECT_EQ(fromLog[i].substr(19, 6), "+00:00") << fromLog[i];
        const int apart = std::abs(secondOfDay(fromLog[i]) - secondOfDay(fromCapture[i]));
        EXPECT_TRUE(apart <= 60 || apart >= 86400 - 60) << fromLog[i] << " " << fromCapture[i];
    }
}

}  // namespace

#ifdef ZINTAVO_SIM_BINARY
namespace {

// A simulated meter linked as COM201 in a private settings folder, which the
// logger's port map shares through XDG_CONFIG_HOME.
class ZintavoLogLive : public ::testing::Test {
  protected:
    std::vector<std::string> environment() const {
        return {"XDG_CONFIG_HOME=" + config.path().string()};
    }
    void startMeter() {
        sim = std::make_unique<ChildProcess>(
            ZINTAVO_SIM_BINARY, std::vector<std::string>{"--port", "201", "--rate", "10"},
            environment());
        const std::string ready = sim->readLine(kPatience);
        ASSERT_TRUE(ready.starts_with("COM201 ")) << ready;
    }
    ChildRun logLive(const std::vector<std::string>& args) const {
        return runLogger(args, {}, environment());
    }

    TempDir config;
    std::unique_ptr<ChildProcess> sim;
};

TEST_F(ZintavoLogLive, CountEndsALivePortRun) {
    startMeter();
    struct Case {
        std::vector<std::string> args;
        const char* note;
    };
    const Case cases[] = {
        {{"--port", "201", "--count", "3"}, ""},
        {{"--port", "auto", "--count", "3"}, "zintavo-log: meter found on COM201\n"},
    };
    for (const Case& c : cases) {
        const ChildRun run = logLive(c.args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(tailsOf(run.out).size(), 3u);
        EXPECT_EQ(run.err, c.note);
    }
    EXPECT_FALSE(fs::exists(config.path() / "Vorrelind" / "Zintavo.conf"))
        << "the logger never writes the program's settings";
}

TEST_F(ZintavoLogLive, InterruptOrSecondsEndALivePortRun) {
    startMeter();
    ChildProcess logger(ZINTAVO_LOG_BINARY, {"--port", "201"}, environment());
    logger.readLines(1, kPatience);
    logger.signal(SIGTERM);
    EXPECT_EQ(logger.wait(kPatience), 0);
    EXPECT_FALSE(tailsOf(logger.output()).empty());

    const ChildRun timed = logLive({"--port", "201", "--seconds", "1"});
    EXPECT_EQ(timed.status, 0);
    EXPECT_FALSE(tailsOf(timed.out).empty());
}

TEST_F(ZintavoLogLive, ListAndDetectShowThePortAsTheWindowDoes) {
    startMeter();
    const ChildRun list = logLive({"--list-ports"});
    EXPECT_EQ(list.status, 0);
    const std::size_t at = list.out.find("COM201 (pts/");
    ASSERT_NE(at, std::string::npos) << list.out;
    const std::string entry = list.out.substr(at, list.out.find('\n', at) + 1 - at);

    const ChildRun found = logLive({"--detect"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, entry);
    EXPECT_EQ(found.err, "");
}

TEST_F(ZintavoLogLive, NoMeterIsAnInputFailure) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{"--port", "201"}, "zintavo-log: no device is known as COM201"},
        {{"--port", "auto"}, "zintavo-log: no port carries a meter"},
        {{"--detect"}, "zintavo-log: no port carries a meter"},
    };
    for (const Case& c : cases) {
        const ChildRun run = logLive(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        // One line; a port of this machine that another program holds at the
        // moment may be named after it.
        EXPECT_EQ(run.err.rfind(c.error, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

}  // namespace
#endif
