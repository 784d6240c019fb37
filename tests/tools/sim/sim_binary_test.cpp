// Drives the real zintavo-sim binary: its command-line errors, what it sends on its
// pseudo-terminal, and the life of its COM link. Time limits are generous upper bounds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/frame_codec.h"
#include "script_line.h"
#include "support/posix_child_process.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr auto kPatience = 30s;

// zintavo-sim with its own config folder.
class SimProcess : public ChildProcess {
  public:
    SimProcess(const std::vector<std::string>& args, const std::string& configHome)
        : ChildProcess(ZINTAVO_SIM_BINARY, args, {"XDG_CONFIG_HOME=" + configHome}) {}
    // Everything it wrote on standard error; call after it has ended.
    std::string errorText() const { return errorOutput(); }
};

// Reads bytes from a device until count have come or the time is up.
Bytes readDevice(const std::string& path, std::size_t count, std::chrono::milliseconds timeout) {
    Bytes bytes;
    const int fd = open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return bytes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        std::uint8_t buffer[256];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    close(fd);
    return bytes;
}

class SimBinaryTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zintavo-sim-run-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string config() const { return (root_ / "config").string(); }
    fs::path ports() const { return root_ / "config" / "Vorrelind" / "Zintavo.ports"; }
    std::string file(const std::string& name, const std::string& content) const {
        const fs::path path = root_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    struct Started {
        int port = 0;
        std::string device;
    };
    // Reads the "COM<n> <device>" line the simulator prints when it is ready.
    static Started ready(SimProcess& sim) {
        std::istringstream line(sim.readLine(kPatience));
        std::string com;
        Started s;
        line >> com >> s.device;
        if (com.rfind("COM", 0) == 0) s.port = std::stoi(com.substr(3));
        return s;
    }

    fs::path root_;
};

Bytes packedScript(const std::string& text, int plays) {
    std::istringstream in(text);
    const Script script = parseScript(in);
    Bytes all;
    for (int i = 0; i < plays; ++i) {
        for (const MeterReading& r : script.frames) {
            const auto f = packFrame(r);
            all.insert(all.end(), f.begin(), f.end());
        }
    }
    return all;
}

const char* const kScript =
    "# a short session\n"
    "1 0 3 4660\n"
    "5 1 4 40000 neg hold manual\n"
    "\n"
    "4 0 0 235 rel  # warm\n";

TEST_F(SimBinaryTest, RefusesBadInputWithStatus2AndLinksNothing) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string message;
    };
    const std::string bad = file("bad.txt", "1 0 0 10\n# fine so far\n\n1 0 9 10\n");
    const std::string empty = file("empty.txt", "# nothing\n\n");
    const std::string missing = (root_ / "missing.txt").string();
    const Case cases[] = {
        {"unknown option", {"--fast"}, "unknown option '--fast'"},
        {"bad port", {"--port", "300"}, "--port '300'"},
        {"bad rate", {"--rate", "zero"}, "--rate 'zero'"},
        {"conflict", {"--raw", empty, "--script", empty}, "cannot be combined"},
        {"bad script line", {"--script", bad}, bad + ":4: bad range '9'"},
        {"empty script", {"--script", empty}, "no frames"},
        {"missing script", {"--script", missing}, "cannot read"},
        {"missing raw file", {"--raw", missing}, "cannot read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimProcess sim(c.args, config());
        EXPECT_EQ(sim.wait(kPatience), 2);
        const std::string err = sim.errorText();
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(ports()));
    }
}

TEST_F(SimBinaryTest, HelpShowsTheUsage) {
    SimProcess sim({"--help"}, config());
    EXPECT_NE(sim.readLine(kPatience).find("Usage: zintavo-sim"), std::string::npos);
    EXPECT_EQ(sim.wait(kPatience), 0);
}

TEST_F(SimBinaryTest, StreamsExactlyTheScriptAndRemovesItsLinkAtTheEnd) {
    const std::string script = file("script.txt", kScript);
    const std::string stats = (root_ / "stats.txt").string();
    SimProcess sim({"--script", script, "--rate", "20", "--repeat", "2", "--stats", stats},
                   config());
    const Started s = ready(sim);
    ASSERT_EQ(s.port, 200);
    const fs::path link = ports() / "COM200";
    EXPECT_EQ(fs::read_symlink(link), s.device);

    const Bytes expected = packedScript(kScript, 2);
    EXPECT_EQ(readDevice(s.device, expected.size(), kPatience), expected);

    EXPECT_EQ(sim.wait(kPatience), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    std::ifstream in(stats);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "frames_intact=6 bytes_sent=84 bytes_lost=0");
}

TEST_F(SimBinaryTest, JunkOnTheLineLeavesEveryFrameDecodable) {
    const std::string script = file("script.txt", kScript);
    SimProcess sim(
        {"--script", script, "--rate", "50", "--repeat", "3", "--garbage", "1", "--seed", "11"},
        config());
    const Started s = ready(sim);
    ASSERT_NE(s.port, 0);
    // Cut the stream the way the program does and decode what it would.
    const Bytes sent = readDevice(s.device, 9 * kFrameSize + 9 * (kFrameSize - 1), 5s);
    Bytes decoded, candidate;
    for (const std::uint8_t b : sent) {
        candidate.push_back(b);
        if ((b >> 4) != 0xE) continue;
        if (const auto r = unpackFrame(candidate)) {
            const auto f = packFrame(*r);
            decoded.insert(decoded.end(), f.begin(), f.end());
        }
        candidate.clear();
    }
    EXPECT_EQ(decoded, packedScript(kScript, 3));
    EXPECT_GT(sent.size(), decoded.size());
    EXPECT_EQ(sim.wait(kPatience), 0);
    EXPECT_NE(sim.errorText().find("frames_intact=9 "), std::string::npos);
}

TEST_F(SimBinaryTest, SendsARawFileAsItIs) {
    std::string content;
    for (int i = 0; i < 60; ++i) content.push_back(static_cast<char>(i * 37 + 5));
    const std::string raw = file("dump.bin", content);
    SimProcess sim({"--raw", raw, "--port", "3"}, config());
    const Started s = ready(sim);
    ASSERT_EQ(s.port, 3);
    EXPECT_EQ(readDevice(s.device, content.size(), kPatience),
              Bytes(content.begin(), content.end()));
    EXPECT_EQ(sim.wait(kPatience), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports() / "COM3")));
}

TEST_F(SimBinaryTest, StopsOnASignalAndRemovesItsLink) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        SimProcess sim({"--port", "42"}, config());  // the endless demo
        const Started s = ready(sim);
        ASSERT_EQ(s.port, 42);
        EXPECT_TRUE(fs::is_symlink(ports() / "COM42"));
        // Some demo frames do arrive.
        EXPECT_EQ(readDevice(s.device, kFrameSize, kPatience).size(), kFrameSize);
        sim.signal(sig);
        EXPECT_EQ(sim.wait(kPatience), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(ports() / "COM42")));
        EXPECT_NE(sim.errorText().find("frames_intact="), std::string::npos);
    }
}

TEST_F(SimBinaryTest, TidiesUpEvenWhenNobodyListensToItsOutput) {
    SimProcess sim({"--port", "43"}, config());
    ASSERT_EQ(ready(sim).port, 43);
    sim.closeOutput();
    sim.signal(SIGTERM);
    // Its last words go nowhere, yet it still ends normally and removes its link.
    EXPECT_EQ(sim.wait(kPatience), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports() / "COM43")));
}

TEST_F(SimBinaryTest, TakesOverTheLinkOfAKilledSimulator) {
    SimProcess killed({"--port", "17"}, config());
    const Started first = ready(killed);
    ASSERT_EQ(first.port, 17);
    killed.signal(SIGKILL);
    ASSERT_EQ(killed.wait(kPatience), 128 + SIGKILL);
    // The killed one could not tidy up.
    ASSERT_TRUE(fs::is_symlink(ports() / "COM17"));

    const std::string script = file("one.txt", "9 0 0 12345 neg\n");
    SimProcess next({"--port", "17", "--script", script}, config());
    const Started second = ready(next);
    ASSERT_EQ(second.port, 17);
    EXPECT_EQ(fs::read_symlink(ports() / "COM17"), second.device);
    EXPECT_EQ(readDevice(second.device, kFrameSize, kPatience), packedScript("9 0 0 12345 neg", 1));
    EXPECT_EQ(next.wait(kPatience), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports() / "COM17")));
}

TEST_F(SimBinaryTest, ALiveSimulatorKeepsItsNumber) {
    SimProcess first({}, config());
    const Started a = ready(first);
    ASSERT_EQ(a.port, 200);
    SimProcess second({}, config());
    EXPECT_EQ(ready(second).port, 201);
    SimProcess third({"--port", "200"}, config());
    EXPECT_EQ(third.wait(kPatience), 1);
    EXPECT_NE(third.errorText().find("COM200 is taken"), std::string::npos);
    EXPECT_EQ(fs::read_symlink(ports() / "COM200"), a.device);
}

}  // namespace
