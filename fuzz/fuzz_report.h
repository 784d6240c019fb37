#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <string_view>

// What one harness run found: nothing, or the first rule that did not hold.
// A fuzzer aborts on a broken rule; a replay test prints it.
class FuzzReport {
  public:
    void check(bool holds, std::string_view rule) {
        if (!holds && broken_.empty()) broken_ = rule;
    }
    // Counts how often a run reached something, so that tests can tell that a
    // harness still gets as deep as it should.
    void note(std::string_view event, int times = 1) {
        if (times > 0) events_[std::string(event)] += times;
    }
    int noted(std::string_view event) const {
        const auto it = events_.find(event);
        return it == events_.end() ? 0 : it->second;
    }
    bool ok() const { return broken_.empty(); }
    const std::string& broken() const { return broken_; }
    // Ends a fuzzer's run so that it keeps the input that broke a rule.
    void abortWhenBroken() const {
        if (ok()) return;
        std::fprintf(stderr, "broken rule: %s\n", broken_.c_str());
        std::abort();
    }

  private:
    std::string broken_;
    std::map<std::string, int, std::less<>> events_;
};
