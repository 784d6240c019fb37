#include "link/meter_link.h"

#include "settings/settings.h"

MeterLink::MeterLink(MeterPort& port, Settings& settings, PortDetection& detection,
                     LinkOwner& owner)
    : port_(port), settings_(settings), detection_(detection), owner_(owner) {}

void MeterLink::start() {
    if (settings_.port != 0) {
        openCountdown = kStartupTicks;
    } else {
        detection_.startDetection();
    }
}

void MeterLink::tick() {
    finishDetection();
    linkTick();
}

bool MeterLink::listening() const {
    return port_.isOpen() && openCountdown == 0 && !searching_ && heldPortsCountdown_ == 0 &&
           !detection_.running();
}

void MeterLink::finishDetection() {
    std::optional<DetectionResult> result = detection_.finishDetection();
    if (!result) {
        if (heldPortsCountdown_ != 0 && --heldPortsCountdown_ == 0)
            detection_.startDetection(heldPorts_);
        return;
    }
    heldPortsCountdown_ = 0;
    if (result->port != 0) {
        // A link already up keeps its line; the one found is let go.
        if (!port_.isOpen()) takeOver(*result);
        return;
    }
    if (result->busyPorts.empty()) {
        // Nothing held and no meter anywhere: back to the saved port's schedule.
        searching_ = false;
        return;
    }
    // The ports held by others may be let go of (another window closing):
    // only they are tried again, and slowly, since every open raises DTR and
    // RTS and some devices reset on that.
    heldPorts_ = result->busyPorts;
    heldPortsCountdown_ = kHeldPortsRetryTicks;
}

void MeterLink::takeOver(DetectionResult& found) {
    searching_ = false;
    userChoice_ = false;
    settings_.port = found.port;
    owner_.showDetectedPort();
    owner_.writeSettings();
    openCountdown = 0;
    port_.suspended = false;
    if (!port_.takeOver(std::move(found.line), found.port, settings_.baud))
        openCountdown = kRetryTicks;
}

void MeterLink::linkTick() {
    if (settings_.port == 0) return;

    if (!searching_ && (!port_.isOpen() || openCountdown != 0)) {
        bool countDown = true;
        if (openCountdown == 0) {
            if (port_.suspended) {
                countDown = false;
            } else {
                openCountdown = kUnscheduledTicks;
            }
        }
        if (countDown && --openCountdown == 0) {
            port_.suspended = false;
            if (!openPort(settings_.port, settings_.baud) && !searching_)
                openCountdown = kRetryTicks;
        }
    }

    if (port_.isOpen()) {
        closedTicks = 0;
    } else if (++closedTicks > kReopenAfterClosedTicks) {
        closedTicks = 0;
        if (!searching_ && !port_.suspended && port_.openedPort != 0)
            openPort(port_.openedPort, port_.baudRate);
    }

    if (port_.isOpen()) {
        port_.receive();
    } else {
        port_.linkActivity = 0;
    }
}

bool MeterLink::openPort(std::uint32_t number, std::uint32_t baud) {
    const OpenResult opened = port_.open(number, baud);
    if (number == settings_.port) chosenPortHeld_ = userChoice_ && opened.isBusy();
    if (opened.isBusy()) portHeld(number);
    return static_cast<bool>(opened);
}

void MeterLink::portHeld(std::uint32_t number) {
    if (userChoice_) {
        // The user's choice stands: retried as any port that fails, and said once.
        if (number == settings_.port && !heldReported_) {
            heldReported_ = true;
            owner_.reportPortHeld(number);
        }
        return;
    }
    // A saved or detected port that another program holds: the meter may be
    // elsewhere. A search already listening concludes for this one.
    searching_ = true;
    openCountdown = 0;
    heldPortsCountdown_ = 0;
    if (!detection_.running()) detection_.startDetection();
}

void MeterLink::onPortSelected(std::uint32_t selectedPort) {
    settings_.port = selectedPort;
    port_.close();
    searching_ = false;
    heldPortsCountdown_ = 0;
    userChoice_ = selectedPort != 0;
    chosenPortHeld_ = false;
    heldReported_ = false;
    if (selectedPort != 0) {
        // The user's choice wins over a detection still listening.
        detection_.abandon();
        openPort(selectedPort, settings_.baud);
    } else {
        detection_.startDetection();
    }
    owner_.writeSettings();
}

void MeterLink::openChosenPort() {
    userChoice_ = true;
    heldReported_ = false;
    openCountdown = openPort(settings_.port, settings_.baud) ? 0 : kRetryTicks;
}

void MeterLink::onPowerEvent(unsigned eventCode) {
    switch (static_cast<PowerEvent>(eventCode)) {
        case PowerEvent::querySuspend:
        case PowerEvent::queryStandby:
        case PowerEvent::suspend:
        case PowerEvent::standby:
            if (settings_.port != 0) port_.close();
            port_.suspended = true;
            break;
        case PowerEvent::querySuspendFailed:
        case PowerEvent::queryStandbyFailed:
        case PowerEvent::resumeSuspend:
        case PowerEvent::resumeStandby:
            if (settings_.port != 0) openCountdown = kResumeTicks;
            break;
        default:
            break;
    }
}

void MeterLink::onDeviceChange() {
    if (!port_.isOpen() && !chosenPortHeld_) detection_.startDetection();
}
