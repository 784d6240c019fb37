#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

// A program run as a child process by a test that drives a real binary: its
// arguments and environment, its standard input fed and closed by the test,
// its standard output and error collected. POSIX only.
class ChildProcess {
  public:
    // Starts `program` (a path, or a name looked up in PATH) with `args`.
    // `environment` holds "NAME=value" entries set on top of the test's own.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {});
    ~ChildProcess();  // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return started_; }
    // Its process id while it runs; -1 once waited for.
    pid_t pid() const { return pid_; }

    // Writes to its standard input; false when it no longer reads it.
    bool write(std::string_view bytes);
    // Closes its standard input: it reads end of file.
    void closeInput();

    // One line of its standard output without the "\n"; empty on timeout or end.
    std::string readLine(std::chrono::milliseconds timeout);
    // Reads standard output until it holds `count` line ends (or the time is up);
    // the output so far.
    const std::string& readLines(std::size_t count, std::chrono::milliseconds timeout);
    // Stops listening to its output, as a careless parent might.
    void closeOutput();

    void signal(int sig) const;
    // Collects its output until it ends. Exit status, 128 + signal when killed,
    // or -1 if it does not end in time.
    int wait(std::chrono::milliseconds timeout);

    // Everything read from standard output (readLine's lines included) and error.
    const std::string& output() const { return out_; }
    const std::string& errorOutput() const { return err_; }

  private:
    // Moves what the pipes hold into out_ and err_, waiting at most `timeout`
    // for the first bytes; the number of pipes that had news (0: none, or both ended).
    int collect(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    bool started_ = false;
    int in_ = -1;
    int outPipe_ = -1;
    int errPipe_ = -1;
    std::string out_;
    std::string err_;
    std::size_t lineStart_ = 0;  // where readLine goes on in out_
};

// The exit status of a program run to its end with `input` on its standard
// input, and what it wrote.
struct ChildRun {
    int status = -1;
    std::string out;
    std::string err;
};
ChildRun runChild(const std::string& program, const std::vector<std::string>& args,
                  std::string_view input = {}, const std::vector<std::string>& environment = {},
                  std::chrono::milliseconds timeout = std::chrono::seconds(30));
