#include "capture_builder.h"

#include "link/frame_codec.h"

MeterReading readingOf(const FrameSpec& wanted) {
    MeterReading r;
    r.setFunction(wanted.function);
    r.setSubfunction(wanted.subfunction);
    r.setRange(wanted.range);
    r.setCount(wanted.count);
    r.setNegative(wanted.negative);
    r.bytes[5] = wanted.status;
    return r;
}

CaptureBuilder& CaptureBuilder::frame(const FrameSpec& wanted) {
    return cutFrame(wanted, kFrameSize);
}

CaptureBuilder& CaptureBuilder::cutFrame(const FrameSpec& wanted, std::size_t length) {
    const auto frame = packFrame(readingOf(wanted));
    stream_.insert(stream_.end(), frame.begin(),
                   frame.begin() + static_cast<std::ptrdiff_t>(length));
    return *this;
}

CaptureBuilder& CaptureBuilder::bytes(std::vector<std::uint8_t> raw) {
    stream_.insert(stream_.end(), raw.begin(), raw.end());
    return *this;
}
