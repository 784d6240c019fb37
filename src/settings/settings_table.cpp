#include "settings/settings_table.h"

#include <algorithm>
#include <cstring>

#include "settings/maximized_setting.h"

namespace {

constexpr std::array<SettingDescriptor, kSettingCount> kDescriptors{{
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
    {"LogFile", StorageType::RegSz, static_cast<std::uint32_t>(Settings::kLogFileSize)},
}};

void putLe32(std::uint8_t* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t getLe32(const std::uint8_t* in) {
    return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
           std::uint32_t{in[3]} << 24;
}

std::array<std::uint8_t, 16> windowBytes(const WindowRect& w) {
    std::array<std::uint8_t, 16> out{};
    const std::int32_t parts[4] = {w.x, w.y, w.width, w.height};
    for (std::size_t i = 0; i < 4; ++i) putLe32(&out[4 * i], static_cast<std::uint32_t>(parts[i]));
    return out;
}

}  // namespace

const std::array<SettingDescriptor, kSettingCount>& settingDescriptors() {
    return kDescriptors;
}

std::optional<SettingDescriptor> findSettingDescriptor(std::string_view name) {
    for (const SettingDescriptor& d : kDescriptors)
        if (d.name == name) return d;
    if (name == kMaximizedSetting.name) return kMaximizedSetting;
    return std::nullopt;
}

std::array<SettingEntry, kSettingCount> settingsTable(Settings& s) {
    const SettingLocation locations[kSettingCount] = {
        &s.window,
        &s.port,
        &s.baud,
        &s.flags,
        &s.mode,
        &s.switch_,
        &s.colorChart,
        &s.listCount,
        &s.colorChartGrid,
        &s.colorChartData,
        &s.colorChartSelect,
        &s.colorChartMinMax,
        &s.colorChartTag,
        &s.colorChartText,
        &s.colorMeterBG,
        &s.colorMeterText,
        &s.logFile,
    };
    std::array<SettingEntry, kSettingCount> table{};
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingDescriptor& d = kDescriptors[i];
        table[i] = SettingEntry{d.name, locations[i], d.type, d.size};
    }
    return table;
}

std::vector<std::uint8_t> locationBytes(const SettingLocation& location) {
    if (const auto* w = std::get_if<WindowRect*>(&location)) {
        const auto bytes = windowBytes(**w);
        return {bytes.begin(), bytes.end()};
    }
    if (const auto* n = std::get_if<std::uint32_t*>(&location)) {
        std::vector<std::uint8_t> out(4);
        putLe32(out.data(), **n);
        return out;
    }
    const std::string& text = *std::get<std::string*>(location);
    return {text.begin(), text.end()};
}

bool copyStoredBytes(const SettingLocation& location, std::span<const std::uint8_t> bytes) {
    if (const auto* w = std::get_if<WindowRect*>(&location)) {
        auto raw = windowBytes(**w);
        if (bytes.size() > raw.size()) return false;
        std::copy(bytes.begin(), bytes.end(), raw.begin());
        WindowRect& rect = **w;
        rect.x = static_cast<std::int32_t>(getLe32(&raw[0]));
        rect.y = static_cast<std::int32_t>(getLe32(&raw[4]));
        rect.width = static_cast<std::int32_t>(getLe32(&raw[8]));
        rect.height = static_cast<std::int32_t>(getLe32(&raw[12]));
        return true;
    }
    if (const auto* n = std::get_if<std::uint32_t*>(&location)) {
        std::uint8_t raw[4];
        putLe32(raw, **n);
        if (bytes.size() > sizeof raw) return false;
        std::copy(bytes.begin(), bytes.end(), raw);
        **n = getLe32(raw);
        return true;
    }
    // Text keeps no fixed buffer here, so any length is taken whole; a stored
    // terminator (or anything after one) is not part of the text.
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    std::get<std::string*>(location)->assign(bytes.begin(), end);
    return true;
}
