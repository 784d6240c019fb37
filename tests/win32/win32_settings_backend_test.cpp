#include "win32/win32_settings_backend.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/settings_backend_contract.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "win32/win32_user_paths.h"

namespace {

// Each test works on a key of its own in the prefix's real registry, removed
// before and after, so that it starts from nothing.
class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override {
        subKey = std::string("Software\\Vorrelind\\ZintavoTest\\") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str()); }

    // Stores a value as another program (or an older version) might have.
    void storeRaw(const char* name, DWORD type, const std::vector<std::uint8_t>& bytes) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, subKey.c_str(), &key), ERROR_SUCCESS);
        EXPECT_EQ(
            RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
        RegCloseKey(key);
    }
    struct Raw {
        bool present = false;
        DWORD type = 0;
        std::vector<std::uint8_t> bytes;
    };
    Raw readRaw(const char* name) const {
        Raw raw;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return raw;
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, &raw.type, nullptr, &size) == ERROR_SUCCESS) {
            raw.bytes.resize(size);
            raw.present = RegQueryValueExA(key, name, nullptr, &raw.type, raw.bytes.data(),
                                           &size) == ERROR_SUCCESS;
            raw.bytes.resize(size);
        }
        RegCloseKey(key);
        return raw;
    }

    std::string subKey;
};

TEST_F(RegistryStore, SaveWritesAllValuesWithTheirTypesAndSizes) {
    Win32SettingsBackend backend(subKey);
    Settings saved = everyValueSet();
    saveSettings(saved, backend);

    const auto table = settingsTable(saved);
    for (const SettingEntry& entry : table) {
        const std::string name(entry.name);
        const Raw raw = readRaw(name.c_str());
        ASSERT_TRUE(raw.present) << name;
        EXPECT_EQ(raw.type, static_cast<DWORD>(entry.type)) << name;
        // Texts are stored without their terminator.
        EXPECT_EQ(raw.bytes, locationBytes(entry.location)) << name;
    }
    EXPECT_EQ(readRaw("Window").type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(readRaw("Window").bytes.size(), 16u);
    EXPECT_EQ(readRaw("Port").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(readRaw("LogFile").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(readRaw("LogFile").bytes.size(), saved.logFile.size());
}

TEST_F(RegistryStore, StoredValuesAreTakenAsRawBytes) {
    const std::string longPath = "C:\\" + std::string(196, 'p') + ".log";  // 200 characters
    struct Case {
        const char* what;
        const char* name;
        DWORD type;
        std::vector<std::uint8_t> bytes;
        void (*check)(const Settings&, const std::string&);
    };
    const Case cases[] = {
        {"ListCount above the history is capped",
         "ListCount",
         REG_DWORD,
         {0xA0, 0x86, 0x01, 0x00},
         [](const Settings& s, const std::string&) { EXPECT_EQ(s.listCount, 32768u); }},
        {"ListCount within the history is kept",
         "ListCount",
         REG_DWORD,
         {100, 0, 0, 0},
         [](const Settings& s, const std::string&) { EXPECT_EQ(s.listCount, 100u); }},
        {"Port as the text \"3\" is the character code",
         "Port",
         REG_SZ,
         {'3', 0},
         [](const Settings& s, const std::string&) { EXPECT_EQ(s.port, 51u); }},
        {"Port as the text \"3\" without terminator",
         "Port",
         REG_SZ,
         {'3'},
         [](const Settings& s, const std::string&) { EXPECT_EQ(s.port, 51u); }},
        {"a number too large for its variable is refused",
         "Baud",
         REG_BINARY,
         {1, 2, 3, 4, 5, 6, 7, 8},
         [](const Settings& s, const std::string&) { EXPECT_EQ(s.baud, 2400u); }},
        {"Window as a binary block",
         "Window",
         REG_BINARY,
         {0xF6, 0xFF, 0xFF, 0xFF, 20, 0, 0, 0, 0x20, 3, 0, 0, 0x58, 2, 0, 0},
         [](const Settings& s, const std::string&) {
             EXPECT_EQ(s.window, (WindowRect{-10, 20, 800, 600}));
         }},
        {"a path longer than 127 characters loads whole", "LogFile", REG_SZ,
         std::vector<std::uint8_t>(longPath.begin(), longPath.end()),
         [](const Settings& s, const std::string& path) { EXPECT_EQ(s.logFile, path); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str());
        storeRaw(c.name, c.type, c.bytes);
        Win32SettingsBackend backend(subKey);
        Settings loaded;
        loadSettings(loaded, backend);
        c.check(loaded, longPath);
    }
}

// Paths are UTF-8 in the program; the registry keeps them as text of the
// system, so every reader sees the same characters.
TEST_F(RegistryStore, PathsAreStoredAsTextOfTheSystem) {
    const std::string paths[] = {
        "C:\\logs\\" + std::string(240, 'q') + ".log",
        "C:\\Users\\\xC5\x81ukasz \xC3\x91 \xE6\x9D\xB1\\zintavo.COM7.2024-05-01.09.30.log",
    };
    for (const std::string& path : paths) {
        Win32SettingsBackend backend(subKey);
        Settings saved;
        saved.logFile = path;
        saveSettings(saved, backend);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        wchar_t stored[400] = {};
        DWORD size = sizeof stored - sizeof(wchar_t);
        EXPECT_EQ(RegQueryValueExW(key, L"LogFile", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(stored), &size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_EQ(std::wstring(stored), wideFromUtf8(path));
    }
}

TEST(RegistryStoreKey, TheProgramUsesItsOwnKeyUnderTheCurrentUser) {
    EXPECT_STREQ(Win32SettingsBackend::kDefaultSubKey, "Software\\Vorrelind\\Zintavo");
}

// A key of the test's own in the prefix's real registry, gone before and after.
struct RegistryKey final : SettingsKeyUnderTest {
    std::string subKey = std::string("Software\\Vorrelind\\ZintavoTest\\Contract") +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::unique_ptr<Win32SettingsBackend> backend;
    RegistryKey() { RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str()); }
    ~RegistryKey() override {
        backend.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str());
    }
    SettingsBackend& start() override {
        backend = std::make_unique<Win32SettingsBackend>(subKey);
        return *backend;
    }
    bool keyExists() const override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};

INSTANTIATE_TEST_SUITE_P(Registry, SettingsBackendContract,
                         ::testing::Values(SettingsBackendFactory{
                             "registry",
                             []() -> std::unique_ptr<SettingsKeyUnderTest> {
                                 return std::make_unique<RegistryKey>();
                             }}),
                         settingsBackendName);

}  // namespace
