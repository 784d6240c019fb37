#include "posix/port_map.h"

#include <gtest/gtest.h>

#include <fstream>

#include "posix_pty_meter.h"

namespace {

namespace fs = std::filesystem;

// A fake machine: a /dev, a /sys/class/tty and a port folder in a temp tree.
struct Machine {
    TempPortFolder root;
    fs::path dev = root.devRoot();
    fs::path sys = root.path() / "sys";
    fs::path links = root.path() / "links";
    Machine() {
        fs::create_directories(sys);
        fs::create_directories(links);
    }
    void device(const std::string& name) const { std::ofstream(dev / name).put('x'); }
    void uart(const std::string& name, int type) const {
        device(name);
        fs::create_directories(sys / name / "device");
        std::ofstream(sys / name / "type") << type << "\n";
    }
    void link(std::uint32_t port, const fs::path& target) const {
        fs::create_symlink(target, links / ("COM" + std::to_string(port)));
    }
    PortMap map() const { return PortMap(links, dev, sys); }
};

TEST(PortMap, FixedBlocksAndLinks) {
    Machine m;
    m.uart("ttyS0", 4);
    m.uart("ttyS1", 0);  // a phantom 8250 slot
    m.device("ttyS2");   // no device behind it
    m.device("ttyUSB0");
    m.device("ttyUSB63");
    m.device("ttyUSB64");  // beyond the block
    m.device("ttyACM3");
    m.link(200, "/dev/pts/4");
    m.link(65, m.dev / "ttyACM3");  // links win over the block
    m.link(0, "/dev/null");
    fs::create_symlink("/dev/null", m.links / "COM07");
    fs::create_symlink("/dev/null", m.links / "COM9x");
    std::ofstream(m.links / "COM12").put('x');  // not a link

    ListedPorts listed;
    ASSERT_TRUE(m.map().enumeratePorts(listed));
    std::vector<std::uint32_t> ports;
    for (std::uint32_t p = 0; p <= 255; ++p) {
        if (listed.contains(p)) ports.push_back(p);
    }
    EXPECT_EQ(ports, (std::vector<std::uint32_t>{1, 65, 128, 132, 200}));

    const PortMap map = m.map();
    struct Case {
        std::uint32_t port;
        std::optional<fs::path> path;
        std::string label;
    };
    const Case cases[] = {
        {1, m.dev / "ttyS0", "ttyS0"},
        {2, std::nullopt, ""},
        {3, std::nullopt, ""},
        {65, m.links / "COM65", "ttyACM3"},
        {128, m.dev / "ttyUSB63", "ttyUSB63"},
        {129, std::nullopt, ""},
        {132, m.dev / "ttyACM3", "ttyACM3"},
        {200, m.links / "COM200", "pts/4"},
        {0, std::nullopt, ""},
        {256, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(map.devicePath(c.port), c.path);
        EXPECT_EQ(map.deviceLabel(c.port), c.label);
    }
}

TEST(PortMap, MissingFoldersAndGrowingSets) {
    Machine m;
    m.device("ttyUSB1");
    ListedPorts listed;
    listed.add(9);
    PortMap noDev(m.links, m.root.path() / "absent", m.sys);
    EXPECT_FALSE(noDev.enumeratePorts(listed));
    EXPECT_TRUE(listed.contains(9));
    PortMap noLinks(m.root.path() / "absent", m.dev, m.sys);
    EXPECT_TRUE(noLinks.enumeratePorts(listed));
    EXPECT_TRUE(listed.contains(66));
    EXPECT_TRUE(listed.contains(9));  // never removed
}

}  // namespace
