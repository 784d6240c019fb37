#include "link/port_detection.h"

#include <algorithm>

#include "link/meter_port.h"

namespace {

constexpr int kProbePolls = 9;
constexpr std::size_t kProbeBufferSize = 64;

}  // namespace

ProbeVerdict judgeProbeBytes(std::span<const std::uint8_t> bytes) {
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    const bool terminated = zero != bytes.end();
    const auto text = bytes.first(static_cast<std::size_t>(zero - bytes.begin()));
    for (std::size_t p = 0; p + 1 < text.size(); ++p) {
        if (text[p] != 0x10 || text[p + 1] != 0x20) continue;
        if (p + 3 >= text.size())
            return terminated ? ProbeVerdict::notMeter : ProbeVerdict::undecided;
        const bool signature = (text[p + 2] >> 4) == 3 && (text[p + 3] >> 4) == 4;
        return signature ? ProbeVerdict::meter : ProbeVerdict::notMeter;
    }
    return terminated ? ProbeVerdict::notMeter : ProbeVerdict::undecided;
}

bool probePort(SerialDevice& device, std::uint32_t port, ProbeEvent& stop,
               std::chrono::milliseconds pollInterval) {
    MeterPort probe(device, nullptr);
    if (!probe.open(port, PortDetection::kProbeBaud)) return false;
    std::array<std::uint8_t, kProbeBufferSize> bytes{};
    std::size_t got = 0;
    ProbeVerdict verdict = ProbeVerdict::undecided;
    for (int poll = 0;
         poll < kProbePolls && verdict == ProbeVerdict::undecided && got < bytes.size(); ++poll) {
        if (stop.waitFor(pollInterval)) break;
        const SerialIo queued = device.queued();
        if (queued.failed) break;
        if (queued.bytes == 0) continue;
        const SerialIo read =
            device.read(std::span(bytes).subspan(got, std::min(queued.bytes, bytes.size() - got)));
        if (read.failed) break;
        got += read.bytes;
        verdict = judgeProbeBytes(std::span(bytes).first(got));
    }
    return verdict == ProbeVerdict::meter;
}

void PortDetection::Run::joinAll() {
    for (auto& thread : threads) thread->join();
    threads.clear();
}

PortDetection::PortDetection(SerialPorts& ports, ListedPorts& listed, ThreadStarter& threads,
                             std::chrono::milliseconds pollInterval)
    : ports_(ports), listed_(listed), threads_(threads), pollInterval_(pollInterval) {}

PortDetection::~PortDetection() {
    abandon();
    for (auto& run : retired_) run->joinAll();
}

void PortDetection::startDetection() {
    abandon();
    current_ = std::make_unique<Run>(++generation_);
    ports_.enumeratePorts(listed_);
    for (std::uint32_t port = 1; port <= ListedPorts::kMaxPort; ++port) {
        if (listed_.contains(port)) startProbe(*current_, port);
    }
}

void PortDetection::startProbe(Run& run, std::uint32_t port) {
    // The device is made here and from then on used only by its probe thread.
    std::shared_ptr<SerialDevice> device = ports_.makeDevice();
    run.runningProbes.fetch_add(1, std::memory_order_relaxed);
    auto body = [&run, port, device = std::move(device), interval = pollInterval_]() mutable {
        const bool found = probePort(*device, port, run.probeEvent, interval);
        // Closed before the count drops, so a port chosen by this detection is
        // never still held (and purged) by its probe when the link opens it.
        device.reset();
        if (found) run.detectedBaud[port] = kProbeBaud;
        run.runningProbes.fetch_sub(1, std::memory_order_release);
    };
    auto thread = threads_.start(std::move(body));
    if (thread) {
        run.threads.push_back(std::move(thread));
    } else {
        // A probe that never ran has ended as far as the count is concerned.
        run.runningProbes.fetch_sub(1, std::memory_order_relaxed);
    }
}

void PortDetection::abandon() {
    if (!current_) return;
    current_->probeEvent.signal();
    retired_.push_back(std::move(current_));
}

void PortDetection::reapRetired() {
    std::erase_if(retired_, [](const std::unique_ptr<Run>& run) {
        if (!run->ended()) return false;
        run->joinAll();
        return true;
    });
}

std::optional<std::uint32_t> PortDetection::finishDetection() {
    reapRetired();
    if (!current_ || !current_->ended()) return std::nullopt;
    current_->joinAll();
    const auto& detected = current_->detectedBaud;
    const auto found = std::find_if(detected.begin(), detected.end(),
                                    [](std::uint32_t baud) { return baud != 0; });
    std::optional<std::uint32_t> port;
    if (found != detected.end()) port = static_cast<std::uint32_t>(found - detected.begin());
    current_.reset();
    return port;
}
