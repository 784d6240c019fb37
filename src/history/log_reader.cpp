#include "history/log_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "history/log_format.h"

namespace {

// Shorter files cannot hold a reading line and are ignored.
constexpr std::size_t kMinLogSize = 10;

// The first read from the end; each further one doubles what is held.
constexpr std::size_t kFirstTailRead = 64 * 1024;

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::status(path, ec)) &&
           !ec;
}

// Where the first line that starts inside `text` begins (after the first run
// of line ends); text.size() when no line starts in it.
std::size_t firstWholeLine(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && !isLineEnd(text[i])) ++i;
    while (i < text.size() && isLineEnd(text[i])) ++i;
    return i;
}

}  // namespace

std::optional<std::string> readRegularFile(const std::string& path) {
    if (!isRegularFile(path)) return std::nullopt;
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

std::optional<std::string> readLogTail(const std::string& path, std::size_t lines) {
    if (!isRegularFile(path) || lines == 0) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!file || ec || size < kMinLogSize) return std::nullopt;

    const std::uintmax_t budget = std::min<std::uintmax_t>(
        size, lines > SIZE_MAX / kLogTailBytesPerLine ? SIZE_MAX : lines * kLogTailBytesPerLine);
    std::string tail;
    for (;;) {
        // Read the block before what is held, so that twice as much is held.
        const auto want = static_cast<std::size_t>(
            std::min<std::uintmax_t>(budget, std::max(kFirstTailRead, 2 * tail.size())));
        std::string held(want, '\0');
        const std::size_t fresh = want - tail.size();
        std::copy(tail.begin(), tail.end(), held.begin() + static_cast<std::ptrdiff_t>(fresh));
        file.seekg(static_cast<std::streamoff>(size - want));
        if (!file.read(held.data(), static_cast<std::streamsize>(fresh))) return std::nullopt;
        tail = std::move(held);

        if (want == size) return tail;  // the whole file: it starts with a line
        // Lines that start inside what is held are whole; the first may not be.
        const std::size_t whole = firstWholeLine(tail);
        if (cutLogLines(std::string_view(tail).substr(whole)).size() >= lines)
            return tail.substr(whole);
        if (want == budget) return tail;
    }
}

std::size_t loadLog(const std::string& path, ReadingList& list, SampleHistory& history) {
    const std::size_t wanted = history.capacity();
    const std::optional<std::string> tail = readLogTail(path, wanted);
    if (!tail) return 0;
    const std::vector<std::string_view> lines = cutLogLines(*tail);
    const std::size_t first = lines.size() > wanted ? lines.size() - wanted : 0;
    for (std::size_t i = first; i < lines.size(); ++i) appendLogLine(lines[i], list, history);
    return lines.size() - first;
}
