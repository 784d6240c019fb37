#include "time/clock.h"

#include <ctime>

#include "time/local_time.h"

LocalDateTime SystemClock::now() const {
    const auto second = static_cast<UnixSeconds>(std::time(nullptr));
    if (second != second_) {
        local_ = localTimeAt(second).value_or(LocalDateTime{});
        second_ = second;
    }
    return local_;
}
