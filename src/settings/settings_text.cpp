#include "settings/settings_text.h"

#include <charconv>

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// The whole of `text` as a number of type T in `base`, or nothing.
template <typename T>
std::optional<T> parseWhole(std::string_view text, int base) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

std::optional<std::uint32_t> parseUnsigned(std::string_view text) {
    text = trimmed(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseWhole<std::uint32_t>(text.substr(2), 16);
    return parseWhole<std::uint32_t>(text, 10);
}

void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t le32At(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
           std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

}  // namespace

std::optional<std::string> formatSettingText(const SettingDescriptor& setting,
                                             std::span<const std::uint8_t> bytes) {
    switch (setting.type) {
        case StorageType::RegDword:
            if (bytes.size() != 4) return std::nullopt;
            return std::to_string(le32At(bytes, 0));
        case StorageType::RegBinary: {
            if (bytes.size() != setting.size || bytes.size() % 4 != 0) return std::nullopt;
            std::string text;
            for (std::size_t at = 0; at < bytes.size(); at += 4) {
                if (at > 0) text += ", ";
                text += std::to_string(static_cast<std::int32_t>(le32At(bytes, at)));
            }
            return text;
        }
        case StorageType::RegSz:
            return std::string(bytes.begin(), bytes.end());
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> parseSettingText(const SettingDescriptor& setting,
                                                          std::string_view text) {
    std::vector<std::uint8_t> bytes;
    switch (setting.type) {
        case StorageType::RegDword: {
            const auto value = parseUnsigned(text);
            if (!value) return std::nullopt;
            appendLe32(bytes, *value);
            return bytes;
        }
        case StorageType::RegBinary: {
            if (setting.size % 4 != 0) return std::nullopt;
            while (bytes.size() < setting.size) {
                const auto comma = text.find(',');
                const auto value = parseWhole<std::int32_t>(trimmed(text.substr(0, comma)), 10);
                if (!value) return std::nullopt;
                appendLe32(bytes, static_cast<std::uint32_t>(*value));
                const bool last = bytes.size() == setting.size;
                if (last != (comma == std::string_view::npos)) return std::nullopt;
                if (!last) text.remove_prefix(comma + 1);
            }
            return bytes;
        }
        case StorageType::RegSz:
            return std::vector<std::uint8_t>(text.begin(), text.end());
    }
    return std::nullopt;
}
