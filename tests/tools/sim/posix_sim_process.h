#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// zintavo-sim running as a child process with its own config folder, for tests that
// drive the real binary.
class SimProcess {
  public:
    SimProcess(const std::vector<std::string>& args, const std::string& configHome);
    ~SimProcess();  // kills the child if it still runs
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // One line of its standard output without the newline; empty on timeout or end.
    std::string readLine(std::chrono::milliseconds timeout);
    void signal(int sig) const;
    // Stops listening to its output, as a careless parent might.
    void closeOutput();
    // Exit status, 128 + signal when killed, or -1 if it does not end in time.
    int wait(std::chrono::milliseconds timeout);
    // Everything it wrote on standard error; call after it has ended.
    std::string errorText();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string pending_;
};

// Reads bytes from a device until count have come or the time is up.
std::vector<std::uint8_t> readDevice(const std::string& path, std::size_t count,
                                     std::chrono::milliseconds timeout);
