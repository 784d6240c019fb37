// Writes the sample capture shipped in res/: a few dozen frames of a DC
// voltage drifting, then other functions, a held and an over-range reading,
// with stray bytes and a cut frame between them.
//   make_sample_capture res/sample_capture.bin
#include <cstdio>

#include "capture_builder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_capture FILE\n");
        return 2;
    }
    CaptureBuilder capture;
    capture.bytes({0x00, 0x7F, 0x35});  // line noise before the first frame
    for (std::uint16_t i = 0; i < 24; ++i)
        capture.frame(
            {.function = 1, .range = 3, .count = static_cast<std::uint16_t>(500 + 7 * i)});
    capture.cutFrame({.function = 1, .range = 3, .count = 700}, 6);
    capture.frame({.function = 1, .range = 3, .count = 701});  // joins the cut piece: lost
    capture.frame({.function = 3, .range = 1, .count = 4700});
    capture.frame({.function = 3, .range = 1, .count = 42000});  // over range
    capture.frame({.function = 1, .range = 3, .count = 512, .status = MeterReading::kHold});
    capture.bytes({0xE3});
    capture.frame({.function = 4, .count = 235});
    capture.frame({.function = 8, .range = 1, .count = 1234, .negative = true});
    for (std::uint16_t i = 0; i < 6; ++i)
        capture.frame({.function = 2, .range = 2, .count = static_cast<std::uint16_t>(5000 + i)});

    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) return 1;
    const auto& bytes = capture.stream();
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok ? 0 : 1;
}
