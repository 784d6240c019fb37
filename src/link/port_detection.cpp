#include "link/port_detection.h"

#include <algorithm>

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

ProbeOutcome probePort(SerialDevice& device, std::uint32_t port, ProbeEvent& stop,
                       std::chrono::milliseconds pollInterval) {
    const OpenResult opened = device.open(port);
    if (opened.isBusy()) return ProbeOutcome::busy;
    if (!opened) return ProbeOutcome::notMeter;
    device.purge();
    if (!device.configure(LineSettings{PortDetection::kProbeBaud})) {
        device.close();
        return ProbeOutcome::notMeter;
    }
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
    if (verdict == ProbeVerdict::meter) return ProbeOutcome::meter;
    device.close();
    return ProbeOutcome::notMeter;
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
    ports_.enumeratePorts(listed_);
    startProbes(listed_);
}

void PortDetection::startDetection(const ListedPorts& only) {
    startProbes(only);
}

void PortDetection::startProbes(const ListedPorts& ports) {
    abandon();
    current_ = std::make_unique<Run>(++generation_);
    for (std::uint32_t port = 1; port <= ListedPorts::kMaxPort; ++port) {
        if (ports.contains(port)) startProbe(*current_, port);
    }
}

void PortDetection::startProbe(Run& run, std::uint32_t port) {
    // The device is made here and from then on used only by its probe thread.
    std::shared_ptr<SerialDevice> device = ports_.makeDevice();
    run.runningProbes.fetch_add(1, std::memory_order_relaxed);
    auto body = [&run, port, device = std::move(device), interval = pollInterval_]() mutable {
        const ProbeOutcome outcome = probePort(*device, port, run.probeEvent, interval);
        if (outcome == ProbeOutcome::meter) {
            run.detectedBaud[port] = kProbeBaud;
            run.meterLines[port] = std::move(device);
        }
        run.busy[port] = outcome == ProbeOutcome::busy;
        device.reset();
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

std::optional<DetectionResult> PortDetection::finishDetection() {
    reapRetired();
    if (!current_ || !current_->ended()) return std::nullopt;
    current_->joinAll();
    Run& run = *current_;
    DetectionResult result;
    for (std::uint32_t port = 1; port <= ListedPorts::kMaxPort; ++port) {
        if (run.busy[port]) result.busyPorts.add(port);
        if (result.port == 0 && run.detectedBaud[port] != 0) {
            result.port = port;
            result.line = std::move(run.meterLines[port]);
        }
    }
    current_.reset();
    return result;
}
