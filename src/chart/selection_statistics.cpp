#include "chart/selection_statistics.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "chart/history_walk.h"
#include "history/sample_history.h"

std::array<char, 16> formatDuration(std::uint32_t seconds) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%u:%02u:%02u", seconds / 3600, (seconds / 60) % 60,
                  seconds % 60);
    return text;
}

bool SelectionStatistics::compute(const SampleHistory& history, int firstMarker, int secondMarker) {
    // Markers may point past either end of the stored samples (a drag over the
    // empty left part of the chart, or a press at the very right edge).
    const std::int64_t count = history.count();
    const std::int64_t lo = std::max<std::int64_t>(std::min(firstMarker, secondMarker), 1);
    const std::int64_t hi = std::min<std::int64_t>(std::max(firstMarker, secondMarker), count);
    if (lo > hi) return false;

    const SampleSum sum =
        HistoryWalk(history, lo - 1)
            .foldBack(hi - lo + 1, SampleSum{}, [](SampleSum acc, const Sample& s) {
                acc.add(s.value);
                return acc;
            });
    const auto k = static_cast<std::uint32_t>(hi - lo + 1);
    total_ = sum.total();
    const double average = sum.average();

    const std::string older = formatTimeOfDay(history.atAge(static_cast<std::uint32_t>(hi)));
    const std::string newer = formatTimeOfDay(history.atAge(static_cast<std::uint32_t>(lo)));
    const std::array<char, 16> duration = formatDuration(k);
    const int written = std::snprintf(
        text_.data(), text_.size(), "%s - %s\nTotal:\t%f\nTime:\t%s\nAvg:\t%f", older.c_str(),
        newer.c_str(), static_cast<double>(total_), duration.data(), average);
    length_ = std::min(static_cast<std::size_t>(std::max(written, 0)), text_.size() - 1);
    return true;
}
