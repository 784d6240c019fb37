#include "stream_device.h"

#include <algorithm>

OpenResult StreamDevice::open(std::uint32_t) {
    open_ = valid();
    return open_ ? OpenResult::opened() : OpenResult::failed();
}

SerialIo StreamDevice::read(std::span<std::uint8_t> into) {
    const std::size_t n = std::min(into.size(), queue_.size());
    std::copy_n(queue_.begin(), n, into.begin());
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
    return {n, false};
}

void StreamDevice::close() {
    queue_.clear();
    open_ = false;
}
