#pragma once

#include <optional>
#include <string>

// A pseudo-terminal pair in raw mode, 2400 baud. The master is where the simulator
// writes (non-blocking, so a full queue loses bytes instead of stalling); the slave is
// kept open too, so the terminal does not hang up before a reader opens it.
class PosixPty {
  public:
    // Nothing, with the reason in error, when the system will not give one.
    static std::optional<PosixPty> open(std::string& error);

    PosixPty(PosixPty&& other) noexcept;
    PosixPty& operator=(PosixPty&&) = delete;
    PosixPty(const PosixPty&) = delete;
    PosixPty& operator=(const PosixPty&) = delete;
    ~PosixPty();

    int master() const { return master_; }
    int slave() const { return slave_; }
    // Device path of the slave side, the one a reader opens.
    const std::string& slavePath() const { return slavePath_; }

    // Bytes written but not read yet by anyone on the slave side.
    int unreadBytes() const;

  private:
    PosixPty(int master, int slave, std::string slavePath);

    int master_;
    int slave_;
    std::string slavePath_;
};
