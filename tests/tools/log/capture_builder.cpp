#include "capture_builder.h"

#include "link/frame_codec.h"

MeterReading readingOf(const FrameSpec& spec) {
    MeterReading r;
    r.setFunction(spec.function);
    r.setSubfunction(spec.subfunction);
    r.setRange(spec.range);
    r.setCount(spec.count);
    r.setNegative(spec.negative);
    r.bytes[5] = spec.status;
    return r;
}

CaptureBuilder& CaptureBuilder::frame(const FrameSpec& spec) {
    return cutFrame(spec, kFrameSize);
}

CaptureBuilder& CaptureBuilder::cutFrame(const FrameSpec& spec, std::size_t length) {
    const auto frame = packFrame(readingOf(spec));
    stream_.insert(stream_.end(), frame.begin(),
                   frame.begin() + static_cast<std::ptrdiff_t>(length));
    return *this;
}

CaptureBuilder& CaptureBuilder::bytes(std::vector<std::uint8_t> raw) {
    stream_.insert(stream_.end(), raw.begin(), raw.end());
    return *this;
}
