#pragma once

#include <array>
#include <cstdint>
#include <string_view>

class SampleHistory;

// The running sum of sample values behind the statistics' total and average:
// added in order, in double precision, the total rounded to a float.
class SampleSum {
  public:
    void add(float value) {
        sum_ += value;
        ++count_;
    }
    std::uint64_t count() const { return count_; }
    float total() const { return static_cast<float>(sum_); }
    // The plain mean of the values added; 0 before the first.
    double average() const { return count_ == 0 ? 0.0 : sum_ / static_cast<double>(count_); }

  private:
    double sum_ = 0.0;
    std::uint64_t count_ = 0;
};

// Total, duration and average of the samples between two selection markers,
// and the tooltip text that shows them. One instance lives as long as the
// chart; the text stays until the next selection builds a new one.
class SelectionStatistics {
  public:
    static constexpr std::size_t kTextCapacity = 260;

    // Sums the samples of ages between the two markers (either order), limited
    // to the stored samples. Returns false, keeping the previous text, when no
    // stored sample lies in the selection.
    bool compute(const SampleHistory& history, int firstMarker, int secondMarker);

    std::string_view text() const { return {text_.data(), length_}; }
    float total() const { return total_; }

  private:
    std::array<char, kTextCapacity> text_{};
    std::size_t length_ = 0;
    float total_ = 0.0f;
};

// A sample count read as seconds: "h:mm:ss" (3725 gives "1:02:05").
std::array<char, 16> formatDuration(std::uint32_t seconds);
