#include <cstddef>
#include <cstdint>

#include "settings_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzSettings({data, size}).abortWhenBroken();
    return 0;
}
