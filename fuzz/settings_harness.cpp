#include "settings_harness.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_bytes.h"
#include "settings/settings.h"
#include "settings/settings_memory_backend.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "settings/settings_text.h"

namespace {

constexpr std::uint32_t kMaxValueSize = 300;

// A known name most of the time, so that values reach their variables.
std::string valueName(FuzzBytes& in) {
    const std::uint8_t pick = in.byte();
    if (pick < 0xF0) return std::string(settingDescriptors()[pick % kSettingCount].name);
    const std::span<const std::uint8_t> bytes = in.take(in.inRange(0, 16));
    return {bytes.begin(), bytes.end()};
}

StorageType storageType(FuzzBytes& in) {
    switch (in.byte() % 4) {
        case 0:
            return StorageType::RegSz;
        case 1:
            return StorageType::RegBinary;
        case 2:
            return StorageType::RegDword;
        default:
            return static_cast<StorageType>(in.u32());
    }
}

bool sameValues(Settings& a, Settings& b) {
    const auto tableA = settingsTable(a);
    const auto tableB = settingsTable(b);
    for (std::size_t i = 0; i < kSettingCount; ++i)
        if (locationBytes(tableA[i].location) != locationBytes(tableB[i].location)) return false;
    return true;
}

// The text form of a stored value must parse back to the very same bytes.
void checkTextForm(const SettingDescriptor& setting, std::span<const std::uint8_t> bytes,
                   FuzzReport& report) {
    const std::optional<std::string> text = formatSettingText(setting, bytes);
    if (!text) return;
    const auto parsed = parseSettingText(setting, *text);
    report.check(parsed && std::equal(parsed->begin(), parsed->end(), bytes.begin(), bytes.end()),
                 "a setting's text form reads back as its bytes");
    report.note("text form");
}

}  // namespace

FuzzReport fuzzSettings(std::span<const std::uint8_t> data) {
    FuzzBytes in(data);
    FuzzReport report;
    SettingsMemoryBackend backend;
    const bool keyFails = in.flag();
    backend.failOpen(keyFails);
    std::vector<std::vector<std::uint8_t>> values;
    while (!in.empty()) {
        const std::string name = valueName(in);
        const StorageType type = storageType(in);
        const std::span<const std::uint8_t> bytes = in.take(in.inRange(0, kMaxValueSize));
        backend.put(name, type, {bytes.begin(), bytes.end()});
        values.emplace_back(bytes.begin(), bytes.end());
    }

    Settings loaded;
    loadSettings(loaded, backend);
    Settings defaults;
    const bool changed = !sameValues(loaded, defaults);
    report.note("changed by load", changed ? 1 : 0);
    report.check(loaded.listCount >= 1 && loaded.listCount <= Settings::kMaxListCount,
                 "ListCount stays within the ring");
    if (keyFails) report.check(!changed, "nothing changes without a key");
    report.check(!backend.isOpen(), "the key is closed after loading");

    SettingsMemoryBackend saved;
    saveSettings(loaded, saved);
    Settings reloaded;
    loadSettings(reloaded, saved);
    report.check(sameValues(loaded, reloaded), "saved settings load back unchanged");
    report.check(saved.values().size() == kSettingCount, "every setting is saved");

    for (const SettingDescriptor& setting : settingDescriptors()) {
        const auto stored = saved.query(setting.name);
        report.check(!stored, "the key is closed after saving");
        const auto it = saved.values().find(setting.name);
        if (it == saved.values().end()) continue;
        report.check(it->second.type == setting.type, "settings keep their storage type");
        report.check(formatSettingText(setting, it->second.bytes).has_value(),
                     "every saved value has a text form");
        checkTextForm(setting, it->second.bytes, report);
    }

    // The same bytes as typed text, for every setting.
    for (const std::vector<std::uint8_t>& value : values) {
        const std::string_view text(reinterpret_cast<const char*>(value.data()), value.size());
        for (const SettingDescriptor& setting : settingDescriptors()) {
            if (const auto parsed = parseSettingText(setting, text))
                checkTextForm(setting, *parsed, report);
        }
    }
    return report;
}
