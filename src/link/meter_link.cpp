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

void MeterLink::finishDetection() {
    const auto found = detection_.finishDetection();
    if (!found) return;
    settings_.port = *found;
    owner_.showDetectedPort();
    owner_.writeSettings();
    if (port_.isOpen()) {
        // Already receiving from the meter's port: nothing to re-open.
        if (port_.openedPort == *found) return;
        port_.close();
    }
    openCountdown = kDetectedTicks;
}

void MeterLink::linkTick() {
    if (settings_.port == 0) return;

    if (!port_.isOpen() || openCountdown != 0) {
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
            if (!port_.open(settings_.port, settings_.baud)) openCountdown = kRetryTicks;
        }
    }

    if (port_.isOpen()) {
        closedTicks = 0;
    } else if (++closedTicks > kReopenAfterClosedTicks) {
        closedTicks = 0;
        if (!port_.suspended && port_.openedPort != 0) port_.open(port_.openedPort, port_.baudRate);
    }

    if (port_.isOpen()) {
        port_.receive();
    } else {
        port_.linkActivity = 0;
    }
}

void MeterLink::onPortSelected(std::uint32_t selectedPort) {
    settings_.port = selectedPort;
    port_.close();
    if (selectedPort != 0) {
        // The user's choice wins over a detection still listening.
        detection_.abandon();
        port_.open(selectedPort, settings_.baud);
    } else {
        detection_.startDetection();
    }
    owner_.writeSettings();
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
    if (!port_.isOpen()) detection_.startDetection();
}
