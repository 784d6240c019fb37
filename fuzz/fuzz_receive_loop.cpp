#include <cstddef>
#include <cstdint>

#include "receive_loop_harness.h"
#include "support/scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFolder scratch;
    const FuzzReport report = fuzzReceiveLoop({data, size}, scratch.path());
    scratch.empty();
    report.abortWhenBroken();
    return 0;
}
