#pragma once

#include <string>
#include <vector>

#include "chart/selection_statistics.h"
#include "saved_reading.h"

// The statistics of --format stats, one block per unit in the order the
// units first appear. The total and the average are summed as the chart's
// selection sums them.
class ReadingStatistics {
  public:
    void add(const SavedReading& reading);

    // Per unit: unit, readings, first, last, span, minimum, maximum, total,
    // average, one "name: value" line each (UTF-8, LF); a blank line between
    // blocks. Empty without readings.
    std::string text() const;

  private:
    struct UnitBlock {
        std::string unit;  // Windows-1252
        SampleSum sum;
        LocalDateTime first, last;
        UnixSeconds firstMoment = 0, lastMoment = 0;
        float minimum = 0.0f, maximum = 0.0f;
        std::string minimumText, maximumText;  // as the meter showed them
    };
    std::vector<UnitBlock> units_;
};
