#include "time/clock.h"

#include <ctime>

#include "time/local_time.h"

LocalDateTime SystemClock::now() const {
    return localTimeAt(static_cast<UnixSeconds>(std::time(nullptr))).value_or(LocalDateTime{});
}
