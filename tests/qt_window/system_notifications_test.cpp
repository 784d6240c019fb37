#include "qt_window/system_notifications.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class SystemNotificationsTest : public ::testing::Test {
  public:
    TempDir dir;
    fs::path devices = dir.path() / "dev";
    fs::path config = dir.path() / "cfg";
    fs::path ports = config / "Zintavo.ports";
    std::set<unsigned> portSet{1};

    SystemNotificationsTest() {
        fs::create_directories(devices);
        fs::create_directories(config);
    }

    std::unique_ptr<SystemNotifications> watch() {
        return std::make_unique<SystemNotifications>(QString::fromStdString(devices.string()),
                                                     QString::fromStdString(ports.string()),
                                                     [this] { return portSet; });
    }

    static void touch(const fs::path& file) { std::ofstream(file) << "x"; }
};

TEST_F(SystemNotificationsTest, DeviceChangesAreReportedOnlyWhenThePortsDiffer) {
    struct Case {
        const char* name;
        std::function<void(SystemNotificationsTest&)> change;
        bool reported;
    };
    const std::vector<Case> cases{
        {"unrelated device appears", [](auto& t) { touch(t.devices / "null2"); }, false},
        {"serial port appears",
         [](auto& t) {
             t.portSet = {1, 65};
             touch(t.devices / "ttyUSB0");
         },
         true},
        {"settings file written beside the missing port folder",
         [](auto& t) { touch(t.config / "Zintavo.conf"); }, false},
        {"port folder created", [](auto& t) { fs::create_directories(t.ports); }, true},
        {"link added to the port folder", [](auto& t) { touch(t.ports / "COM201"); }, true},
        {"settings file written again", [](auto& t) { touch(t.config / "Zintavo.conf"); }, false},
    };
    auto notifications = watch();
    QSignalSpy spy(notifications.get(), &SystemNotifications::deviceChange);
    for (const Case& c : cases) {
        spy.clear();
        c.change(*this);
        // Reports arrive through the event loop; give a missing one time to show.
        const bool reported = spy.wait(c.reported ? 5000 : 300);
        EXPECT_EQ(reported, c.reported) << c.name;
    }
}

}  // namespace
