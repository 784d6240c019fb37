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
class MeterLink {
  public:
    static constexpr int kStartupTicks = 10;
    static constexpr int kDetectedTicks = 8;
    static constexpr int kUnscheduledTicks = 20;
    static constexpr int kRetryTicks = 40;
    static constexpr int kResumeTicks = 60;
    static constexpr int kReopenAfterClosedTicks = 100;

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
    void onPowerEvent(unsigned eventCode);
    // Serial devices came or went: look for the meter again while the link is closed.
    void onDeviceChange();

    int openCountdown = 0;  // ticks until the next scheduled open; 0 = none
    int closedTicks = 0;    // consecutive ticks closed while a port is set

  private:
    MeterPort& port_;
    Settings& settings_;
    PortDetection& detection_;
    LinkOwner& owner_;
};
