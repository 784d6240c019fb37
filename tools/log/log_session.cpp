#include "log_session.h"

#include <ostream>
#include <thread>

#include "history/log_format.h"
#include "history/logged_reading.h"
#include "log_csv.h"

LogSession::LogSession(const LogOptions& options, const Clock& clock, std::FILE* out,
                       std::ostream& notes, std::function<bool()> stopRequested, bool outHoldsText)
    : options_(options),
      clock_(clock),
      out_(out),
      notes_(notes),
      stopRequested_(std::move(stopRequested)),
      started_(std::chrono::steady_clock::now()),
      headerDue_(options.format == LogOptions::Format::csv && !outHoldsText) {
    settings_.port = options.port;
    settings_.baud = options.baud;
}

void LogSession::startOutput() {
    if (headerDue_) write(csvHeader());
    headerDue_ = false;
}

bool LogSession::write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size() || std::fflush(out_) != 0)
        outputFailed_ = true;
    return !outputFailed_;
}

void LogSession::onMeterReading(MeterReading& reading) {
    if (finished()) return;
    const auto logged = decideLogging(reading, clock_);
    if (!logged) return;
    if (options_.format == LogOptions::Format::csv) {
        if (!write(formatCsvRecord(*logged, {}))) return;
    } else {
        line_.clear();
        line_.appendRow({}, logged->line);
        if (!write(formatLog(line_))) return;
    }
    ++lines_;
}

void LogSession::showDetectedPort() {
    notes_ << "zintavo-log: meter found on COM" << settings_.port << std::endl;
}

void LogSession::reportPortHeld(std::uint32_t port) {
    notes_ << "zintavo-log: COM" << port << " is held by another program; trying again"
           << std::endl;
}

bool LogSession::finished() const {
    if (outputFailed_) return true;
    if (options_.count && lines_ >= *options_.count) return true;
    if (options_.seconds &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count() >=
            *options_.seconds)
        return true;
    return false;
}

int LogSession::runStream(StreamDevice& device) {
    startOutput();
    MeterPort port(device, this);
    port.open(1, settings_.baud);
    for (;;) {
        const auto fill = device.fill(kTick);
        port.receive();
        if (fill == StreamDevice::Fill::end || finished() || stopRequested_()) break;
    }
    if (outputFailed_) notes_ << "zintavo-log: cannot write the output" << std::endl;
    return outputFailed_ ? 1 : 0;
}

int LogSession::runPort(SerialDevice& device, PortDetection& detection) {
    startOutput();
    MeterPort port(device, this);
    MeterLink link(port, settings_, detection, *this);
    link.start();
    if (settings_.port != 0) link.openChosenPort();
    int status = 0;
    auto next = std::chrono::steady_clock::now();
    while (!finished() && !stopRequested_()) {
        next += kTick;
        std::this_thread::sleep_until(next);
        link.tick();
        if (settings_.port == 0 && !detection.running()) {
            notes_ << "zintavo-log: no port carries a meter" << std::endl;
            status = 1;
            break;
        }
    }
    detection.abandon();
    port.close();
    if (outputFailed_) {
        notes_ << "zintavo-log: cannot write the output" << std::endl;
        status = 1;
    }
    return status;
}
