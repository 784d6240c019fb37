#pragma once

#include <memory>
#include <string>

#include "log_options.h"
#include "log_session.h"
#include "stream_device.h"

// What the logger needs of the system it runs on: its start-up, a way to be
// asked to stop, its serial ports and its byte streams.
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
    // The file at `path`, or standard input for "-"; check valid().
    std::unique_ptr<StreamDevice> openStream(const std::string& path);

  private:
    struct State;
    std::unique_ptr<State> state_;
};
