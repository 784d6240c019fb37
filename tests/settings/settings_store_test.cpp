#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <memory>

#include "settings/maximized_setting.h"
#include "settings/settings_backend_contract.h"
#include "settings/settings_memory_backend.h"

namespace {

std::vector<std::uint8_t> le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

TEST(SettingsTable, NamesTypesAndSizesInStoreOrder) {
    struct Row {
        const char* name;
        StorageType type;
        std::uint32_t size;
    };
    const Row expected[] = {
        {"Window", StorageType::RegBinary, 16},
        {"Port", StorageType::RegDword, 4},
        {"Baud", StorageType::RegDword, 4},
        {"Flags", StorageType::RegDword, 4},
        {"Mode", StorageType::RegDword, 4},
        {"Switch", StorageType::RegDword, 4},
        {"ColorChart", StorageType::RegDword, 4},
        {"ListCount", StorageType::RegDword, 4},
        {"ColorChartGrid", StorageType::RegDword, 4},
        {"ColorChartData", StorageType::RegDword, 4},
        {"ColorChartSelect", StorageType::RegDword, 4},
        {"ColorChartMinMax", StorageType::RegDword, 4},
        {"ColorChartTag", StorageType::RegDword, 4},
        {"ColorChartText", StorageType::RegDword, 4},
        {"ColorMeterBG", StorageType::RegDword, 4},
        {"ColorMeterText", StorageType::RegDword, 4},
        {"LogFile", StorageType::RegSz, 128},
    };
    Settings settings;
    const auto table = settingsTable(settings);
    ASSERT_EQ(table.size(), std::size(expected));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].name, expected[i].name) << i;
        EXPECT_EQ(table[i].type, expected[i].type) << expected[i].name;
        EXPECT_EQ(table[i].size, expected[i].size) << expected[i].name;
        EXPECT_EQ(static_cast<std::uint32_t>(table[i].type),
                  static_cast<std::uint32_t>(findSettingDescriptor(expected[i].name)->type));
    }
    EXPECT_FALSE(findSettingDescriptor("Colour").has_value());
}

TEST(SettingsStore, FirstStartCreatesTheKeyKeepsDefaultsAndFirstSaveWritesAll) {
    SettingsMemoryBackend store;
    Settings settings;
    loadSettings(settings, store);
    EXPECT_TRUE(store.keyExists());
    EXPECT_FALSE(store.isOpen());

    const Settings defaults;
    EXPECT_EQ(settings.window, defaults.window);
    EXPECT_EQ(settings.listCount, 32768u);
    EXPECT_EQ(settings.colorChartGrid, 0x60FFFFFFu);
    EXPECT_TRUE(settings.logFile.empty());

    saveSettings(settings, store);
    ASSERT_EQ(store.writeOrder().size(), kSettingCount);
    struct Written {
        const char* name;
        StoredValue value;
    };
    const Written written[] = {
        {"Window",
         {StorageType::RegBinary, {100, 0, 0, 0, 100, 0, 0, 0, 0x92, 2, 0, 0, 0xE0, 1, 0, 0}}},
        {"Port", {StorageType::RegDword, le32(0)}},
        {"Baud", {StorageType::RegDword, le32(2400)}},
        {"Mode", {StorageType::RegDword, le32(10)}},
        {"Switch", {StorageType::RegDword, le32(10)}},
        {"ColorChart", {StorageType::RegDword, le32(0xFF000000)}},
        {"ColorChartData", {StorageType::RegDword, le32(0xFF00FF00)}},
        {"ColorMeterBG", {StorageType::RegDword, le32(0xFFF0F0F0)}},
        {"LogFile", {StorageType::RegSz, {}}},
    };
    for (const Written& w : written) EXPECT_EQ(store.values().at(w.name), w.value) << w.name;
    for (std::size_t i = 0; i < kSettingCount; ++i)
        EXPECT_EQ(store.writeOrder()[i], settingDescriptors()[i].name);
}

TEST(SettingsStore, KeyThatCannotBeOpenedKeepsValuesAndWritesNothing) {
    SettingsMemoryBackend store;
    store.put("Port", StorageType::RegDword, le32(7));
    store.failOpen(true);
    Settings settings;
    settings.listCount = 0;  // even the bounds are left alone: nothing was read
    loadSettings(settings, store);
    EXPECT_EQ(settings.port, 0u);
    EXPECT_EQ(settings.listCount, 0u);
    saveSettings(settings, store);
    EXPECT_TRUE(store.writeOrder().empty());
}

// Maximized is a 32-bit number beside the table; anything else reads as not maximised.
TEST(SettingsStore, MaximizedIsANumberBesideTheTable) {
    struct Row {
        std::vector<std::uint8_t> stored;  // empty: no value
        bool maximized;
    };
    const Row rows[] = {{{}, false}, {le32(1), true}, {le32(0), false}, {{1}, false}};
    for (const Row& r : rows) {
        SettingsMemoryBackend store;
        if (!r.stored.empty()) store.put(kMaximizedSetting.name, StorageType::RegDword, r.stored);
        EXPECT_EQ(loadMaximized(store), r.maximized) << r.stored.size();
    }
    SettingsMemoryBackend store;
    saveMaximized(true, store);
    EXPECT_EQ(store.values().at("Maximized"), (StoredValue{StorageType::RegDword, le32(1)}));
}

TEST(SettingsStore, LoadRulesForStoredValues) {
    struct Case {
        const char* what;
        const char* name;
        StorageType type;
        std::vector<std::uint8_t> bytes;
        std::uint32_t Settings::*field;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"list count above the ring", "ListCount", StorageType::RegDword, le32(100000),
         &Settings::listCount, 32768},
        {"list count 2^32-1 compared unsigned", "ListCount", StorageType::RegDword,
         le32(0xFFFFFFFF), &Settings::listCount, 32768},
        {"list count within the ring", "ListCount", StorageType::RegDword, le32(100),
         &Settings::listCount, 100},
        {"list count 0 gives one slot", "ListCount", StorageType::RegDword, le32(0),
         &Settings::listCount, 1},
        {"port as the one-character text 3",
         "Port",
         StorageType::RegSz,
         {'3'},
         &Settings::port,
         51},
        {"port as text with terminator", "Port", StorageType::RegSz, {'3', 0}, &Settings::port, 51},
        {"short binary replaces the low byte only",
         "Baud",
         StorageType::RegBinary,
         {0x60},
         &Settings::baud,
         0x0960},
        {"oversized number keeps the default",
         "Baud",
         StorageType::RegBinary,
         {1, 2, 3, 4, 5, 6, 7, 8},
         &Settings::baud,
         2400},
        {"baud 0 takes the default", "Baud", StorageType::RegDword, le32(0), &Settings::baud, 2400},
        {"slowest line rate kept", "Baud", StorageType::RegDword, le32(110), &Settings::baud, 110},
        {"14400 kept", "Baud", StorageType::RegDword, le32(14400), &Settings::baud, 14400},
        {"fastest line rate kept", "Baud", StorageType::RegDword, le32(256000), &Settings::baud,
         256000},
        {"baud between the rates takes the default", "Baud", StorageType::RegDword, le32(12345),
         &Settings::baud, 2400},
        {"baud below the rates takes the default", "Baud", StorageType::RegDword, le32(50),
         &Settings::baud, 2400},
        {"baud above the rates takes the default", "Baud", StorageType::RegDword, le32(230400),
         &Settings::baud, 2400},
        {"baud 2^32-1 takes the default", "Baud", StorageType::RegDword, le32(0xFFFFFFFF),
         &Settings::baud, 2400},
        {"colour as number", "ColorChartTag", StorageType::RegDword, le32(0x11223344),
         &Settings::colorChartTag, 0x11223344},
        {"Flags kept as stored", "Flags", StorageType::RegDword, le32(0xDEADBEEF), &Settings::flags,
         0xDEADBEEF},
        {"Switch", "Switch", StorageType::RegDword, le32(3), &Settings::switch_, 3},
        {"unknown name changes nothing", "Porta", StorageType::RegDword, le32(9), &Settings::port,
         0},
    };
    for (const Case& c : cases) {
        SettingsMemoryBackend store;
        store.put(c.name, c.type, c.bytes);
        Settings settings;
        loadSettings(settings, store);
        EXPECT_EQ(settings.*c.field, c.expected) << c.what;
        // A Baud replaced at load is written back replaced.
        saveSettings(settings, store);
        if (c.field == &Settings::baud) {
            EXPECT_EQ(store.values().at("Baud").bytes, le32(c.expected)) << c.what;
        }
    }
}

TEST(SettingsStore, WindowAndLogFileLoadRules) {
    struct Case {
        const char* what;
        StoredValue window;
        WindowRect expectedWindow;
        StoredValue logFile;
        std::string expectedLogFile;
    };
    std::vector<std::uint8_t> rect;
    for (std::uint32_t v : {static_cast<std::uint32_t>(-8), 20u, 1024u, 768u})
        for (std::uint8_t b : le32(v)) rect.push_back(b);
    std::vector<std::uint8_t> oversized = rect;
    oversized.insert(oversized.end(), {1, 2, 3, 4});
    const std::string longPath = "/home/user/" + std::string(300, 'p') + ".log";
    const Case cases[] = {
        {"stored as written",
         {StorageType::RegBinary, rect},
         {-8, 20, 1024, 768},
         {StorageType::RegSz, {'a', '.', 'l', 'o', 'g'}},
         "a.log"},
        {"20-byte window refused; text ends at its terminator",
         {StorageType::RegBinary, oversized},
         WindowRect{},
         {StorageType::RegSz, {'a', 0, 'b'}},
         "a"},
        {"8 bytes replace left and top only",
         {StorageType::RegBinary, {rect.begin(), rect.begin() + 8}},
         {-8, 20, 658, 480},
         {StorageType::RegSz, {longPath.begin(), longPath.end()}},
         longPath},
        {"window as a number fills left; text stored as binary",
         {StorageType::RegDword, le32(5)},
         {5, 100, 658, 480},
         {StorageType::RegBinary, {'x', '.', 'l', 'o', 'g', 0}},
         "x.log"},
    };
    for (const Case& c : cases) {
        SettingsMemoryBackend store;
        store.put("Window", c.window.type, c.window.bytes);
        store.put("LogFile", c.logFile.type, c.logFile.bytes);
        Settings settings;
        loadSettings(settings, store);
        EXPECT_EQ(settings.window, c.expectedWindow) << c.what;
        EXPECT_EQ(settings.logFile, c.expectedLogFile) << c.what;
    }
}

struct MemoryKey final : SettingsKeyUnderTest {
    SettingsMemoryBackend memory;
    SettingsBackend& start() override { return memory; }
    bool keyExists() const override { return memory.keyExists(); }
};

INSTANTIATE_TEST_SUITE_P(Memory, SettingsBackendContract,
                         ::testing::Values(SettingsBackendFactory{
                             "memory",
                             []() -> std::unique_ptr<SettingsKeyUnderTest> {
                                 return std::make_unique<MemoryKey>();
                             }}),
                         settingsBackendName);

}  // namespace
