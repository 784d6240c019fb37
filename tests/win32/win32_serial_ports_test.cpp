#include "win32/win32_serial_ports.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/win32_serial_device.h"

namespace {

// Entries are written into the machine's real serial device map, as a serial
// driver would, and removed again; ports the prefix lists already stay as they are.
class DeviceMap : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, Win32SerialPorts::kDeviceMapKey, &key_),
                  ERROR_SUCCESS);
        Win32SerialPorts().enumeratePorts(before_);
    }
    void TearDown() override {
        for (const std::string& name : added_) RegDeleteValueA(key_, name.c_str());
        RegCloseKey(key_);
    }
    void addEntry(const std::string& data, bool withTerminator = true) {
        const std::string name = "\\Device\\ZintavoTest" + std::to_string(added_.size());
        const auto size = static_cast<DWORD>(data.size() + (withTerminator ? 1 : 0));
        ASSERT_EQ(RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()), size),
                  ERROR_SUCCESS);
        added_.push_back(name);
    }
    ListedPorts before_;

  private:
    HKEY key_ = nullptr;
    std::vector<std::string> added_;
};

TEST_F(DeviceMap, ListsThePortsItsEntriesName) {
    struct Case {
        const char* data;
        bool withTerminator;
        std::uint32_t listed;  // 0: the entry names no port
    };
    const Case cases[] = {
        {"COM1", true, 1},     {"COM12", true, 12},
        {"COM255", true, 255}, {"COM37", false, 37},  // data stored without its terminator
        {"COM0", true, 0},     {"COM256", true, 0},
        {"COMX", true, 0},     {"COM", true, 0},
    };
    std::vector<std::uint32_t> expected;
    for (const Case& c : cases) {
        addEntry(c.data, c.withTerminator);
        if (c.listed != 0) expected.push_back(c.listed);
    }
    ListedPorts listed;
    EXPECT_TRUE(Win32SerialPorts().enumeratePorts(listed));
    for (std::uint32_t n = 1; n <= ListedPorts::kMaxPort; ++n) {
        const bool wanted = std::find(expected.begin(), expected.end(), n) != expected.end();
        EXPECT_EQ(listed.contains(n), wanted || before_.contains(n)) << "COM" << n;
    }
}

TEST_F(DeviceMap, PortsAreAddedToTheSetNeverRemoved) {
    ListedPorts listed;
    listed.add(200);  // a port seen earlier that is gone now
    addEntry("COM44");
    EXPECT_TRUE(Win32SerialPorts().enumeratePorts(listed));
    EXPECT_TRUE(listed.contains(200));
    EXPECT_TRUE(listed.contains(44));
}

TEST(Win32SerialPorts, MakesWin32Devices) {
    Win32SerialPorts ports;
    const auto device = ports.makeDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_NE(dynamic_cast<Win32SerialDevice*>(device.get()), nullptr);
    EXPECT_FALSE(device->isOpen());
}

}  // namespace
