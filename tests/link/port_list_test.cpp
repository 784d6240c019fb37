#include "link/port_list.h"

#include <gtest/gtest.h>

namespace {

TEST(PortList, NumberStartsAtTheFourthCharacter) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"COM1", 1},  {"COM12", 12}, {"COM255", 255}, {"COM65 (ttyUSB0)", 65},
        {"COM0", 0},  {"COM256", 0}, {"COM", 0},      {"", 0},
        {"COMx3", 0}, {"COM7x", 7},  {"XYZ9", 9},     {"COM99999999999", 0},
    };
    for (const auto& [entry, port] : cases) {
        SCOPED_TRACE(entry);
        EXPECT_EQ(portNumberOfEntry(entry), port);
    }
}

TEST(PortList, FillStartsEmptyAndSelectsTheSettingsPort) {
    ListedPorts listed;
    for (std::uint32_t p : {130u, 3u, 65u, 0u, 256u}) listed.add(p);
    PortList list;
    const auto label = [](std::uint32_t p) {
        return p == 65    ? std::string("ttyUSB0")
               : p == 130 ? std::string("(ttyACM1) (no access)")
                          : std::string();
    };
    fillPortList(list, listed, 130, label);
    EXPECT_EQ(list.entries, (std::vector<std::string>{"", "COM3", "COM65 (ttyUSB0)",
                                                      "COM130 (ttyACM1) (no access)"}));
    EXPECT_EQ(list.selected, 3);
    EXPECT_EQ(readPortFromList(list), 130u);

    struct Case {
        std::uint32_t port;
        int selected;
    };
    for (const Case& c : {Case{0, -1}, Case{4, -1}, Case{130, 3}}) {
        fillPortList(list, listed, c.port);
        EXPECT_EQ(list.selected, c.selected) << "port " << c.port;
    }
}

TEST(PortList, ShowAndReadTheSelection) {
    ListedPorts listed;
    listed.add(2);
    listed.add(9);
    PortList list;
    fillPortList(list, listed, 2);
    showPortInList(list, 5);  // not listed: the selection stays
    EXPECT_EQ(list.selected, 1);
    showPortInList(list, 9);
    EXPECT_EQ(readPortFromList(list), 9u);
    showPortInList(list, 0);  // the automatic entry
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(readPortFromList(list), 0u);
    list.selected = -1;
    EXPECT_EQ(readPortFromList(list), 0u);
}

}  // namespace
