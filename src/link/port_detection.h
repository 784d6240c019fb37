#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "link/listed_ports.h"
#include "link/probe_event.h"
#include "link/serial_device.h"
#include "link/serial_ports.h"
#include "link/thread_starter.h"

// How a probe rates what it has read so far. The meter is recognised by the
// first 0x10 0x20 pair (a frame start) followed by bytes with high nibbles 3
// and 4; the bytes count up to the first zero byte, and only the first pair is
// judged. Undecided: more bytes could still settle it.
enum class ProbeVerdict { undecided, meter, notMeter };
ProbeVerdict judgeProbeBytes(std::span<const std::uint8_t> bytes);

// What a probe found on its port. A port that another program holds is busy:
// it may carry a meter that is free again later.
enum class ProbeOutcome { notMeter, meter, busy };

// Listens on one port for about 900 ms at 2400 baud, reading as bytes arrive
// until the verdict is settled, so that opening the port in the middle of a
// frame still finds the meter. Returns early when stop is signalled. When the
// meter is recognised the line is left open, for the link to take over.
ProbeOutcome probePort(SerialDevice& device, std::uint32_t port, ProbeEvent& stop,
                       std::chrono::milliseconds pollInterval = std::chrono::milliseconds(100));

// How a detection ended.
struct DetectionResult {
    std::uint32_t port = 0;  // the lowest port where the meter was recognised; 0 for none
    // That port's line, still open: the port is never free for another
    // program between the probe and the link.
    std::shared_ptr<SerialDevice> line;
    ListedPorts busyPorts;  // ports another program held
};

// Automatic detection of the meter's port: one probe thread per listed port,
// concluded on the window's tick once all probes have ended. Each detection has
// its own state (generation); a newer one retires the older, whose probes are
// told to stop and whose results are discarded.
class PortDetection {
  public:
    static constexpr std::uint32_t kProbeBaud = 2400;

    PortDetection(SerialPorts& ports, ListedPorts& listed, ThreadStarter& threads,
                  std::chrono::milliseconds pollInterval = std::chrono::milliseconds(100));
    PortDetection(const PortDetection&) = delete;
    PortDetection& operator=(const PortDetection&) = delete;
    // Tells every probe still running to stop and waits for it.
    ~PortDetection();

    // Starts a new detection over the refreshed port set, retiring any running one.
    void startDetection();
    // The same over these ports only (those that were busy), without asking
    // the system for its ports again.
    void startDetection(const ListedPorts& only);
    // Retires the running detection, if any: its result will never be used.
    void abandon();
    bool running() const { return current_ != nullptr; }
    // Call on every tick. Once all probes of the running detection have ended it
    // concludes, once; until then, and when nothing runs, there is no result.
    // The lines of other ports where the meter was recognised are closed here.
    std::optional<DetectionResult> finishDetection();
    // Number of the latest detection started; 0 before the first.
    std::uint32_t generation() const { return generation_; }

  private:
    struct Run {
        explicit Run(std::uint32_t gen) : generation(gen) {}
        const std::uint32_t generation;
        std::atomic<std::uint32_t> runningProbes{0};
        // Entry n of these is written only by the probe of port n, and read only
        // after runningProbes has been seen at 0 (release by the probes, acquire here).
        std::array<std::uint32_t, 256> detectedBaud{};
        std::array<std::shared_ptr<SerialDevice>, 256> meterLines;  // open where recognised
        std::array<bool, 256> busy{};
        ProbeEvent probeEvent;
        std::vector<std::unique_ptr<ThreadStarter::Thread>> threads;

        bool ended() const { return runningProbes.load(std::memory_order_acquire) == 0; }
        void joinAll();
    };

    void startProbes(const ListedPorts& ports);
    void startProbe(Run& run, std::uint32_t port);
    void reapRetired();

    SerialPorts& ports_;
    ListedPorts& listed_;
    ThreadStarter& threads_;
    std::chrono::milliseconds pollInterval_;
    std::uint32_t generation_ = 0;
    std::unique_ptr<Run> current_;
    std::vector<std::unique_ptr<Run>> retired_;
};
