#pragma once

#include <cstdint>

#include "link/meter_port.h"
#include "link/port_detection.h"

struct Settings;

// What the link asks of the window that owns it.
class LinkOwner {
  public:
    virtual void writeSettings() = 0;
    // Detection has set Settings::port; the port list should select it.
    virtual void showDetectedPort() = 0;
    // The port the user chose is held by another program (said once a choice).
    virtual void reportPortHeld(std::uint32_t port) = 0;

  protected:
    ~LinkOwner() = default;
};

// Power events of the system, by their Windows codes.
enum class PowerEvent : unsigned {
    querySuspend = 0,
    queryStandby = 1,
    querySuspendFailed = 2,
    queryStandbyFailed = 3,
    suspend = 4,
    standby = 5,
    resumeCritical = 6,
    resumeSuspend = 7,
    resumeStandby = 8,
};

// The main link's scheduling: when the port is opened and re-opened (start-up,
// failures, loss, suspend and resume, a new choice in the port list), and when
// detection is started and concluded. Counted in 50 ms ticks, no clock inside.
//
// A port that another program holds (another window on the same meter, say)
// is never waited on for ever: unless the user chose it, the link looks for
// the meter on the other ports at once, and while no free port carries one it
// tries again, at a slow pace, only the ports that were held. A detected port
// goes to the link as the probe's open line, so no other program can take it
// in between.
class MeterLink {
  public:
    static constexpr int kStartupTicks = 10;
    static constexpr int kUnscheduledTicks = 20;
    static constexpr int kRetryTicks = 40;
    static constexpr int kResumeTicks = 60;
    static constexpr int kReopenAfterClosedTicks = 100;
    static constexpr int kHeldPortsRetryTicks = 60;

    MeterLink(MeterPort& port, Settings& settings, PortDetection& detection, LinkOwner& owner);

    // After the settings are loaded and the port list is built: schedules the
    // saved port's open, or starts detection when no port is saved.
    void start();
    // The link's share of one tick: conclude detection, then linkTick.
    void tick();
    void finishDetection();
    void linkTick();
    // The user chose an entry of the port list (0 = the automatic entry).
    void onPortSelected(std::uint32_t selectedPort);
    // Opens Settings::port at once as the user's choice; a failure is tried
    // again kRetryTicks later (the logger's start, which has no window to wait for).
    void openChosenPort();
    void onPowerEvent(unsigned eventCode);
    // Serial devices came or went: look for the meter again while the link is
    // closed, unless the user's chosen port is merely held by another program.
    void onDeviceChange();
    // Looking for the meter elsewhere because the port was held: the scheduled
    // opens of Settings::port wait meanwhile.
    bool searching() const { return searching_; }
    // The port is open, no open is scheduled and no detection is under way:
    // the link's tick then only drains the port and counts its activity down.
    bool listening() const;

    int openCountdown = 0;  // ticks until the next scheduled open; 0 = none
    int closedTicks = 0;    // consecutive ticks closed while a port is set

  private:
    // Opens a port; one that another program holds is handled by portHeld.
    bool openPort(std::uint32_t number, std::uint32_t baud);
    void portHeld(std::uint32_t number);
    // The probe's open line on the meter's port becomes the link's.
    void takeOver(DetectionResult& found);

    MeterPort& port_;
    Settings& settings_;
    PortDetection& detection_;
    LinkOwner& owner_;
    bool userChoice_ = false;      // Settings::port was chosen in the list
    bool chosenPortHeld_ = false;  // and its last open found it held
    bool heldReported_ = false;
    bool searching_ = false;
    ListedPorts heldPorts_;  // tried again when heldPortsCountdown_ runs out
    int heldPortsCountdown_ = 0;
};
