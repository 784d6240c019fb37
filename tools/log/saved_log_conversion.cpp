#include "saved_log_conversion.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "log_csv.h"
#include "log_file_lines.h"

namespace {

// Lines looked at for a reading before a file is taken for something else.
constexpr int kLinesToRecognise = 256;

bool isReading(std::string_view line) {
    return isReadingLine(parseLogLine(line).text);
}

}  // namespace

SavedLogConversion::SavedLogConversion(const LogOptions& options, std::FILE* out,
                                       std::ostream& notes, bool outHoldsText)
    : options_(options),
      out_(out),
      notes_(notes),
      headerDue_(options.format == LogOptions::Format::csv && !outHoldsText),
      joiner_([this](std::string_view line) { take(line); }) {
    if (options.format == LogOptions::Format::svg) picture_.emplace();
}

std::optional<std::string> SavedLogConversion::problemWith(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return "cannot read " + path + ": no such file";
    if (status.type() == fs::file_type::directory) return path + " is a folder, not a log";
    if (ec || status.type() != fs::file_type::regular) return "cannot read " + path;
    if (fs::file_size(path, ec) == 0 && !ec) return path + " is empty";
    LogFileLines lines(path);
    if (!lines.valid()) return "cannot read " + path;
    for (int i = 0; i < kLinesToRecognise; ++i) {
        const auto line = lines.next();
        if (!line) break;
        if (isReading(*line)) return std::nullopt;
    }
    if (lines.failed()) return "cannot read " + path;
    return path + " is not a log: none of its first lines is a reading";
}

bool SavedLogConversion::write(std::string_view text) {
    if (!outputFailed_ && std::fwrite(text.data(), 1, text.size(), out_) != text.size())
        outputFailed_ = true;
    return !outputFailed_;
}

void SavedLogConversion::take(std::string_view text) {
    if (outputFailed_) return;
    SavedReading reading;
    reading.line = parseLogLine(text);
    reading.parts = *parseReadingLine(reading.line.text);  // the joiner gets reading lines only
    const ReadingLineParts& p = reading.parts;
    reading.when = clock_.withOffset({p.year, p.month, p.day, p.hour, p.minute, p.second});
    reading.moment = momentOf(reading.when);
    if (!limitsResolved_) {
        // A time of day alone falls on the day of the first reading.
        if (options_.since) since_ = limitMoment(*options_.since, reading.when);
        if (options_.until) until_ = limitMoment(*options_.until, reading.when);
        limitsResolved_ = true;
    }
    if ((since_ && reading.moment < *since_) || (until_ && reading.moment >= *until_)) return;

    switch (options_.format) {
        case LogOptions::Format::log:
            write(text);
            write("\r\n");
            break;
        case LogOptions::Format::csv: {
            LoggedReading logged;
            logged.when = reading.when;
            logged.valueField = p.valueField;
            logged.unit = p.unit;
            write(formatCsvRecord(logged, reading.line.tag.value_or("")));
            break;
        }
        case LogOptions::Format::stats:
            statistics_.add(reading);
            break;
        case LogOptions::Format::svg:
            picture_->add(reading.line.value, reading.line.timeOfDay, reading.line.tag.has_value(),
                          reading.line.tag.value_or(""));
            break;
    }
}

int SavedLogConversion::run() {
    for (const std::string& path : options_.logFiles) {
        if (const auto problem = problemWith(path)) {
            notes_ << "zintavo-log: " << *problem << std::endl;
            return 1;
        }
    }
    if (headerDue_) write(csvHeader());
    for (const std::string& path : options_.logFiles) {
        LogFileLines lines(path);
        std::uint64_t skipped = 0;
        joiner_.startFile();
        while (const auto line = lines.next()) {
            if (!isReading(*line)) {
                ++skipped;
                continue;
            }
            joiner_.add(*line);
            if (outputFailed_) break;
        }
        joiner_.endFile();
        if (skipped > 0)
            notes_ << "zintavo-log: " << path << ": skipped " << skipped
                   << (skipped == 1 ? " line that is not a reading"
                                    : " lines that are not readings")
                   << std::endl;
        if (!lines.valid() || lines.failed()) {
            notes_ << "zintavo-log: cannot read " << path << std::endl;
            return 1;
        }
        if (outputFailed_) break;
    }
    if (options_.format == LogOptions::Format::stats) write(statistics_.text());
    if (picture_) write(picture_->svg(options_.pictureWidth, options_.pictureHeight));
    if (std::fflush(out_) != 0) outputFailed_ = true;
    if (outputFailed_) {
        notes_ << "zintavo-log: cannot write the output" << std::endl;
        return 1;
    }
    return 0;
}
