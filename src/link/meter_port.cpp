#include "link/meter_port.h"

#include <algorithm>
#include <span>

#include "link/frame_codec.h"

MeterPort::MeterPort(SerialDevice& device, ReadingListener* listener_)
    : listener(listener_), device_(&device) {
    reading.setFunction(kNoReadingFunction);
}

MeterPort::~MeterPort() {
    close();
}

OpenResult MeterPort::open(std::uint32_t portNumber, std::uint32_t baud) {
    linkActivity = 0;
    reading.setFunction(kNoReadingFunction);
    if (device_->isOpen()) return OpenResult::opened();
    const OpenResult opened = device_->open(portNumber);
    if (!opened) return opened;
    return startLine(portNumber, baud) ? opened : OpenResult::failed();
}

bool MeterPort::takeOver(std::shared_ptr<SerialDevice> device, std::uint32_t portNumber,
                         std::uint32_t baud) {
    close();
    linkActivity = 0;
    reading.setFunction(kNoReadingFunction);
    takenOver_ = std::move(device);
    device_ = takenOver_.get();
    return startLine(portNumber, baud);
}

bool MeterPort::startLine(std::uint32_t portNumber, std::uint32_t baud) {
    device_->purge();
    if (baud != 0) baudRate = baud;
    if (!configure(baudRate, 8, LineSettings::Parity::none, LineSettings::StopBits::one)) {
        close();
        return false;
    }
    openedPort = static_cast<std::uint8_t>(portNumber & 0xFF);
    return true;
}

bool MeterPort::configure(std::uint32_t baud, std::uint8_t byteSize, LineSettings::Parity parity,
                          LineSettings::StopBits stopBits) {
    return device_->configure(LineSettings{baud, byteSize, parity, stopBits});
}

void MeterPort::close() {
    linkActivity = 0;
    if (device_->isOpen()) device_->close();
}

void MeterPort::receive() {
    std::array<std::uint8_t, kMaxRead> chunk;
    while (device_->isOpen()) {
        const SerialIo queued = device_->queued();
        if (queued.failed) {
            close();
            break;
        }
        if (queued.bytes == 0) break;
        const SerialIo got =
            device_->read(std::span(chunk).first(std::min(queued.bytes, kMaxRead)));
        if (got.failed) {
            close();
            break;
        }
        if (got.bytes == 0) break;
        for (std::size_t i = 0; i < got.bytes; ++i) {
            const std::uint8_t b = chunk[i];
            rxBuffer[rxCount++] = b;
            if (rxCount >= kCutLength || (b >> 4) == 0xE) {
                decodeFrame(*this, rxBuffer.data(), rxCount);
                rxCount = 0;
            }
        }
        linkActivity = kActivityTicks;
    }
    if (linkActivity != 0) --linkActivity;
}

void decodeFrame(MeterPort& port, const std::uint8_t* bytes, std::size_t length) {
    const auto decoded = unpackFrame(std::span(bytes, length));
    if (!decoded) return;
    port.reading = *decoded;
    if (port.listener != nullptr) port.listener->onMeterReading(port.reading);
}
