#include "settings/settings_backend_contract.h"

#include <string>

#include "settings/settings_store.h"
#include "settings/settings_table.h"

namespace {

// Every variable of two settings as the store's bytes, for whole comparisons.
void expectSameSettings(Settings& actual, Settings& expected) {
    const auto a = settingsTable(actual);
    const auto e = settingsTable(expected);
    for (std::size_t i = 0; i < kSettingCount; ++i)
        EXPECT_EQ(locationBytes(a[i].location), locationBytes(e[i].location)) << a[i].name;
}

TEST_P(SettingsBackendContract, FirstStartCreatesTheKeyAndKeepsEveryDefault) {
    ASSERT_FALSE(key->keyExists());
    Settings loaded;
    loadSettings(loaded, key->start());
    EXPECT_TRUE(key->keyExists());
    Settings defaults;
    expectSameSettings(loaded, defaults);
    SettingsBackend& backend = key->start();
    ASSERT_TRUE(backend.openKey());
    EXPECT_FALSE(backend.query("Port").has_value()) << "a load writes nothing";
    EXPECT_FALSE(backend.query("NoSuchValue").has_value());
    backend.closeKey();
}

// What one start saves, the next start loads, whatever was saved before.
TEST_P(SettingsBackendContract, SavedSettingsLoadBackUnchanged) {
    struct Case {
        const char* what;
        void (*change)(Settings&);
    };
    const Case cases[] = {
        {"every value set", [](Settings& s) { s = everyValueSet(); }},
        {"extremes",
         [](Settings& s) {
             s.window = {-1920, -4, 800, 0};
             s.port = 255;
             s.flags = 0x80000001;
             s.colorMeterText = 0xFFFFFFFF;
             s.logFile = "/var/log/meter/" + std::string(200, 'z') + ".COM3.2021-03-07.14.05.log";
         }},
        {"a path beyond the table's 128 bytes",
         [](Settings& s) { s.logFile = "C:\\logs\\" + std::string(240, 'q') + ".log"; }},
        {"a path in several scripts",
         [](Settings& s) {
             s.logFile =
                 "C:\\Users\\\xC5\x81ukasz \xC3\x91 "
                 "\xE6\x9D\xB1\\zintavo.COM7.2024-05-01.09.30.log";
         }},
        {"defaults over saved values", [](Settings&) {}},
    };
    Settings earlier = everyValueSet();
    earlier.logFile += ".old";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        saveSettings(earlier, key->start());
        Settings saved;
        c.change(saved);
        saveSettings(saved, key->start());
        Settings loaded;
        loadSettings(loaded, key->start());
        expectSameSettings(loaded, saved);
    }
}

}  // namespace

Settings everyValueSet() {
    Settings s;
    s.window = {-1200, 35, 900, 700};
    s.port = 7;
    s.baud = 9600;
    s.flags = 0x55;
    s.mode = 3;
    s.switch_ = 4;
    s.colorChart = 0xFF102030;
    s.listCount = 500;
    s.colorChartGrid = 0x11223344;
    s.colorChartData = 0x55667788;
    s.colorChartSelect = 0x99AABBCC;
    s.colorChartMinMax = 0xDDEEFF00;
    s.colorChartTag = 0x01020304;
    s.colorChartText = 0x05060708;
    s.colorMeterBG = 0x090A0B0C;
    s.colorMeterText = 0x0D0E0F10;
    s.logFile = "C:\\Zintavo\\zintavo.COM7.2024-05-01.09.30.log";
    return s;
}

std::string settingsBackendName(const ::testing::TestParamInfo<SettingsBackendFactory>& info) {
    return info.param.name;
}
