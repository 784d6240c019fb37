#pragma once

#include <algorithm>
#include <cstdint>

#include "history/sample_history.h"

// Walks the history from newer to older samples, starting just after a given
// age and ending after the oldest stored sample. Steps slot by slot, so a long
// walk costs no modulo per sample.
class HistoryWalk {
  public:
    // `skipped` >= 0 samples are passed over; the first stepBack() reaches age skipped + 1.
    HistoryWalk(const SampleHistory& history, std::int64_t skipped)
        : history_(history), age_(skipped) {
        const std::int64_t capacity = history.capacity();
        std::int64_t slot = (std::int64_t{history.position()} - skipped) % capacity;
        if (slot < 0) slot += capacity;
        slot_ = static_cast<std::uint32_t>(slot);
    }

    // Moves to the next older sample; false when there is none.
    bool stepBack() {
        ++age_;
        slot_ = (slot_ == 0 ? history_.capacity() : slot_) - 1;
        return age_ <= history_.count();
    }
    void stepForward() {
        --age_;
        slot_ = slot_ + 1 >= history_.capacity() ? 0 : slot_ + 1;
    }
    // Steps back over up to n samples, newest first, folding them into
    // acc = f(acc, sample). Runs over contiguous slots and keeps the
    // accumulator local, so that long sums stay tight.
    template <typename T, typename F>
    T foldBack(std::int64_t n, T acc, F&& f) {
        std::int64_t left = std::clamp<std::int64_t>(std::int64_t{history_.count()} - age_, 0,
                                                     std::max<std::int64_t>(n, 0));
        age_ += left;
        while (left > 0) {
            if (slot_ == 0) slot_ = history_.capacity();
            const auto run = static_cast<std::uint32_t>(std::min<std::int64_t>(left, slot_));
            const Sample* s = &history_.slot(slot_ - 1);
            for (std::uint32_t i = 0; i < run; ++i) acc = f(acc, *(s - i));
            slot_ -= run;
            left -= run;
        }
        return acc;
    }

    const Sample& sample() const { return history_.slot(slot_); }
    std::uint32_t slot() const { return slot_; }

  private:
    const SampleHistory& history_;
    std::int64_t age_;
    std::uint32_t slot_;
};
