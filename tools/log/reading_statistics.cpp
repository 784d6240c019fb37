#include "reading_statistics.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "history/windows1252.h"
#include "log_csv.h"

void ReadingStatistics::add(const SavedReading& reading) {
    const float value = reading.line.value;
    UnitBlock* block = nullptr;
    for (UnitBlock& u : units_)
        if (u.unit == reading.parts.unit) block = &u;
    if (block == nullptr) {
        block = &units_.emplace_back();
        block->unit = reading.parts.unit;
        block->first = reading.when;
        block->firstMoment = reading.moment;
        block->minimum = block->maximum = value;
        block->minimumText = block->maximumText = meterValueText(reading.parts.valueField);
    }
    block->sum.add(value);
    block->last = reading.when;
    block->lastMoment = reading.moment;
    if (value < block->minimum) {
        block->minimum = value;
        block->minimumText = meterValueText(reading.parts.valueField);
    }
    if (value > block->maximum) {
        block->maximum = value;
        block->maximumText = meterValueText(reading.parts.valueField);
    }
}

std::string ReadingStatistics::text() const {
    std::string out;
    for (const UnitBlock& u : units_) {
        if (!out.empty()) out += '\n';
        // A log whose clock went back has its last line before its first.
        const UnixSeconds span = u.lastMoment >= u.firstMoment ? u.lastMoment - u.firstMoment : 0;
        const auto spanText =
            formatDuration(static_cast<std::uint32_t>(std::min<UnixSeconds>(span, UINT32_MAX)));
        char numbers[160];
        std::snprintf(numbers, sizeof numbers, "total: %f\naverage: %f\n",
                      static_cast<double>(u.sum.total()), u.sum.average());
        out += "unit: " + windows1252ToUtf8(u.unit) +
               "\nreadings: " + std::to_string(u.sum.count()) +
               "\nfirst: " + isoLocalTime(u.first) + "\nlast: " + isoLocalTime(u.last) +
               "\nspan: " + spanText.data() + "\nminimum: " + u.minimumText +
               "\nmaximum: " + u.maximumText + '\n' + numbers;
    }
    return out;
}
