#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "history/reading_list.h"
#include "link/meter_link.h"
#include "link/meter_port.h"
#include "log_options.h"
#include "settings/settings.h"
#include "stream_device.h"
#include "time/clock.h"

// One run of the headless logger: readings arrive through a MeterPort exactly
// as in the program, and each one the program would log becomes one log line
// on the output. Nothing here reads or writes the program's settings.
class LogSession final : public ReadingListener, public LinkOwner {
  public:
    static constexpr std::chrono::milliseconds kTick{50};

    // `out` receives the lines (flushed one by one); `notes` gets the one-line
    // reports (port chosen, failures). `stopRequested` is asked between ticks.
    // CSV output starts with its header, unless `out` is a file appended to
    // that already holds text.
    LogSession(const LogOptions& options, const Clock& clock, std::FILE* out, std::ostream& notes,
               std::function<bool()> stopRequested, bool outHoldsText = false);

    // Feeds a byte stream through the receive loop until it ends or the run
    // is over. Returns the exit status.
    int runStream(StreamDevice& device);

    // Runs the program's link on a live port (detecting it first with
    // options.autoPort), one tick every 50 ms, until the run is over. A port
    // given by number is opened at once: no window start-up to wait for. The
    // link's re-open schedule takes over from there.
    int runPort(SerialDevice& device, PortDetection& detection);

    std::uint64_t linesWritten() const { return lines_; }

    void onMeterReading(MeterReading& reading) override;
    // The logger keeps the settings to itself: nothing is ever saved.
    void writeSettings() override {}
    void showDetectedPort() override;
    void reportPortHeld(std::uint32_t port) override;

  private:
    bool finished() const;
    bool write(std::string_view text);
    void startOutput();

    const LogOptions& options_;
    const Clock& clock_;
    std::FILE* out_;
    std::ostream& notes_;
    std::function<bool()> stopRequested_;
    std::chrono::steady_clock::time_point started_;
    Settings settings_;  // only port and baud matter; never loaded or saved
    ReadingList line_;   // one row, formatted as the log file holds it
    std::uint64_t lines_ = 0;
    bool outputFailed_ = false;
    bool headerDue_ = false;
};
