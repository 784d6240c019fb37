#include "posix_pty_meter.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <stdexcept>

#include "link/frame_codec.h"

using namespace std::chrono_literals;

PtyPair::PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    slavePath_ = ptsname(master_);
    slaveKeeper_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(slaveKeeper_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slaveKeeper_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    closeMaster();
    if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
}

void PtyPair::write(std::span<const std::uint8_t> bytes) {
    if (master_ >= 0 && !bytes.empty()) {
        [[maybe_unused]] const ssize_t n = ::write(master_, bytes.data(), bytes.size());
    }
}

void PtyPair::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

SimulatedMeter::SimulatedMeter(PtyPair& pty, Kind kind, double framesPerSecond,
                               std::size_t startOffset)
    : pty_(pty), thread_([=, this] { run(kind, framesPerSecond, startOffset); }) {}

SimulatedMeter::~SimulatedMeter() {
    stop_ = true;
    thread_.join();
}

void SimulatedMeter::run(Kind kind, double framesPerSecond, std::size_t startOffset) {
    constexpr auto kByteTime = std::chrono::microseconds(4167);
    const auto framePeriod = std::chrono::duration<double>(1.0 / framesPerSecond);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(1, 255);
    auto next = std::chrono::steady_clock::now();
    std::uint16_t count = 0;
    while (!stop_) {
        const auto frameStart = next;
        MeterReading r;
        r.setCount(count++);
        r.setFunction(1);
        auto frame = packFrame(r);
        for (std::size_t i = startOffset; i < frame.size() && !stop_; ++i) {
            std::uint8_t byte = frame[i];
            // Garbage: never a 0x10 0x20 pair, so never a frame start.
            if (kind == Kind::garbage) byte = static_cast<std::uint8_t>(any(rng) | 0x80);
            pty_.write(std::span(&byte, 1));
            next += kByteTime;
            std::this_thread::sleep_until(next);
        }
        startOffset = 0;
        next = std::max(
            next, frameStart +
                      std::chrono::duration_cast<std::chrono::steady_clock::duration>(framePeriod));
        while (!stop_ && std::chrono::steady_clock::now() < next) std::this_thread::sleep_for(5ms);
    }
}

TempPortFolder::TempPortFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zintavo-ports-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temp folder");
    path_ = pattern;
    std::filesystem::create_directory(devRoot());
}

TempPortFolder::~TempPortFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempPortFolder::link(std::uint32_t port, const std::string& target) const {
    std::filesystem::create_symlink(target, path_ / ("COM" + std::to_string(port)));
}
