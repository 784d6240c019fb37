#pragma once

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "log_options.h"
#include "log_session.h"
#include "stream_device.h"

// What the logger needs of the system it runs on: its start-up, a way to be
// asked to stop, its serial ports and its files.
class LogPlatform {
  public:
    LogPlatform(int& argc, char** argv);
    ~LogPlatform();
    LogPlatform(const LogPlatform&) = delete;
    LogPlatform& operator=(const LogPlatform&) = delete;

    // True once the user or the system has asked the logger to end.
    bool stopRequested();
    // Runs the session on the live port of the options; the exit status.
    int runLivePort(LogSession& session, const LogOptions& options);
    // Prints the ports as the program's port list shows them, one per line;
    // `notes` says why a port that opens is missing from them, where it can.
    int listPorts(std::ostream& out, std::ostream& notes);
    // Runs one auto-detection and prints the entry of the port it finds.
    int detect(std::ostream& out, std::ostream& notes);

    // The file at `path`, or standard input for "-"; check valid(). A FIFO
    // opens at once, with or without a writer: the wait for bytes is the run's.
    std::unique_ptr<StreamDevice> openStream(const std::string& path);
    // The file at `path` opened for appending; nothing when it cannot be. A
    // FIFO without a reader is waited for as long as no stop is asked for.
    std::FILE* openOutput(const std::string& path);
    // Whether `out` (a file or standard output) is the very file `input`
    // reads: the same file by its identity, whatever the names say.
    bool writesToInput(const StreamDevice& input, std::FILE* out);

  private:
    struct State;
    std::unique_ptr<State> state_;
};
