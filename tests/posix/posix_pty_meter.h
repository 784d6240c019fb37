#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <thread>
#include <vector>

// A pseudo-terminal pair standing in for a serial line: the test writes to the
// master, the code under test opens the slave (directly or through a COM link).
class PtyPair {
  public:
    PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    ~PtyPair();

    const std::string& slavePath() const { return slavePath_; }
    // Writes what the line can take now; bytes nobody has room for are dropped,
    // as on a real line with no listener.
    void write(std::span<const std::uint8_t> bytes);
    // The far end goes away: the slave side hangs up.
    void closeMaster();

  private:
    int master_ = -1;
    int slaveKeeper_ = -1;  // keeps the line alive and raw; never read
    std::string slavePath_;
};

// A meter on a pty: streams frames (or garbage) at the line rate of 2400 baud,
// one byte about every 4.2 ms, from its own thread until destroyed.
class SimulatedMeter {
  public:
    enum class Kind { meter, garbage };
    // framesPerSecond sets the gap between frames; startOffset skips that many
    // bytes of the first frame, so the stream starts at any phase.
    SimulatedMeter(PtyPair& pty, Kind kind, double framesPerSecond, std::size_t startOffset = 0);
    ~SimulatedMeter();

  private:
    void run(Kind kind, double framesPerSecond, std::size_t startOffset);
    PtyPair& pty_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A temporary folder of COM<n> links, removed again at the end.
class TempPortFolder {
  public:
    TempPortFolder();
    ~TempPortFolder();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path devRoot() const { return path_ / "dev"; }  // an empty /dev
    void link(std::uint32_t port, const std::string& target) const;

  private:
    std::filesystem::path path_;
};
