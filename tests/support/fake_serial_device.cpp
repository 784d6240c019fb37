#include "support/fake_serial_device.h"

#include <algorithm>

OpenResult FakeSerialDevice::open(std::uint32_t port) {
    if (open_) return OpenResult::opened();
    OpenResult result = OpenResult::opened();
    if (busyPorts.contains(port))
        result = OpenResult::busy();
    else if (failAllOpens || failingPorts.contains(port))
        result = OpenResult::failed();
    opens.push_back({port, result});
    open_ = static_cast<bool>(result);
    return result;
}

void FakeSerialDevice::purge() {
    ++purges;
    input.clear();
}

bool FakeSerialDevice::configure(const LineSettings& line) {
    lines.push_back(line);
    return !configureFails;
}

SerialIo FakeSerialDevice::queued() {
    ++queries;
    if (failed || !open_) return {0, true};
    if (!arrivals.empty()) {
        feed(arrivals.front());
        arrivals.pop_front();
    }
    return {input.size(), false};
}

SerialIo FakeSerialDevice::read(std::span<std::uint8_t> into) {
    if (failed || readsFail || !open_) return {0, true};
    const std::size_t n = std::min(into.size(), input.size());
    std::copy_n(input.begin(), n, into.begin());
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n));
    readSizes.push_back(n);
    return {n, false};
}

void FakeSerialDevice::close() {
    if (!open_) return;
    ++closes;
    open_ = false;
}

bool FakeSerialPorts::enumeratePorts(ListedPorts& into) {
    if (enumerateFails) return false;
    for (std::uint32_t port : ports) into.add(port);
    return true;
}

namespace {

// Takes its arrivals from the script of whichever port it opens.
class ScriptedPortDevice final : public SerialDevice {
  public:
    explicit ScriptedPortDevice(FakeSerialPorts& ports) : ports_(ports) {}
    OpenResult open(std::uint32_t port) override {
        ++ports_.opens[port];
        device_.busyPorts = ports_.busyPorts;
        const OpenResult result = device_.open(port);
        if (!result) return result;
        if (auto it = ports_.arrivalsByPort.find(port); it != ports_.arrivalsByPort.end()) {
            device_.arrivals = it->second;
        }
        return result;
    }
    bool isOpen() const override { return device_.isOpen(); }
    void purge() override { device_.purge(); }
    bool configure(const LineSettings& line) override { return device_.configure(line); }
    SerialIo queued() override { return device_.queued(); }
    SerialIo read(std::span<std::uint8_t> into) override { return device_.read(into); }
    void close() override { device_.close(); }

  private:
    FakeSerialPorts& ports_;
    FakeSerialDevice device_;
};

}  // namespace

std::unique_ptr<SerialDevice> FakeSerialPorts::makeDevice() {
    return std::make_unique<ScriptedPortDevice>(*this);
}
