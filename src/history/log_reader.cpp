#include "history/log_reader.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "history/log_format.h"

namespace {

// Shorter files cannot hold a reading line and are ignored.
constexpr std::size_t kMinLogSize = 10;

}  // namespace

std::optional<std::string> readRegularFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::status(path, ec)) || ec)
        return std::nullopt;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::string content;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    return content;
}

void appendLogLine(std::string_view line, ReadingList& list, SampleHistory& history) {
    const LogLine parsed = parseLogLine(line);
    list.appendRow(std::string(parsed.tag.value_or("")), std::string(parsed.text));
    history.append(parsed.value, parsed.timeOfDay, parsed.tag.has_value());
    if (history.position() == history.capacity()) history.wrap();
}

std::size_t loadLog(const std::string& path, ReadingList& list, SampleHistory& history) {
    const std::optional<std::string> content = readRegularFile(path);
    if (!content || content->size() < kMinLogSize) return 0;
    const std::vector<std::string_view> lines = cutLogLines(*content);
    for (std::string_view line : lines) appendLogLine(line, list, history);
    return lines.size();
}
