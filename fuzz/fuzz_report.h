#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// What one harness run found: nothing, or the first rule that did not hold.
// A fuzzer aborts on a broken rule; a replay test prints it.
class FuzzReport {
  public:
    void check(bool holds, std::string_view rule) {
        if (!holds && broken_.empty()) broken_ = rule;
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
};
