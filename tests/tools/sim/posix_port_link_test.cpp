#include "posix_port_link.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <thread>
#include <vector>

#include "posix_pty.h"

namespace fs = std::filesystem;

namespace {

class PortLinkTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zintavo-sim-link-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        folder_ = root_ / "ports";
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path entry(int n) const { return folder_ / ("COM" + std::to_string(n)); }
    void link(int n, const std::string& target) const { fs::create_symlink(target, entry(n)); }

    fs::path root_;
    fs::path folder_;
};

// A pseudo-terminal path that does not exist: what a killed simulator leaves behind.
const std::string kGonePty = "/dev/pts/987654";

TEST_F(PortLinkTest, TellsStaleLinksFromTakenOnes) {
    std::string error;
    const auto live = PosixPty::open(error);
    ASSERT_TRUE(live) << error;
    struct Case {
        const char* name;
        std::string target;  // empty: nothing; "file": a plain file
        LinkState state;
    };
    const Case cases[] = {
        {"nothing there", "", LinkState::absent},
        {"pseudo-terminal gone", kGonePty, LinkState::stale},
        {"live pseudo-terminal", live->slavePath(), LinkState::taken},
        {"a user's adapter, unplugged", "/dev/ttyUSB77", LinkState::taken},
        {"a user's device", "/dev/null", LinkState::taken},
        {"a plain file", "file", LinkState::taken},
    };
    int n = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.target == "file") {
            std::ofstream(entry(n)) << "x";
        } else if (!c.target.empty()) {
            link(n, c.target);
        }
        EXPECT_EQ(inspectLink(entry(n)), c.state);
        ++n;
    }
}

TEST_F(PortLinkTest, ClaimsTheFirstFreeNumberFrom200) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> existing;
        int expected;
    };
    const Case cases[] = {
        {"empty folder", {}, 200},
        {"low numbers do not matter", {{1, "/dev/null"}, {199, "/dev/null"}}, 200},
        {"taken ones are skipped", {{200, "/dev/null"}, {201, "/dev/ttyUSB9"}}, 202},
        {"a stale one is reused", {{200, "/dev/null"}, {201, kGonePty}}, 201},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        for (const auto& [n, target] : c.existing) link(n, target);
        std::string error;
        const auto claimed = PortLink::claim(folder_, std::nullopt, "/dev/zero", error);
        ASSERT_TRUE(claimed) << error;
        EXPECT_EQ(claimed->port(), c.expected);
        EXPECT_EQ(fs::read_symlink(entry(c.expected)), "/dev/zero");
    }
}

TEST_F(PortLinkTest, AChosenNumberMustBeFreeOrStale) {
    std::string error;
    link(5, "/dev/null");
    EXPECT_FALSE(PortLink::claim(folder_, 5, "/dev/zero", error));
    EXPECT_NE(error.find("COM5 is taken"), std::string::npos) << error;
    EXPECT_EQ(fs::read_symlink(entry(5)), "/dev/null");

    link(6, kGonePty);
    const auto claimed = PortLink::claim(folder_, 6, "/dev/zero", error);
    ASSERT_TRUE(claimed) << error;
    EXPECT_EQ(claimed->port(), 6);
    EXPECT_EQ(fs::read_symlink(entry(6)), "/dev/zero");
}

TEST_F(PortLinkTest, ALinkOlderThanItsTerminalIsStale) {
    // A killed simulator's terminal number is handed out again; its link then points at a
    // live terminal that is not the one it was made for.
    std::string error;
    std::string path;
    {
        const auto old = PosixPty::open(error);
        ASSERT_TRUE(old) << error;
        path = old->slavePath();
        link(7, path);
        EXPECT_EQ(inspectLink(entry(7)), LinkState::taken);
    }
    EXPECT_EQ(inspectLink(entry(7)), LinkState::stale);
    // Timestamps are coarse: make sure the next terminal is visibly newer.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<PosixPty> opened;
    while (opened.size() < 32) {
        auto pty = PosixPty::open(error);
        ASSERT_TRUE(pty) << error;
        const bool same = pty->slavePath() == path;
        opened.push_back(std::move(*pty));
        if (same) break;
    }
    if (opened.back().slavePath() != path) GTEST_SKIP() << path << " went to someone else";
    EXPECT_EQ(inspectLink(entry(7)), LinkState::stale);
    const auto claimed = PortLink::claim(folder_, 7, path, error);
    ASSERT_TRUE(claimed) << error;
    EXPECT_EQ(fs::read_symlink(entry(7)), path);
}

TEST_F(PortLinkTest, MakesTheFolderAndRemovesOnlyItsOwnLink) {
    const fs::path nested = root_ / "a" / "b";
    std::string error;
    {
        const auto claimed = PortLink::claim(nested, 9, "/dev/zero", error);
        ASSERT_TRUE(claimed) << error;
        EXPECT_TRUE(fs::is_symlink(nested / "COM9"));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(nested / "COM9")));

    {
        const auto claimed = PortLink::claim(nested, 9, "/dev/zero", error);
        ASSERT_TRUE(claimed) << error;
        // Someone points the number elsewhere meanwhile: theirs stays.
        fs::remove(nested / "COM9");
        fs::create_symlink("/dev/null", nested / "COM9");
    }
    EXPECT_EQ(fs::read_symlink(nested / "COM9"), "/dev/null");
}

TEST_F(PortLinkTest, RunsOutOfNumbersWithAClearError) {
    for (int n = 200; n <= 255; ++n) link(n, "/dev/null");
    std::string error;
    EXPECT_FALSE(PortLink::claim(folder_, std::nullopt, "/dev/zero", error));
    EXPECT_NE(error.find("no free COM number"), std::string::npos) << error;
}

}  // namespace
