#include "support/posix_child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <utility>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A program name without a slash is looked up in PATH, as a shell would.
std::string resolve(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/bin:/bin";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string candidate = std::string(dirs.substr(0, colon)) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    }
    return program;
}

// The test's environment with `overrides` ("NAME=value") replacing or adding entries.
std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& o : overrides)
            replaced = replaced || o.substr(0, o.find('=')) == name;
        if (!replaced) result.emplace_back(entry);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& t : texts) pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(std::exchange(fd, -1));
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment) {
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return;
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    // Everything the child needs is made before the fork: it only execs.
    std::vector<std::string> argvTexts{resolve(program)};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = environmentWith(environment);
    const std::vector<char*> argv = pointersTo(argvTexts);
    const std::vector<char*> envp = pointersTo(envTexts);

    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    ::fcntl(in_, F_SETFL, O_NONBLOCK);
    outPipe_ = out[0];
    errPipe_ = err[0];
    started_ = pid_ > 0;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    closeFd(in_);
    closeFd(outPipe_);
    closeFd(errPipe_);
}

bool ChildProcess::write(std::string_view bytes) {
    // A child that has stopped reading must not end the test with SIGPIPE.
    sigset_t pipeSignal, old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    bool ok = in_ >= 0;
    while (ok && !bytes.empty()) {
        const ssize_t n = ::write(in_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            // Its input is full: read what it says meanwhile, so neither side waits forever.
            collect(std::chrono::milliseconds(10));
            ok = Clock::now() < deadline;
        } else {
            ok = false;
        }
    }
    if (!ok) {
        const timespec now{};
        while (sigtimedwait(&pipeSignal, nullptr, &now) == SIGPIPE) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

void ChildProcess::closeInput() {
    closeFd(in_);
}

int ChildProcess::collect(std::chrono::milliseconds timeout) {
    if (outPipe_ < 0 && errPipe_ < 0) return 0;
    pollfd watch[2] = {{outPipe_, POLLIN, 0}, {errPipe_, POLLIN, 0}};
    const int ready = ::poll(watch, 2, static_cast<int>(timeout.count()));
    if (ready <= 0) return 0;
    const std::pair<int*, std::string*> pipes[] = {{&outPipe_, &out_}, {&errPipe_, &err_}};
    for (std::size_t i = 0; i < 2; ++i) {
        if (watch[i].revents == 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(*pipes[i].first, buffer, sizeof buffer);
        if (n > 0) {
            pipes[i].second->append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            closeFd(*pipes[i].first);
        }
    }
    return ready;
}

std::string ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const std::size_t newline = out_.find('\n', lineStart_);
        if (newline != std::string::npos) {
            std::string line = out_.substr(lineStart_, newline - lineStart_);
            lineStart_ = newline + 1;
            return line;
        }
        if (outPipe_ < 0 || Clock::now() >= deadline) return {};
        collect(std::chrono::milliseconds(msLeft(deadline)));
    }
}

const std::string& ChildProcess::readLines(std::size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    const auto lineEnds = [this] {
        std::size_t n = 0;
        for (const char c : out_) n += c == '\n' ? 1 : 0;
        return n;
    };
    while (lineEnds() < count && outPipe_ >= 0 && Clock::now() < deadline)
        collect(std::chrono::milliseconds(msLeft(deadline)));
    return out_;
}

void ChildProcess::closeOutput() {
    closeFd(outPipe_);
    closeFd(errPipe_);
}

void ChildProcess::signal(int sig) const {
    if (pid_ > 0) ::kill(pid_, sig);
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        // Its output keeps being read, so a child with much to say never blocks.
        if (collect(std::chrono::milliseconds(10)) == 0 && outPipe_ < 0 && errPipe_ < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        int status = 0;
        const pid_t done = pid_ > 0 ? ::waitpid(pid_, &status, WNOHANG) : -1;
        if (done == pid_) {
            pid_ = -1;
            // What it wrote before it ended is still in the pipes.
            while (collect(std::chrono::milliseconds(0)) > 0) {
            }
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0 || Clock::now() >= deadline) return -1;
    }
}

ChildRun runChild(const std::string& program, const std::vector<std::string>& args,
                  std::string_view input, const std::vector<std::string>& environment,
                  std::chrono::milliseconds timeout) {
    ChildProcess child(program, args, environment);
    child.write(input);
    child.closeInput();
    ChildRun run;
    run.status = child.wait(timeout);
    run.out = child.output();
    run.err = child.errorOutput();
    return run;
}
